#include "screens/title.h"

#include <cmath>

#include "audio/music.h"
#include "audio/sound_effects.h"
#include "net/connection.h"
#include "screens/connection_screen.h"
#include "screens/paint_bit.h"
#include "screens/print_at.h"
#include "screens/title_menu.h"
#include "shell/scenes.h"
#include "text/ustr.h"
#include "typing/key_codes.h"

namespace kb {

namespace {

constexpr std::u16string_view kCredit = u"(C) 2026 Kanaburst  ";
// Put before the word count when the list is the player's own, not the one the game came with.
constexpr std::u16string_view kOwnList = u"Your list  ";
// Put before the word count while a practice list from the player's record is in play.
constexpr std::u16string_view kPracticeList = u"Practice  ";

int IntOf(double v) {
    return static_cast<int>(std::floor(v));
}

// Three squares in random light greys, new every frame, in the top 192 rows.
void DrawSquares(Game& g) {
    Surface& d = g.Display;
    d.FontBold = true;
    for (int i = 0; i < 3; ++i) {
        // The draws come in this order: shade, size, x, y.
        const int k = IntOf(g.Rnd() * 30.0 + 1);
        d.FontSize = IntOf(g.Rnd() * 6.0 + 15);
        const double x =
            std::floor(g.Rnd() * static_cast<double>(d.Width()) + 1) - d.TextWidth(u"A");
        const double y = std::floor(g.Rnd() * (g.s.TwipsY * 192.0) + 1) - d.TextHeight(u"A");
        d.ForeColor = Rgb(240 - k, 240 - k, 240 - k);
        PrintAt(d, x, y, u"□");
    }
}

void DrawMenuLine(Game& g) {
    GameState& s = g.s;
    Surface& d = g.Display;
    d.ForeColor = Rgb(255, 255, 255);
    // Measured on 19 letters so that every item starts at the same x.
    PrintAt(d, d.Width() / 2.0 - d.TextWidth(u"XXXXXXXXXXXXXXXXXXX") / 2, s.TwipsY * 224.0,
            MenuText(s.MenuNo, s.GameLevel));
    if (s.MenuNo == kMenuServer) {
        d.FontSize = 9;
        d.ForeColor = Rgb(0, 0, 0);
        const std::u16string_view waiting = u"◇ Waiting for clients connection";
        PrintAt(d, RightAligned(d, s.TwipsX, 10, waiting), s.TwipsY * 288.0, waiting);
        d.FontSize = 10;
        d.ForeColor = Rgb(255, 0, 0);
        const std::u16string ip = u"Your IP : " + LocalIP(g);
        PrintAt(d, RightAligned(d, s.TwipsX, 10, ip), s.TwipsY * 272.0, ip);
    } else if (s.MenuNo == kMenuClient) {
        d.FontSize = 9;
        d.ForeColor = Rgb(0, 0, 0);
        const std::u16string_view connect = u"◇ Connect server";
        PrintAt(d, RightAligned(d, s.TwipsX, 10, connect), s.TwipsY * 288.0, connect);
    }
    if (s.MenuNo >= 0 && s.MenuNo <= kMenuDifficultyB) {
        d.FontSize = 9;
        d.ForeColor = LevelColor(s.GameLevel);
        PrintAt(d, RightAligned(d, s.TwipsX, 10, u"XXXXXXXXXXXX"), s.TwipsY * 288.0,
                LevelLabel(s.GameLevel));
    }
}

// The match music is opened now and paused at its start; the match screen plays it when the
// count-down ends.
void PrepareMatchMusic(Game& g) {
    MusicClose(g);
    const int r = IntOf(g.Rnd() * 2.0 + 1);
    if (r == 1 && FilePresent(g, "music01.mid")) MusicPlay(g, ProgramFile(g, "music01.mid"));
    if (r == 2 && FilePresent(g, "music02.mid")) MusicPlay(g, ProgramFile(g, "music02.mid"));
    MusicPause(g);
}

// Acts on the release, not the press, of Enter or Space.
void Choose(Game& g) {
    GameState& s = g.s;
    if (s.MenuNo != kMenuDifficultyA && s.MenuNo != kMenuDifficultyB) PrepareMatchMusic(g);
    switch (s.MenuNo) {
        case 0:
        case 1:
        case 2:
        case 3:
        case 4:
            s.GameMode = kModeCom;
            GameStartInit(g);
            break;
        case kMenuDifficultyA:
        case kMenuDifficultyB:
            s.GameLevel = LevelAfterChange(s.MenuNo, s.GameLevel);
            s.MenuNo = 0;
            s.KeyState = 0;
            PlayNormal(g, kSeMiss);
            break;
        case kMenuServer:
            // KeyState stays 2: the connection screen takes over from the next frame.
            s.GameMode = kModeServer;
            StartServer(g);
            break;
        case kMenuClient:
            s.GameMode = kModeClient;
            ShowAddressWindow(g);
            break;
        default:
            break;
    }
}

}  // namespace

void Dis_Title(Game& g) {
    GameState& s = g.s;
    if (s.GameMode != kModeNone) {
        DIS_Connection(g);
        return;
    }
    Surface& d = g.Display;
    d.SetBackColor(Rgb(255, 255, 255));
    g.IM.SetBackColor(Rgb(0, 0, 0));
    DrawSquares(g);

    d.FontBold = false;
    d.FontSize = 30;
    d.ForeColor = Rgb(100, 50, 255);
    const std::u16string_view title = u"Kana Burst";
    PrintAt(d, d.Width() / 2.0 - d.TextWidth(title) / 2, s.TwipsY * 64.0, title);

    d.FontSize = 14;
    BlitCopy(d, 0, 222, 480, 22, g.IM, 0, 0);  // the black band behind the menu line
    DrawMenuLine(g);

    d.FontSize = 12;
    d.ForeColor = Rgb(0, 0, 0);
    PrintAt(d, d.Width() / 2.0 - d.TextWidth(u"▲") / 2, s.TwipsY * 196.0, u"▲");
    PrintAt(d, d.Width() / 2.0 - d.TextWidth(u"▼") / 2, s.TwipsY * 256.0, u"▼ ");

    d.FontSize = 8;
    d.ForeColor = Rgb(100, 100, 100);
    PrintAt(d, s.TwipsX * 5.0, s.TwipsY * 5.0,
            std::u16string(kCredit) + std::u16string(g.ownWords ? kOwnList : u"") +
                std::u16string(g.keeping.practising ? kPracticeList : u"") + u"Registration[" +
                Num(static_cast<long long>(g.Yomi.size())) + u" words]");

    if ((s.LastKeyUp == kVkReturn || s.LastKeyUp == kVkSpace) && s.KeyState == 2) Choose(g);
}

void ChooseMenuItem(Game& g, int item) {
    GameState& s = g.s;
    s.MenuNo = item;
    s.LastKeyUp = kVkReturn;
    s.KeyState = 2;
    Choose(g);
}

}  // namespace kb
