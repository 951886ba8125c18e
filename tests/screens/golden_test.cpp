// Every scene rendered with the game's real typeface, and the sprite sheets themselves,
// compared pixel for pixel with the reference pictures in tests/golden/ (see golden_image.h).
#include <gtest/gtest.h>

#include <string>

#include "battle/missiles.h"
#include "golden_image.h"
#include "platform/sdl/ttf_fonts.h"
#include "screen_game.h"
#include "screens/connection_screen.h"
#include "screens/match_screen.h"
#include "screens/paint_bit.h"
#include "screens/result_screen.h"
#include "screens/title.h"
#include "screens/title_menu.h"
#include "text/ustr.h"

namespace kb {
namespace {

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

// Ours fly left from the right, the opponent's right from the left; lanes 1 and 4 explode.
void Match(ScreenGame& t, int playSec) {
    GameState& s = t.g.s;
    s.GameMode = kModeCom;
    s.StartCount = 0;
    s.StartSec = Num(t.Second());
    s.PlaySec = static_cast<Integer>(playSec);
    s.MyMisState[0] = kMisFlying, s.MyMisAnim[0] = 0, s.MyMisX[0] = 352, s.MyMisY[0] = 16;
    s.MyMisState[1] = kMisExploding, s.MyMisAnim[1] = 1, s.MyMisX[1] = 210, s.MyMisY[1] = 48;
    s.MyMisState[3] = kMisFlying, s.MyMisAnim[3] = 1, s.MyMisX[3] = 280, s.MyMisY[3] = 112;
    s.EnMisState[1] = kMisExploding, s.EnMisAnim[1] = 0, s.EnMisX[1] = 190, s.EnMisY[1] = 48;
    s.EnMisState[2] = kMisFlying, s.EnMisAnim[2] = 0, s.EnMisX[2] = 96, s.EnMisY[2] = 80;
    s.EnMisState[4] = kMisExploding, s.EnMisAnim[4] = 1, s.EnMisX[4] = 150, s.EnMisY[4] = 144;
    s.EnMisState[5] = kMisFlying, s.EnMisAnim[5] = 1, s.EnMisX[5] = 40, s.EnMisY[5] = 176;
    Dis_Mis(t.g);
    Dis_Str(t.g);
}

// The count-down at count against the opponent of mode (the first second shows no number).
void Countdown(ScreenGame& t, int mode, int count) {
    GameState& s = t.g.s;
    s.GameMode = mode;
    s.StartCount = static_cast<Single>(count);
    s.StartSec = Num(t.Second());
    t.g.Goku = {u"海"};
    t.g.Yomi = {u"うみ"};
    Dis_Mis(t.g);
    Dis_Str(t.g);
}

const struct Scene {
    const char* name;
    void (*draw)(ScreenGame&);
} kScenes[] = {
    {"match",
     [](ScreenGame& t) {
         t.g.Goku = {u"東京タワー"};
         t.g.Yomi = {u"とうきょうたわー"};
         t.g.s.KanaPos = 2;  // とう typed, き next
         t.g.s.InputStr = u"KY";
         t.g.s.LaneNo = 3;
         Match(t, 12);
     }},
    // Over a background picture, with the half-minute notice.
    {"match_background",
     [](ScreenGame& t) {
         t.g.Goku = {u"夕焼け"};
         t.g.Yomi = {u"ゆうやけ"};
         t.g.s.LaneNo = 5;
         t.g.s.BackLoaded = 1;
         for (int y = 0; y < 320; ++y)
             for (int x = 0; x < 480; ++x)
                 t.g.BACKpic.Pixels()[y * 480 + x] =
                     Rgb(40 + y / 2, 30 + y / 4, 120 - y / 4 + x / 16);
         Match(t, 31);
     }},
    // The count-down's second and third seconds, against the computer and over the network.
    {"countdown_com",
     [](ScreenGame& t) {
         t.g.s.MenuNo = 2;
         Countdown(t, kModeCom, 3);
     }},
    {"countdown_network", [](ScreenGame& t) { Countdown(t, kModeClient, 2); }},
    // The title while the server item is chosen: the address to give the other player.
    {"title_server",
     [](ScreenGame& t) {
         t.g.s.MenuNo = kMenuServer;
         Dis_Title(t.g);
     }},
    // The title, the other connection screens and a won result are shot by the replays.
    {"connection_listen_error",
     [](ScreenGame& t) {
         t.g.listenError =
             u"Cannot listen on port 1001: Permission denied\n"
             u"Let the other player be the server, or see: man kanaburst";
         t.g.s.GameMode = kModeServer;
         t.g.s.PlaySec = 1;
         t.g.s.StartSec = Num(t.Second());
         DIS_Connection(t.g);
     }},
    // A lost match without misses, and a fourth record that is not listed.
    {"result_lose",
     [](ScreenGame& t) {
         GameState& s = t.g.s;
         s.GameResult = u"LOSE";
         s.TypeCount = 3;
         s.PlaySec = 60;
         s.GameLevel = 1;
         s.MenuNo = 2;
         s.EndSec = static_cast<Integer>(t.Second());
         t.g.SortW = {u"0003:か:KI    KO    KYA ", u"0002:し:SA    SU  ", u"0001:ん:M   ",
                      u"0001:て:TW  "};
         Dis_Result(t.g);
     }},
    // A network match lost in its first second: no time to divide by.
    {"result_first_second",
     [](ScreenGame& t) {
         GameState& s = t.g.s;
         s.GameResult = u"LOSE";
         s.TypeCount = 60;  // keys typed before the count-down ended: a score without the speed
         s.MissCount = 1;
         s.PlaySec = 0;
         s.EndSec = static_cast<Integer>(t.Second());
         t.g.SortW = {u"0001:く:KI  "};
         Dis_Result(t.g);
     }},
    // Every cell of PIC and EXPpic (pictures over their masks) and the typing frame.
    {"sprites",
     [](ScreenGame& t) {
         BlitCopy(t.g.Display, 0, 0, 320, 64, t.g.PIC, 0, 0);
         BlitCopy(t.g.Display, 0, 64, 320, 128, t.g.EXPpic, 0, 0);
         BlitCopy(t.g.Display, 320, 0, 36, 36, t.g.Waku, 0, 0);
     }},
};

TEST(GoldenTest, EverySceneAndSprite) {
    for (const Scene& scene : kScenes) {
        SCOPED_TRACE(scene.name);
        ScreenGame t(GameFont());
        scene.draw(t);
        test::ExpectGolden(t.g.Display, scene.name);
    }
}

}  // namespace
}  // namespace kb
