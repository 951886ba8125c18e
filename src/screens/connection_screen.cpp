#include "screens/connection_screen.h"

#include <algorithm>

#include "net/connection.h"
#include "screens/print_at.h"
#include "text/ustr.h"

namespace kb {

namespace {

// The leading digits of a text as a number, 0 when there are none.
int NumberOf(std::u16string_view text) {
    int v = 0;
    for (char16_t c : text) {
        if (c < u'0' || c > u'9') break;
        v = v * 10 + (c - u'0');
    }
    return v;
}

std::u16string StatusLine(Game& g) {
    GameState& s = g.s;
    const std::u16string dots(static_cast<size_t>(s.PlaySec % 4), u'.');
    if (s.GameMode == kModeServer) return u"接続要求待 " + dots;
    if (s.GameMode != kModeClient) return u"";
    if (AddressWindowVisible(g)) {
        s.PlaySec = 0;  // the time-out clock starts once the address is entered
        return u"接続先のＩＰを入力して下さい";
    }
    return u"接続中 " + dots;
}

}  // namespace

void DIS_Connection(Game& g) {
    GameState& s = g.s;
    Surface& d = g.Display;
    s.InputOn = 0;  // Up and Down do nothing here
    const int now = WallSecond(g);
    if (now != NumberOf(s.StartSec)) {
        s.StartSec = Num(now);
        s.PlaySec += 1;
    }
    d.SetBackColor(Rgb(50, 80, 200));
    d.ForeColor = Rgb(255, 255, 255);
    d.FontSize = 12;
    PrintAt(d, s.TwipsX * 16.0, s.TwipsY * 16.0, StatusLine(g));
    // Why a way to meet does not work, and what to do about it, one line each under the
    // status line; the server keeps waiting on whatever does work.
    d.FontSize = 10;
    d.ForeColor = Rgb(255, 90, 90);
    double y = 40;
    for (std::u16string text : {g.listenError, NetworkProblem(g)}) {
        for (std::u16string_view rest = text; !rest.empty(); y += 16) {
            const size_t end = std::min(rest.find(u'\n'), rest.size());
            PrintAt(d, s.TwipsX * 16.0, s.TwipsY * y, rest.substr(0, end));
            rest.remove_prefix(std::min(end + 1, rest.size()));
        }
    }
    if (const std::u16string code = RoomCode(g); !code.empty() && s.GameMode == kModeServer) {
        d.ForeColor = Rgb(200, 200, 200);
        PrintAt(d, s.TwipsX * 16.0, s.TwipsY * 128.0, u"Room code for the other player :");
        d.FontSize = 24;
        d.FontBold = true;
        d.ForeColor = Rgb(255, 230, 120);
        PrintAt(d, s.TwipsX * 16.0, s.TwipsY * 148.0, code);
        d.FontBold = false;
    }

    d.FontSize = 10;
    d.ForeColor = Rgb(200, 200, 200);
    // Right-aligned with the width of two blanks to spare.
    PrintAt(d, d.Width() - d.TextWidth(u"Cansel : ESC  "), s.TwipsY * 288.0, u"Cansel : ESC");

    if (s.PlaySec > 30 && s.GameMode == kModeClient) ConnectionTimeOut(g);
}

}  // namespace kb
