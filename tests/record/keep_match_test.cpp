// Every match that ends is kept once, with the result screen's own figures; what is no match
// is not kept.
#include "record/keep_match.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "net/protocol.h"
#include "record_samples.h"
#include "shell/scenes.h"
#include "test_game.h"

namespace kb::test {
namespace {

// A data connection whose sends fail: the peer is gone.
class LostConnection : public NullSocketControl {
  public:
    bool SendData(const std::string&) override { return false; }
};

void InMatch(Game& g, int mode, int menuNo, int level) {
    GameState& s = g.s;
    s.SceneNo = kSceneMatch;
    s.GameMode = mode;
    s.MenuNo = static_cast<Integer>(menuNo);
    s.GameLevel = level;
    s.TypeCount = 120;
    s.MissCount = 4;
    s.PlaySec = 60;
}

TEST(KeepMatch, KeepsTheResultScreensFiguresOnceAMatchEnds) {
    const struct {
        int mode, menuNo, level;
        const char16_t* result;
        const char* opponent;
        int speed;
        const char* kept;
        int score;
    } cases[] = {
        // The result screen's own example: 120 keys, 4 misses, 60 s, Normal, speed 3.
        {kModeCom, 2, 1, u"WIN", "com", 3, "WIN", 120},
        {kModeCom, 4, 2, u"lose", "com", 5, "LOSE", 80 + 30 + 60},
        {kModeServer, 7, 0, u"WIN", "server", 0, "WIN", 80},
        {kModeClient, 8, 2, u"LOSE", "client", 0, "LOSE", 110},
    };
    for (const auto& c : cases) {
        TestGame t;
        InMatch(t.g, c.mode, c.menuNo, c.level);
        Game_End(t.g, c.result);
        const auto matches = t.g.sv.record->Load(true).matches;
        ASSERT_EQ(matches.size(), 1u) << c.opponent;
        const MatchRecord& m = matches[0];
        EXPECT_EQ(std::tie(m.opponent, m.speed, m.level, m.result, m.score),
                  std::make_tuple(std::string(c.opponent), c.speed, c.level, std::string(c.kept),
                                  c.score));
        EXPECT_EQ(std::tie(m.rate, m.ratio, m.keys, m.misses, m.playSec),
                  std::make_tuple(193, 3000, 120, 4, 60));
        EXPECT_EQ(m.at, 1767225600 + 3600);  // the virtual clock's date
        EXPECT_EQ(m.id.size(), 16u);
    }
}

TEST(KeepMatch, AnEndOutsideAMatchKeepsNothing) {
    TestGame t;
    t.g.s.SceneNo = kSceneOver;
    t.g.s.GameMode = kModeNone;
    Game_End(t.g, u"WIN");
    EXPECT_TRUE(t.g.sv.record->Load(true).matches.empty());
}

TEST(KeepMatch, ALostConnectionKeepsTheNetworkMatchInPlayAsLost) {
    const struct {
        int scene, mode;
        bool kept;
    } cases[] = {
        {kSceneMatch, kModeServer, true},
        {kSceneMatch, kModeClient, true},
        {kSceneTitle, kModeClient, false},  // lost while joining: no match yet
    };
    for (const auto& c : cases) {
        LostConnection lost;
        Services sv;
        sv.winsock = &lost;
        TestGame t(sv);
        InMatch(t.g, c.mode, 7, 0);
        t.g.s.SceneNo = static_cast<Integer>(c.scene);
        SendDataAdd(t.g, kCodeLaunch, u"3");
        EXPECT_TRUE(t.g.ended);
        const auto matches = t.g.sv.record->Load(true).matches;
        ASSERT_EQ(matches.size(), c.kept ? 1u : 0u) << c.mode;
        if (c.kept) {
            EXPECT_EQ(matches[0].result, "LOST");
        }
    }
}

TEST(KeepMatch, NamesTheListAndTellsPracticeListsApart) {
    TestGame t;
    t.WriteFile("str.dat", "\xEF\xBB\xBF猫,ねこ\n写真,しゃしん\n");
    Start_Init(t.g);
    const std::string whole = WordsDigest({{u"猫", u"ねこ"}, {u"写真", u"しゃしん"}});
    InMatch(t.g, kModeCom, 0, 0);
    Game_End(t.g, u"WIN");
    t.clock.Advance(60000);  // the next match a minute later
    t.g.keeping.practising = true;
    t.g.keeping.practiceWords = {{u"写真", u"しゃしん"}};
    Start_Init(t.g);
    InMatch(t.g, kModeCom, 0, 0);
    Game_End(t.g, u"WIN");
    const auto matches = t.g.sv.record->Load(true).matches;
    ASSERT_EQ(matches.size(), 2u);
    EXPECT_EQ(matches[0].list, u"str.dat");
    EXPECT_EQ(matches[0].digest, whole);
    EXPECT_FALSE(matches[0].practice);
    EXPECT_TRUE(matches[1].practice);
    EXPECT_EQ(matches[1].digest, WordsDigest({{u"写真", u"しゃしん"}}));
}

}  // namespace
}  // namespace kb::test
