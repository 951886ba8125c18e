// Screens rendered with the game's real typeface and compared pixel for pixel with the
// reference pictures in tests/golden/ (see golden_image.h).
#include <gtest/gtest.h>

#include <string>

#include "battle/missiles.h"
#include "golden_image.h"
#include "platform/sdl/ttf_fonts.h"
#include "screen_game.h"
#include "screens/connection_screen.h"
#include "screens/match_screen.h"
#include "screens/result_screen.h"
#include "screens/title.h"
#include "shell/ustr.h"

namespace kb {
namespace {

using test::ExpectGolden;
using test::ScreenGame;

FontEngine* GameFont() {
    static TtfFontEngine fonts;
    static const bool kOpened = [] {
        std::string error;
        const bool ok = fonts.Open(TtfFontEngine::FindFontFile(KB_BINARY_DIR), error);
        if (!ok) ADD_FAILURE() << error;
        return ok;
    }();
    return kOpened ? &fonts : nullptr;
}

// A word list of n entries, for the count on the title.
void Words(Game& g, int n) {
    for (int i = 0; i < n; ++i) {
        g.Goku.push_back(u"東京タワー");
        g.Yomi.push_back(u"とうきょうたわー");
    }
}

TEST(GoldenTest, Title) {
    ScreenGame t(GameFont(), 5);
    Words(t.g, 250);
    Dis_Title(t.g);
    ExpectGolden(t.g.Display, "title");
}

TEST(GoldenTest, TitleHardDifficultyItem) {
    ScreenGame t(GameFont(), 9);
    t.g.s.MenuNo = 6;
    t.g.s.GameLevel = 2;
    Dis_Title(t.g);
    ExpectGolden(t.g.Display, "title_difficulty");
}

TEST(GoldenTest, TitleClientItem) {
    ScreenGame t(GameFont(), 11);
    t.g.s.MenuNo = 8;
    t.g.s.GameLevel = 1;
    Words(t.g, 3);
    Dis_Title(t.g);
    ExpectGolden(t.g.Display, "title_client");
}

// The match's first frames: the battlefield, the digit and the opponent.
TEST(GoldenTest, CountDown) {
    ScreenGame t(GameFont());
    Words(t.g, 1);
    t.g.s.GameMode = kModeCom;
    t.g.s.MenuNo = 2;
    t.g.s.StartCount = 3;
    t.g.s.StartSec = Num(t.Second());
    Dis_Mis(t.g);
    Dis_Str(t.g);
    ExpectGolden(t.g.Display, "countdown");
}

void MissilesInPlay(GameState& s) {
    // Ours fly left from the right, the opponent's right from the left; lanes 1 and 4 explode.
    s.MyMisState[0] = kMisFlying, s.MyMisAnim[0] = 0, s.MyMisX[0] = 352, s.MyMisY[0] = 16;
    s.MyMisState[1] = kMisExploding, s.MyMisAnim[1] = 1, s.MyMisX[1] = 210, s.MyMisY[1] = 48;
    s.MyMisState[3] = kMisFlying, s.MyMisAnim[3] = 1, s.MyMisX[3] = 280, s.MyMisY[3] = 112;
    s.EnMisState[1] = kMisExploding, s.EnMisAnim[1] = 0, s.EnMisX[1] = 190, s.EnMisY[1] = 48;
    s.EnMisState[2] = kMisFlying, s.EnMisAnim[2] = 0, s.EnMisX[2] = 96, s.EnMisY[2] = 80;
    s.EnMisState[4] = kMisExploding, s.EnMisAnim[4] = 1, s.EnMisX[4] = 150, s.EnMisY[4] = 144;
    s.EnMisState[5] = kMisFlying, s.EnMisAnim[5] = 1, s.EnMisX[5] = 40, s.EnMisY[5] = 176;
}

TEST(GoldenTest, MatchWithMissiles) {
    ScreenGame t(GameFont());
    Words(t.g, 1);
    GameState& s = t.g.s;
    s.GameMode = kModeCom;
    s.StartCount = 0;
    s.StartSec = Num(t.Second());
    s.PlaySec = 12;
    s.KanaPos = 2;  // とう typed, き next
    s.InputStr = u"KY";
    s.LaneNo = 3;
    MissilesInPlay(s);
    Dis_Mis(t.g);
    Dis_Str(t.g);
    ExpectGolden(t.g.Display, "match");
}

// Over a background picture, with the half-minute notice.
TEST(GoldenTest, MatchOverBackgroundWithNotice) {
    ScreenGame t(GameFont());
    t.g.Goku = {u"夕焼け"};
    t.g.Yomi = {u"ゆうやけ"};
    GameState& s = t.g.s;
    s.GameMode = kModeCom;
    s.StartCount = 0;
    s.StartSec = Num(t.Second());
    s.PlaySec = 31;
    s.KanaPos = 0;
    s.LaneNo = 5;
    s.BackLoaded = 1;
    for (int y = 0; y < 320; ++y)
        for (int x = 0; x < 480; ++x)
            t.g.BACKpic.Pixels()[y * 480 + x] = Rgb(40 + y / 2, 30 + y / 4, 120 - y / 4 + x / 16);
    MissilesInPlay(s);
    Dis_Mis(t.g);
    Dis_Str(t.g);
    ExpectGolden(t.g.Display, "match_background");
}

TEST(GoldenTest, ConnectionServerWaiting) {
    ScreenGame t(GameFont());
    t.g.s.GameMode = kModeServer;
    t.g.s.PlaySec = 2;
    t.g.s.StartSec = Num(t.Second());
    DIS_Connection(t.g);
    ExpectGolden(t.g.Display, "connection_server");
}

TEST(GoldenTest, ConnectionClientConnecting) {
    ScreenGame t(GameFont());
    t.g.s.GameMode = kModeClient;
    t.g.s.PlaySec = 3;
    t.g.s.StartSec = Num(t.Second());
    DIS_Connection(t.g);
    ExpectGolden(t.g.Display, "connection_client");
}

TEST(GoldenTest, ConnectionServerCannotListen) {
    ScreenGame t(GameFont());
    t.g.s.GameMode = kModeServer;
    t.g.s.PlaySec = 1;
    t.g.s.StartSec = Num(t.Second());
    t.g.listenError = u"Cannot listen on port 1001: Permission denied";
    DIS_Connection(t.g);
    ExpectGolden(t.g.Display, "connection_listen_error");
}

TEST(GoldenTest, ConnectionClientTypingTheAddress) {
    ScreenGame t(GameFont());
    t.g.s.GameMode = kModeClient;
    t.g.s.StartSec = Num(t.Second());
    t.form2.Show();
    DIS_Connection(t.g);
    ExpectGolden(t.g.Display, "connection_address");
}

TEST(GoldenTest, Result) {
    ScreenGame t(GameFont());
    GameState& s = t.g.s;
    s.GameResult = u"WIN";
    s.TypeCount = 120;
    s.MissCount = 4;
    s.PlaySec = 60;
    s.GameLevel = 1;
    s.MenuNo = 2;
    s.EndSec = static_cast<Integer>(t.Second());
    t.g.SortW = {u"0003:か:KI    KO    KYA ", u"0002:し:SA    SU  ", u"0001:ん:M   "};
    Dis_Result(t.g);
    ExpectGolden(t.g.Display, "result");
}

}  // namespace
}  // namespace kb
