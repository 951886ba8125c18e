#include "screens/result_screen.h"

#include "screens/print_at.h"
#include "screens/result_figures.h"
#include "shell/scenes.h"
#include "text/ustr.h"

namespace kb {

namespace {

constexpr int kListedRecords = 3;

// Characters start..start+len-1 (1-based) of a text, as far as it has them.
std::u16string Mid(const std::u16string& text, size_t start, size_t len = std::u16string::npos) {
    return start - 1 < text.size() ? text.substr(start - 1, len) : std::u16string();
}

// A record is "0003:か:KI    KO    KYA ": count, kana, then the samples.
std::u16string RecordLine(const std::u16string& record) {
    return u"「" + Mid(record, 6, 1) + u"」　： " + Mid(record, 1, 4) + u"回　　ミスタイプ例 ： " +
           Mid(record, 8);
}

void DrawFigures(Game& g) {
    const GameState& s = g.s;
    Surface& d = g.Display;
    const double tx = s.TwipsX, ty = s.TwipsY;
    const int score = ResultScore(s.TypeCount, s.MissCount, s.PlaySec, s.GameLevel, s.MenuNo);
    const long long rate = TypingRateHundredths(s.TypeCount, s.MissCount, s.PlaySec);
    const long long ratio = MissRatioHundredths(s.TypeCount, s.MissCount);

    d.FontBold = false;
    d.FontSize = 20;
    d.ForeColor = Rgb(255, 100, 0);
    PrintAt(d, tx * 16, ty * 16, u"RESULT : " + s.GameResult);

    d.FontSize = 10;
    d.ForeColor = Rgb(150, 150, 255);
    PrintAt(d, tx * 16, ty * 64, u"総入力数       ：　" + Num(s.TypeCount) + u"字");
    PrintAt(d, tx * 16, ty * 80, u"総入力時間　   ：　" + Num(s.PlaySec) + u"秒");
    PrintAt(d, tx * 16, ty * 96, u"ミスタイプ　   ：　" + Num(s.MissCount) + u"字");
    PrintAt(d, tx * 16, ty * 112, u"平均入力数     ：　" + HundredthsText(rate) + u"字／秒");
    PrintAt(d, tx * 16, ty * 128,
            ratio == 0 ? u"平均ミス数　   ：　" + Num(s.TypeCount) + u"字中に0回"
                       : u"平均ミス数　   ：　" + HundredthsText(ratio) + u"字中に１回");
    PrintAt(d, tx * 16, ty * 176, u"あなたが最もミスした入力");

    d.ForeColor = Rgb(50, 200, 255);
    for (int i = 0; i < kListedRecords && i < static_cast<int>(g.SortW.size()); ++i)
        PrintAt(d, tx * 16, ty * (192 + 16 * i), RecordLine(g.SortW[i]));

    d.FontSize = 12;
    d.ForeColor = Rgb(255, 150, 255);
    PrintAt(d, tx * 16, ty * 256, u"SCORE　：　" + Num(score) + u"pts");

    d.FontSize = 14;
    d.ForeColor = Rgb(255, 0, 0);
    const std::u16string_view press = u"Press any key";
    PrintAt(d, tx * 448 - d.TextWidth(press), ty * 272, press);
}

}  // namespace

void Dis_Result(Game& g) {
    GameState& s = g.s;
    DrawFigures(g);

    const int now = WallSecond(g);
    if (now != s.EndSec) {
        s.ResultSec += 1;
        s.EndSec = static_cast<Integer>(now);
    }
    if (s.KeyState == 2 && s.ResultSec > 1) {
        s.SceneNo = kSceneTitle;
        s.KeyState = 0;
        s.InputStr.clear();
        Start_Init(g);
    } else if (s.ResultSec <= 1) {
        s.KeyState = 0;  // a key released in the first counted seconds is discarded
    }
}

}  // namespace kb
