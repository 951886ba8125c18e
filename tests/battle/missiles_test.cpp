#include "battle/missiles.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "battle_game.h"

namespace kb {
namespace {

using test::BattleGame;

// Puts a flying missile straight into a table, as a launch and reinforcements would leave it.
void PlaceMy(GameState& s, int lane, Integer x, Integer power = 1) {
    s.MyMisState[lane] = kMisFlying;
    s.MyMisX[lane] = x;
    s.MyMisY[lane] = static_cast<Integer>(32 * lane + 16);
    s.MyMisPower[lane] = power;
}
void PlaceEn(GameState& s, int lane, Integer x, Integer power = 1) {
    s.EnMisState[lane] = kMisFlying;
    s.EnMisX[lane] = x;
    s.EnMisY[lane] = static_cast<Integer>(32 * lane + 16);
    s.EnMisPower[lane] = power;
}

// Fps at which a missile of power 1 moves exactly one pixel a frame, and one so high that
// every step rounds to nothing, so missiles stand still where a test puts them.
constexpr Long kOnePixelFps = 16;
constexpr Long kStandStillFps = 1000;

TEST(MissileFlightTest, StepIsRoundedToNearestWithTiesToEven) {
    struct Case {
        const char* name;
        Integer power, bonus;
        Long fps;
        Integer myX, myAfter, enX, enAfter;
    };
    const std::vector<Case> cases = {
        {"fresh missile at 15 fps: 1.07 px", 1, 0, 15, 416, 415, 32, 33},
        {"power 5 + bonus 2 at 15 fps: 7.47 px", 5, 2, 15, 416, 409, 32, 39},
        {"power 3 + bonus 1 at 15 fps: 4.27 px", 3, 1, 15, 416, 412, 32, 36},
        {"power 1 at 8 fps: 2 px exactly", 1, 0, 8, 300, 298, 100, 102},
        {"power 5 at 64 fps: 1.25 px", 5, 0, 64, 416, 415, 32, 33},
        {"half a pixel from even: stays", 1, 0, 32, 416, 416, 32, 32},
        {"half a pixel from odd: to even", 1, 0, 32, 415, 414, 33, 34},
        {"1.5 px from even: to even", 3, 0, 32, 416, 414, 32, 34},
        {"1.5 px from odd: to even", 3, 0, 32, 415, 414, 33, 34},
        {"bonus alone moves a missile", 0, 2, 16, 200, 198, 200, 202},
        {"Fps 0 counts as 1: 16 px", 1, 0, 0, 416, 400, 32, 48},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BattleGame t;
        t.StartMatch(kModeCom, c.fps);
        t.g.s.SpeedBonus = c.bonus;
        PlaceMy(t.g.s, 3, c.myX, c.power);
        PlaceEn(t.g.s, 0, c.enX, c.power);
        MOV_MIS(t.g);
        EXPECT_EQ(t.g.s.MyMisX[3], c.myAfter);
        EXPECT_EQ(t.g.s.EnMisX[0], c.enAfter);
        EXPECT_EQ(t.g.s.MyMisState[3], kMisFlying);
        EXPECT_EQ(t.g.s.EnMisState[0], kMisFlying);
    }
}

TEST(MissileFlightTest, FreshMissileReachesTheFarBaseIn385FramesAt15Fps) {
    BattleGame t;
    t.StartMatch(kModeCom, 15);
    Fire_Mis(t.g, 2, kMySide);
    int frames = 0;
    while (t.g.s.SceneNo == kSceneMatch && frames < 1000) {
        MOV_MIS(t.g);
        ++frames;
    }
    EXPECT_EQ(frames, 385);
    EXPECT_EQ(t.g.s.MyMisX[2], 31);
    EXPECT_EQ(t.g.s.GameResult, u"WIN");
}

TEST(MissileFlightTest, AnimationTogglesInEveryLaneWhateverItsState) {
    BattleGame t;
    t.StartMatch(kModeCom, 15);
    PlaceMy(t.g.s, 1, 300);
    for (int frame = 1; frame <= 4; ++frame) {
        MOV_MIS(t.g);
        for (int i = 0; i < kLanes; ++i) {
            EXPECT_EQ(t.g.s.MyMisAnim[i], frame % 2) << "lane " << i << " frame " << frame;
            EXPECT_EQ(t.g.s.EnMisAnim[i], frame % 2) << "lane " << i << " frame " << frame;
        }
    }
}

TEST(MissileHitTest, BaseIsHitOnlyPastTheOtherSidesLaunchX) {
    struct Case {
        const char* name;
        int side;
        Integer xAfterStep;
        bool hit;
        const char16_t* result;
    };
    const std::vector<Case> cases = {
        {"player's missile at 32 has not arrived", kMySide, 32, false, u""},
        {"player's missile at 31 has arrived", kMySide, 31, true, u"WIN"},
        {"opponent's missile at 416 has not arrived", kEnSide, 416, false, u""},
        {"opponent's missile at 417 has arrived", kEnSide, 417, true, u"LOSE"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BattleGame t;
        t.StartMatch(kModeCom, kOnePixelFps);
        GameState& s = t.g.s;
        if (c.side == kMySide) {
            PlaceMy(s, 4, static_cast<Integer>(c.xAfterStep + 1));
        } else {
            PlaceEn(s, 4, static_cast<Integer>(c.xAfterStep - 1));
        }
        MOV_MIS(t.g);
        const Integer state = c.side == kMySide ? s.MyMisState[4] : s.EnMisState[4];
        const Integer power = c.side == kMySide ? s.MyMisPower[4] : s.EnMisPower[4];
        EXPECT_EQ(state, c.hit ? kMisExploding : kMisFlying);
        EXPECT_EQ(power, c.hit ? 30 : 1);
        EXPECT_EQ(s.SceneNo, c.hit ? kSceneOver : kSceneMatch);
        EXPECT_EQ(s.GameResult, c.result);
        EXPECT_EQ(s.GameMode, c.hit ? kModeNone : kModeCom);
    }
}

TEST(MissileHitTest, CollisionWhenTheSpritesOverlap) {
    struct Case {
        const char* name;
        Integer myX, enX;
        bool collide;
    };
    const std::vector<Case> cases = {
        {"touching edges: 100 against 68", 100, 68, false},
        {"one pixel of overlap: 100 against 69", 100, 69, true},
        {"passed each other", 50, 200, true},
        {"far apart", 300, 40, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BattleGame t;
        t.StartMatch(kModeCom, kStandStillFps);
        GameState& s = t.g.s;
        PlaceMy(s, 1, c.myX, 1);
        PlaceEn(s, 1, c.enX, 9);  // powers are never compared: both go up
        MOV_MIS(t.g);
        EXPECT_EQ(s.MyMisState[1], c.collide ? kMisExploding : kMisFlying);
        EXPECT_EQ(s.EnMisState[1], c.collide ? kMisExploding : kMisFlying);
        EXPECT_EQ(s.MyMisPower[1], c.collide ? 30 : 1);
        EXPECT_EQ(s.EnMisPower[1], c.collide ? 30 : 9);
        EXPECT_EQ(s.SceneNo, kSceneMatch);
    }
}

TEST(MissileHitTest, MissilesInDifferentLanesNeverCollide) {
    BattleGame t;
    t.StartMatch(kModeCom, kStandStillFps);
    PlaceMy(t.g.s, 1, 100);
    PlaceEn(t.g.s, 2, 100);
    MOV_MIS(t.g);
    EXPECT_EQ(t.g.s.MyMisState[1], kMisFlying);
    EXPECT_EQ(t.g.s.EnMisState[2], kMisFlying);
}

TEST(MissileHitTest, ExplosionLasts31FramesThenTheLaneIsEmpty) {
    BattleGame t;
    t.StartMatch(kModeCom, kStandStillFps);
    PlaceMy(t.g.s, 0, 100);
    PlaceEn(t.g.s, 0, 90);
    int myFrames = 0, enFrames = 0;
    for (int frame = 0; frame < 40; ++frame) {
        MOV_MIS(t.g);  // the frame's drawing sees the tables as they are now
        myFrames += t.g.s.MyMisState[0] == kMisExploding;
        enFrames += t.g.s.EnMisState[0] == kMisExploding;
    }
    EXPECT_EQ(myFrames, 31);
    EXPECT_EQ(enFrames, 31);
    EXPECT_EQ(t.g.s.MyMisState[0], kMisEmpty);
    EXPECT_EQ(t.g.s.EnMisState[0], kMisEmpty);
}

TEST(MissileHitTest, ClientNeverDecidesOnItsOwn) {
    BattleGame t;
    t.StartMatch(kModeClient, kOnePixelFps);
    GameState& s = t.g.s;
    PlaceMy(s, 0, 32);
    PlaceEn(s, 5, 416);
    PlaceMy(s, 3, 100);
    PlaceEn(s, 3, 100);
    for (int frame = 0; frame < 3; ++frame) MOV_MIS(t.g);
    // Past the bases and through each other, still flying until the server says otherwise.
    EXPECT_EQ(s.MyMisState[0], kMisFlying);
    EXPECT_EQ(s.MyMisX[0], 29);
    EXPECT_EQ(s.EnMisState[5], kMisFlying);
    EXPECT_EQ(s.EnMisX[5], 419);
    EXPECT_EQ(s.MyMisState[3], kMisFlying);
    EXPECT_EQ(s.EnMisState[3], kMisFlying);
    EXPECT_EQ(s.SceneNo, kSceneMatch);
    EXPECT_EQ(s.GameMode, kModeClient);
}

TEST(MissileHitTest, SecondBaseHitInTheSameFrameStands) {
    BattleGame t;
    t.StartMatch(kModeCom, kOnePixelFps);
    GameState& s = t.g.s;
    PlaceMy(s, 0, 32);   // hits first: "WIN"
    PlaceEn(s, 5, 416);  // the opponent's loop runs after: "LOSE"
    MOV_MIS(t.g);
    EXPECT_EQ(s.MyMisState[0], kMisExploding);
    EXPECT_EQ(s.EnMisState[5], kMisExploding);
    EXPECT_EQ(s.GameResult, u"LOSE");
    EXPECT_EQ(s.SceneNo, kSceneOver);
}

TEST(MissileHitTest, LanesAfterTheDecidingHitStillMoveAndCollide) {
    BattleGame t;
    t.StartMatch(kModeCom, kOnePixelFps);
    GameState& s = t.g.s;
    PlaceMy(s, 0, 32);
    PlaceMy(s, 4, 300);
    PlaceEn(s, 4, 298);
    MOV_MIS(t.g);
    EXPECT_EQ(s.GameResult, u"WIN");
    EXPECT_EQ(s.MyMisState[4], kMisExploding);
    EXPECT_EQ(s.EnMisState[4], kMisExploding);
}

TEST(FireTest, LaunchIntoAnEmptyLane) {
    BattleGame t;
    t.StartMatch(kModeCom);
    GameState& s = t.g.s;
    Fire_Mis(t.g, 5, kMySide);
    Fire_Mis(t.g, 2, kEnSide);
    EXPECT_EQ(s.MyMisState[5], kMisFlying);
    EXPECT_EQ(s.MyMisX[5], 416);
    EXPECT_EQ(s.MyMisY[5], 176);
    EXPECT_EQ(s.MyMisPower[5], 1);
    EXPECT_EQ(s.EnMisState[2], kMisFlying);
    EXPECT_EQ(s.EnMisX[2], 32);
    EXPECT_EQ(s.EnMisY[2], 80);
    EXPECT_EQ(s.EnMisPower[2], 1);
    // Each side fires only into its own table.
    EXPECT_EQ(s.EnMisState[5], kMisEmpty);
    EXPECT_EQ(s.MyMisState[2], kMisEmpty);
}

TEST(FireTest, SecondShotIntoAFlyingMissilesLaneReinforcesIt) {
    BattleGame t;
    t.StartMatch(kModeCom, 15);
    GameState& s = t.g.s;
    Fire_Mis(t.g, 1, kMySide);
    Fire_Mis(t.g, 1, kEnSide);
    for (int frame = 0; frame < 10; ++frame) MOV_MIS(t.g);
    const Integer myX = s.MyMisX[1], enX = s.EnMisX[1];
    Fire_Mis(t.g, 1, kMySide);
    Fire_Mis(t.g, 1, kMySide);
    Fire_Mis(t.g, 1, kEnSide);
    EXPECT_EQ(s.MyMisPower[1], 5);
    EXPECT_EQ(s.EnMisPower[1], 3);
    EXPECT_EQ(s.MyMisX[1], myX);
    EXPECT_EQ(s.EnMisX[1], enX);
    EXPECT_EQ(s.MyMisState[1], kMisFlying);
    EXPECT_EQ(s.EnMisState[1], kMisFlying);
}

TEST(FireTest, LaunchReplacesAnExplosionInTheLane) {
    BattleGame t;
    t.StartMatch(kModeCom, kStandStillFps);
    GameState& s = t.g.s;
    PlaceMy(s, 3, 200);
    PlaceEn(s, 3, 190);
    MOV_MIS(t.g);
    ASSERT_EQ(s.MyMisState[3], kMisExploding);
    ASSERT_EQ(s.EnMisState[3], kMisExploding);
    Fire_Mis(t.g, 3, kMySide);
    Fire_Mis(t.g, 3, kEnSide);
    EXPECT_EQ(s.MyMisState[3], kMisFlying);
    EXPECT_EQ(s.MyMisX[3], 416);
    EXPECT_EQ(s.MyMisPower[3], 1);
    EXPECT_EQ(s.EnMisState[3], kMisFlying);
    EXPECT_EQ(s.EnMisX[3], 32);
    EXPECT_EQ(s.EnMisPower[3], 1);
}

TEST(FireTest, IgnoredOutsideAMatchForOtherSidesAndOutsideTheLanes) {
    struct Case {
        const char* name;
        Long mode;
        int lane, side;
    };
    const std::vector<Case> cases = {
        {"no match running", kModeNone, 2, kMySide},
        {"no match running, opponent", kModeNone, 2, kEnSide},
        {"side 2", kModeCom, 2, 2},
        {"side -1", kModeCom, 2, -1},
        {"lane 7, beyond the tables", kModeServer, 7, kMySide},
        {"lane -1", kModeServer, -1, kMySide},
        {"lane 9", kModeClient, 9, kEnSide},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BattleGame t;
        t.StartMatch(c.mode);
        const GameState before = t.g.s;
        Fire_Mis(t.g, c.lane, c.side);
        EXPECT_EQ(t.g.s.MyMisState, before.MyMisState);
        EXPECT_EQ(t.g.s.MyMisX, before.MyMisX);
        EXPECT_EQ(t.g.s.MyMisPower, before.MyMisPower);
        EXPECT_EQ(t.g.s.EnMisState, before.EnMisState);
        EXPECT_EQ(t.g.s.EnMisX, before.EnMisX);
        EXPECT_EQ(t.g.s.EnMisPower, before.EnMisPower);
    }
}

TEST(MissileMessageTest, EachSideSendsOnlyItsOwnPlayersShots) {
    struct Case {
        const char* name;
        Long mode;
        std::vector<std::u16string> queued;
    };
    // Player: launch lane 2, reinforce lane 2, launch lane 0; opponent: launch and reinforce.
    const std::vector<Case> cases = {
        {"server", kModeServer, {u"042", u"052", u"040"}},
        {"client", kModeClient, {u"042", u"052", u"040"}},
        {"against the computer", kModeCom, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BattleGame t;
        t.StartMatch(c.mode);
        Fire_Mis(t.g, 2, kMySide);
        Fire_Mis(t.g, 2, kMySide);
        Fire_Mis(t.g, 0, kMySide);
        Fire_Mis(t.g, 4, kEnSide);
        Fire_Mis(t.g, 4, kEnSide);
        EXPECT_EQ(t.Queued(), c.queued);
        EXPECT_EQ(t.TracedStartingWith("send "), c.queued.empty()
                                                     ? std::vector<std::string>{}
                                                     : std::vector<std::string>{"send 042"});
    }
}

TEST(MissileMessageTest, OnlyTheServerReportsCollisionsAndHits) {
    struct Case {
        const char* name;
        Long mode;
        std::vector<std::u16string> queued;
    };
    const std::vector<Case> cases = {
        {"server", kModeServer, {u"062", u"5115"}},
        {"against the computer", kModeCom, {}},
        {"client", kModeClient, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BattleGame t;
        t.StartMatch(c.mode, kOnePixelFps);
        PlaceMy(t.g.s, 2, 200);
        PlaceEn(t.g.s, 2, 190);
        MOV_MIS(t.g);
        PlaceMy(t.g.s, 5, 32);
        MOV_MIS(t.g);
        EXPECT_EQ(t.Queued(), c.queued);
    }
}

TEST(MissileMessageTest, NothingIsSentForLanesAfterTheDecidingHit) {
    BattleGame t;
    t.StartMatch(kModeServer, kOnePixelFps);
    PlaceMy(t.g.s, 0, 32);   // decides the match: "5110"
    PlaceMy(t.g.s, 3, 300);  // then meets the opponent's missile
    PlaceEn(t.g.s, 3, 298);
    PlaceEn(t.g.s, 5, 416);  // and the opponent gets through too
    MOV_MIS(t.g);
    EXPECT_EQ(t.Queued(), std::vector<std::u16string>{u"5110"});
    EXPECT_EQ(t.g.s.MyMisState[3], kMisExploding);
    EXPECT_EQ(t.g.s.GameResult, u"LOSE");
}

TEST(MissileMessageTest, OpponentsHitIsReportedWithFirstDigit0) {
    BattleGame t;
    t.StartMatch(kModeServer, kOnePixelFps);
    PlaceEn(t.g.s, 1, 416);
    MOV_MIS(t.g);
    EXPECT_EQ(t.Queued(), std::vector<std::u16string>{u"5101"});
    EXPECT_TRUE(t.Traced("send 5101"));
}

using Lines = std::vector<std::string>;

TEST(MissileSoundTest, FireRestartsTheLaunchOrSpeedUpSoundOfItsSide) {
    struct Case {
        const char* name;
        int side;
        Integer stateBefore;
        Lines sounds;
    };
    const std::vector<Case> cases = {
        {"player launches", kMySide, kMisEmpty, {"sound stop 0", "sound playex 0 10000 14000"}},
        {"player launches over an explosion",
         kMySide,
         kMisExploding,
         {"sound stop 0", "sound playex 0 10000 14000"}},
        {"player reinforces", kMySide, kMisFlying, {"sound stop 4", "sound playex 4 10000 14000"}},
        {"opponent launches", kEnSide, kMisEmpty, {"sound stop 1", "sound playex 1 -10000 14000"}},
        {"opponent launches over an explosion",
         kEnSide,
         kMisExploding,
         {"sound stop 1", "sound playex 1 -10000 14000"}},
        {"opponent reinforces",
         kEnSide,
         kMisFlying,
         {"sound stop 5", "sound playex 5 -10000 14000"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BattleGame t;
        t.StartMatch(kModeCom);
        (c.side == kMySide ? t.g.s.MyMisState : t.g.s.EnMisState)[3] = c.stateBefore;
        Fire_Mis(t.g, 3, c.side);
        EXPECT_EQ(t.TracedStartingWith("sound "), c.sounds);
    }
}

TEST(MissileSoundTest, IgnoredShotsAreSilent) {
    BattleGame t;
    t.StartMatch(kModeNone);
    Fire_Mis(t.g, 1, kMySide);
    t.StartMatch(kModeCom);
    Fire_Mis(t.g, 7, kMySide);
    Fire_Mis(t.g, 2, 2);
    EXPECT_TRUE(t.TracedStartingWith("sound ").empty());
}

TEST(MissileSoundTest, BaseHitsSoundTowardsTheBaseThatWasHit) {
    BattleGame t;
    t.StartMatch(kModeCom, kOnePixelFps);
    PlaceMy(t.g.s, 0, 32);
    PlaceEn(t.g.s, 5, 416);
    MOV_MIS(t.g);
    // No stop before either: a second hit plays over the first.
    EXPECT_EQ(t.TracedStartingWith("sound "),
              (Lines{"sound playex 3 -8000 14000", "sound playex 3 8000 14000"}));
}

TEST(MissileSoundTest, CollisionIsPannedByThePlayersMissile) {
    struct Case {
        Integer myX;
        const char* sound;
    };
    const std::vector<Case> cases = {
        {416, "sound playex 2 7333 14000"},   // 17333.3 - 10000
        {100, "sound playex 2 -5834 14000"},  // 4166.7 goes down, not to the nearest
        {240, "sound playex 2 0 14000"},
        {32, "sound playex 2 -8667 14000"},
    };
    for (const Case& c : cases) {
        BattleGame t;
        t.StartMatch(kModeCom, kStandStillFps);
        PlaceMy(t.g.s, 2, c.myX);
        PlaceEn(t.g.s, 2, c.myX);
        MOV_MIS(t.g);
        EXPECT_EQ(t.TracedStartingWith("sound "), Lines{c.sound}) << "x " << c.myX;
    }
}

TEST(MissileSoundTest, ClientHearsNoHitsOfItsOwn) {
    BattleGame t;
    t.StartMatch(kModeClient, kOnePixelFps);
    PlaceMy(t.g.s, 0, 32);
    PlaceEn(t.g.s, 5, 416);
    PlaceMy(t.g.s, 3, 100);
    PlaceEn(t.g.s, 3, 100);
    for (int frame = 0; frame < 3; ++frame) MOV_MIS(t.g);
    EXPECT_TRUE(t.TracedStartingWith("sound ").empty());
}

TEST(InitMisTest, EmptiesEveryLaneOfBothTables) {
    BattleGame t;
    t.StartMatch(kModeCom);
    GameState& s = t.g.s;
    for (int i = 0; i < kLanes; ++i) {
        PlaceMy(s, i, 200, 7);
        PlaceEn(s, i, 100, 3);
        s.MyMisAnim[i] = s.EnMisAnim[i] = 1;
    }
    Init_Mis(t.g);
    for (int i = 0; i < kLanes; ++i) {
        EXPECT_EQ(s.MyMisState[i] | s.MyMisX[i] | s.MyMisY[i] | s.MyMisPower[i] | s.MyMisAnim[i],
                  0);
        EXPECT_EQ(s.EnMisState[i] | s.EnMisX[i] | s.EnMisY[i] | s.EnMisPower[i] | s.EnMisAnim[i],
                  0);
    }
}

}  // namespace
}  // namespace kb
