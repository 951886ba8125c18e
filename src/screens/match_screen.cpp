#include "screens/match_screen.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "audio/music.h"
#include "audio/sound_effects.h"
#include "battle/missiles.h"
#include "net/protocol.h"
#include "screens/paint_bit.h"
#include "screens/print_at.h"
#include "text/ustr.h"
#include "typing/word_list.h"

namespace kb {

namespace {

constexpr int kSprite = 32;

void DrawMaskedCell(Game& g, int x, int y, int cell) {
    BlitPaint(g.Display, x, y, kSprite, kSprite, g.PIC, kSprite * cell, kSprite);
    BlitAnd(g.Display, x, y, kSprite, kSprite, g.PIC, kSprite * cell, 0);
}

// A Single printed as a number: the fewest digits that read back as the same value ("3", "2.5").
// Not std::to_chars: not every C++ library we build with has it for floats.
std::u16string SingleText(float v) {
    char buf[32];
    for (int digits = 1; digits <= 9; ++digits) {
        std::snprintf(buf, sizeof buf, "%.*g", digits, static_cast<double>(v));
        if (std::strtof(buf, nullptr) == v) break;
    }
    return FromUtf8(buf);
}

// Counts the match's seconds on every change of the wall clock's second.
void TickClock(Game& g) {
    GameState& s = g.s;
    const std::u16string now = Num(WallSecond(g));
    if (now == s.StartSec) return;
    s.StartSec = now;
    s.PlaySec += 1;
    // The client receives its count-down from the server instead.
    if (s.GameMode != kModeClient && s.StartCount > 0) {
        s.StartCount -= 1;
        if (s.GameMode == kModeServer) SendDataAdd(g, kCodeCountDown, SingleText(s.StartCount));
        if (g.ended) return;  // Connect Lost ended the program
        if (s.StartCount == 0) {
            s.InputStr.clear();
            s.InputOn = 1;
        }
    }
    if (s.PlaySec % 30 == 0 && s.PlaySec > 10) {
        s.SpeedBonus += 1;
        PlayNormal(g, kSeSpeedUp);
    }
}

// "Now 30 sec." for four seconds from every half minute.
void DrawHalfMinuteNotice(Game& g) {
    const GameState& s = g.s;
    if (!(s.PlaySec % 30 <= 3 && s.PlaySec > 10)) return;
    Surface& d = g.Display;
    const std::u16string t = u"Now " + Num(s.PlaySec) + u" sec.";
    d.FontSize = 12;
    d.FontBold = true;
    d.ForeColor = Rgb(255, 150, 100);
    PrintAt(d, (d.Width() - d.TextWidth(t)) / 2, (d.Height() - d.TextHeight(t)) / 2, t);
    d.FontBold = false;
}

void DrawCountDown(Game& g) {
    GameState& s = g.s;
    Surface& d = g.Display;
    d.FontSize = 14;
    d.FontBold = true;
    d.ForeColor = Rgb(200, 100, 250);
    // A number prints with a blank on either side. Built by appending: GCC 12 at -O3 takes the
    // inlined copy of `u" " + text` for an overlapping one (a false -Wrestrict).
    std::u16string count = u" ";
    count += SingleText(s.StartCount);
    count += u' ';
    PrintAt(d, (d.Width() - d.TextWidth(u"0")) / 2, s.TwipsY * 192.0, count);
    d.ForeColor = Rgb(20, 180, 250);
    if (s.GameMode == kModeCom) {
        PrintAt(d, (d.Width() - d.TextWidth(u"VS. Com 0keys/sec")) / 2, s.TwipsY * 96.0,
                u"VS. Com " + Num(s.MenuNo + 1) + u"keys/sec");
    } else if (s.GameMode == kModeClient || s.GameMode == kModeServer) {
        PrintAt(d, (d.Width() - d.TextWidth(u"VS. Network")) / 2, s.TwipsY * 96.0, u"VS. Network");
    }
    d.FontBold = false;
    s.PlaySec = 0;  // the match seconds start when the count-down ends
}

// The typing line: accepted kana, the next one large in the frame, then the romaji typed for
// it above the rest of the reading.
void DrawTyping(Game& g) {
    const GameState& s = g.s;
    Surface& d = g.Display;
    const double tx = s.TwipsX, ty = s.TwipsY;

    d.FontSize = 16;
    d.FontBold = true;
    d.ForeColor = Rgb(255, 200, 50);
    const bool hasWord = s.WordNo >= 0 && s.WordNo < static_cast<int>(g.Goku.size());
    PrintAt(d, tx * 16, ty * 234, hasWord ? std::u16string_view(g.Goku[s.WordNo]) : u"");
    d.FontBold = false;

    const std::u16string r = ReadingAt(g, s.WordNo);
    const size_t k = static_cast<size_t>(std::max<int>(0, s.KanaPos));
    const std::u16string typed = r.substr(0, std::min(k, r.size()));
    const bool complete = k >= r.size();

    if (!complete) {
        d.FontSize = 12;
        const double w = d.TextWidth(typed) / tx;
        BlitCopy(d, static_cast<int>(std::nearbyint(w + 15)), 266, g.Waku.W(), g.Waku.H(), g.Waku,
                 0, 0);
    }
    if (k > 0) {
        d.FontSize = 12;
        d.ForeColor = Rgb(180, 255, 50);
        PrintAt(d, tx * 16, ty * 268, typed);
    }
    const double nextX = tx * 16 + d.TextWidth(typed);
    d.FontSize = 25;
    d.FontBold = true;
    d.ForeColor = Rgb(255, 30, 80);
    PrintAt(d, nextX, ty * 268, complete ? std::u16string() : r.substr(k, 1));

    const std::u16string throughNext = r.substr(0, std::min(k + 1, r.size()));
    if (!s.InputStr.empty()) {
        d.FontSize = 12;
        d.FontBold = false;
        d.ForeColor = Rgb(150, 180, 255);
        PrintAt(d, tx * 36 + d.TextWidth(throughNext), ty * 263, s.InputStr);
    }
    d.FontSize = 12;
    d.FontBold = false;
    d.ForeColor = Rgb(255, 100, 100);
    PrintAt(d, tx * 36 + d.TextWidth(throughNext), ty * 285,
            k + 1 < r.size() ? r.substr(k + 1) : std::u16string());
}

}  // namespace

void Dis_Mis(Game& g) {
    const GameState& s = g.s;
    if (s.BackLoaded == 1) BlitCopy(g.Display, 0, 0, 480, 224, g.BACKpic, 0, 0);
    // All the player's missiles first, then all the opponent's. The flying ones are cells 0 to
    // 3, the exploding ones 4 to 7, two phases of each side.
    for (int i = 0; i < kLanes; ++i) {
        if (s.MyMisState[i] != kMisEmpty)
            DrawMaskedCell(g, s.MyMisX[i], s.MyMisY[i],
                           (s.MyMisState[i] - kMisFlying) * 4 + s.MyMisAnim[i]);
    }
    for (int i = 0; i < kLanes; ++i) {
        if (s.EnMisState[i] != kMisEmpty)
            DrawMaskedCell(g, s.EnMisX[i], s.EnMisY[i],
                           (s.EnMisState[i] - kMisFlying) * 4 + s.EnMisAnim[i] + 2);
    }
}

void Dis_Str(Game& g) {
    GameState& s = g.s;
    TickClock(g);
    if (g.ended) return;
    DrawHalfMinuteNotice(g);
    if (s.StartCount >= 4) return;  // the first second shows the battlefield alone
    if (s.StartCount > 0) {
        DrawCountDown(g);
        return;
    }
    DrawTyping(g);
    DrawMaskedCell(g, 448, 32 * s.LaneNo + 16, 8);  // the lane cursor
    MusicLoop(g);
}

}  // namespace kb
