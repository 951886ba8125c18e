#include "battle/missiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "battle_game.h"

namespace kb {
namespace {

using test::BattleGame;
using Lines = std::vector<std::string>;

// Puts a flying missile straight into a table, as a launch and reinforcements would leave it.
void PlaceMy(GameState& s, int lane, Integer x, Integer power = 1) {
    s.MyMisState[lane] = kMisFlying;
    s.MyMisX[lane] = x;
    s.MyMisPower[lane] = power;
}
void PlaceEn(GameState& s, int lane, Integer x, Integer power = 1) {
    s.EnMisState[lane] = kMisFlying;
    s.EnMisX[lane] = x;
    s.EnMisPower[lane] = power;
}

// Fps at which a missile of power 1 moves exactly one pixel a frame, and one so high that
// every step rounds to nothing, so missiles stand still where a test puts them.
constexpr Long kOnePixelFps = 16;
constexpr Long kStandStillFps = 1000;

// A base is hit when a missile passes the other side's launch x; missiles in one lane meet
// when their sprites overlap. Both explode for 31 frames. A client never decides a hit: its
// missiles fly on past the bases and through each other until the server's word comes.
TEST(MissileHitTest, BaseHitsAndCollisions) {
    struct Case {
        const char* name;
        Long mode, fps;
        Integer myX, enX;  // 0: no missile
        Integer myState, enState;
        const char16_t* result;
    };
    const std::vector<Case> cases = {
        {"mine to 32", kModeCom, kOnePixelFps, 33, 0, kMisFlying, kMisEmpty, u""},
        {"mine to 31", kModeCom, kOnePixelFps, 32, 0, kMisExploding, kMisEmpty, u"WIN"},
        {"theirs to 416", kModeCom, kOnePixelFps, 0, 415, kMisEmpty, kMisFlying, u""},
        {"theirs to 417", kModeCom, kOnePixelFps, 0, 416, kMisEmpty, kMisExploding, u"LOSE"},
        {"edges touch", kModeCom, kStandStillFps, 100, 68, kMisFlying, kMisFlying, u""},
        {"1 px overlap", kModeCom, kStandStillFps, 100, 69, kMisExploding, kMisExploding, u""},
        {"passed", kModeCom, kStandStillFps, 50, 200, kMisExploding, kMisExploding, u""},
        {"client: base", kModeClient, kOnePixelFps, 32, 0, kMisFlying, kMisEmpty, u""},
        {"client: passed", kModeClient, kStandStillFps, 50, 200, kMisFlying, kMisFlying, u""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BattleGame t;
        t.StartMatch(c.mode, c.fps);
        GameState& s = t.g.s;
        if (c.myX) PlaceMy(s, 4, c.myX);
        if (c.enX) PlaceEn(s, 4, c.enX);
        MOV_MIS(t.g);
        EXPECT_EQ(s.MyMisState[4], c.myState);
        EXPECT_EQ(s.EnMisState[4], c.enState);
        EXPECT_EQ(s.GameResult, c.result);
        EXPECT_EQ(s.SceneNo, *c.result ? kSceneOver : kSceneMatch);
        if (c.myState != kMisExploding && c.enState != kMisExploding) continue;
        int burning = 0;
        for (int frame = 0; frame < 40; ++frame) {
            burning += s.MyMisState[4] == kMisExploding || s.EnMisState[4] == kMisExploding;
            MOV_MIS(t.g);
        }
        EXPECT_EQ(burning, 31);
        EXPECT_EQ(s.MyMisState[4] | s.EnMisState[4], kMisEmpty);
    }
}

// Both bases fall in one frame: the opponent's loop runs second, so "LOSE" stands, and the
// lanes after the deciding hit still move and meet, but only the decision is sent.
TEST(MissileHitTest, LanesAfterTheDecidingHit) {
    BattleGame t;
    t.StartMatch(kModeServer, kOnePixelFps);
    GameState& s = t.g.s;
    PlaceMy(s, 0, 32);
    PlaceMy(s, 3, 300);
    PlaceEn(s, 3, 298);
    PlaceEn(s, 5, 416);
    MOV_MIS(t.g);
    EXPECT_EQ(t.Queued(), std::vector<std::u16string>{u"5110"});
    EXPECT_EQ(s.MyMisState[3], kMisExploding);
    EXPECT_EQ(s.EnMisState[5], kMisExploding);
    EXPECT_EQ(s.GameResult, u"LOSE");
}

// A launch replaces an explosion still burning in its lane. Shots are ignored outside a match,
// for a side or lane that is none of the tables'; the spare lane 6 takes a peer's missile.
TEST(FireTest, LaunchOverAnExplosionOrIgnored) {
    struct Case {
        const char* name;
        Long mode;
        int side, lane;
        std::array<Integer, 3> after;  // state, x, power of the side's table in that lane
    };
    const std::vector<Case> cases = {
        {"player over an explosion", kModeCom, kMySide, 3, {kMisFlying, 416, 1}},
        {"opponent over an explosion", kModeCom, kEnSide, 3, {kMisFlying, 32, 1}},
        {"peer in the spare lane", kModeServer, kEnSide, 6, {kMisFlying, 32, 1}},
        {"no match", kModeNone, kMySide, 3, {kMisExploding, 300, 20}},
        {"side 2", kModeCom, 2, 3, {kMisExploding, 300, 20}},
        {"side -1", kModeCom, -1, 3, {kMisExploding, 300, 20}},
        {"lane 7", kModeServer, kMySide, 7, {kMisEmpty, 0, 0}},
        {"lane -1", kModeClient, kEnSide, -1, {kMisEmpty, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BattleGame t;
        t.StartMatch(c.mode);
        GameState& s = t.g.s;
        const bool my = c.side == kMySide;
        auto& state = my ? s.MyMisState : s.EnMisState;
        auto& x = my ? s.MyMisX : s.EnMisX;
        auto& power = my ? s.MyMisPower : s.EnMisPower;
        state[3] = kMisExploding;
        x[3] = 300;
        power[3] = 20;
        Fire_Mis(t.g, c.lane, c.side);
        const int lane = std::clamp(c.lane, 0, kLaneSlots - 1);
        EXPECT_EQ((std::array<Integer, 3>{state[lane], x[lane], power[lane]}), c.after);
    }
}

// Each side sends its own player's shots; only the server tells of collisions and hits (on
// the opponent's base 1, on ours 0).
TEST(MissileMessageTest, WhoSendsWhat) {
    for (Long mode : {kModeServer, kModeClient, kModeCom}) {
        SCOPED_TRACE(mode);
        BattleGame t;
        t.StartMatch(mode, kOnePixelFps);
        Fire_Mis(t.g, 2, kMySide);
        Fire_Mis(t.g, 2, kMySide);
        Fire_Mis(t.g, 0, kMySide);
        Fire_Mis(t.g, 4, kEnSide);
        Fire_Mis(t.g, 4, kEnSide);
        t.g.s.MyMisX[2] = 200;
        PlaceEn(t.g.s, 2, 190);
        t.g.s.EnMisX[4] = 416;
        MOV_MIS(t.g);
        std::vector<std::u16string> sent;
        if (mode != kModeCom) sent = {u"042", u"052", u"040"};
        if (mode == kModeServer) sent.insert(sent.end(), {u"062", u"5104"});
        EXPECT_EQ(t.Queued(), sent);
        EXPECT_EQ(t.TracedStartingWith("send "), mode == kModeCom ? Lines{} : Lines{"send 042"});
    }
}

// Heard where they meet: full left at the left edge, full right at the right one, rounded down.
TEST(MissileSoundTest, CollisionIsPannedByThePlayersMissile) {
    for (const auto& [x, pan] :
         {std::pair<Integer, std::string>{416, "7333"}, {100, "-5834"}, {240, "0"}}) {
        BattleGame t;
        t.StartMatch(kModeCom, kStandStillFps);
        PlaceMy(t.g.s, 2, x);
        PlaceEn(t.g.s, 2, x);
        MOV_MIS(t.g);
        EXPECT_EQ(t.TracedStartingWith("sound "), Lines{"sound playex 2 " + pan + " 14000"});
    }
}

}  // namespace
}  // namespace kb
