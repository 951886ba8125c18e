// What the computer matches do frame by frame is pinned by the replays; these are the parts
// they cannot reach: the count-down of a network match and the timing of the notice.
#include "screens/match_screen.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "screen_game.h"
#include "text/ustr.h"

namespace kb {
namespace {

using test::ScreenGame;

// The server sends each digit to the client (the first at once, the rest queued behind its
// completion) while the client waits for them; a computer match sends nothing.
TEST(CountDown, ServerSendsTheDigitsTheClientWaitsForThem) {
    const struct {
        Long mode;
        float countAfter;
        std::vector<std::string> queue;
    } cases[] = {{kModeCom, 0, {""}},
                 {kModeServer, 0, {"993", "992", "991", "990", ""}},
                 {kModeClient, 4, {""}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mode);
        ScreenGame t;
        t.g.s.GameMode = c.mode;
        t.g.s.StartCount = 4;
        t.g.s.StartSec = Num(t.Second());
        for (int second = 1; second <= 6; ++second) {
            t.SetSecond(second);
            Dis_Str(t.g);
        }
        EXPECT_EQ(t.g.s.StartCount, c.countAfter);
        EXPECT_EQ(t.g.s.InputOn, c.countAfter == 0 ? 1 : 0);
        for (size_t i = 0; i < c.queue.size(); ++i)
            EXPECT_EQ(ToUtf8(t.g.s.SendList[i]), c.queue[i]) << i;
        EXPECT_EQ(t.TracedStartingWith("send").size(), c.mode == kModeServer ? 1u : 0u);
    }
}

// The notice shows for four seconds from each half minute.
TEST(MatchScreen, NoticeForFourSecondsFromEachHalfMinute) {
    ScreenGame t;
    t.g.s.GameMode = kModeCom;
    t.g.s.StartCount = 0;
    t.g.s.StartSec = Num(t.Second());
    std::set<int> noticed;
    for (int second = 1; second <= 65; ++second) {
        t.prints.printed.clear();
        t.SetSecond(second % 60);
        Dis_Str(t.g);
        for (const auto& p : t.prints.printed)
            if (p.text == u"Now " + Num(t.g.s.PlaySec) + u" sec.") noticed.insert(t.g.s.PlaySec);
    }
    EXPECT_EQ(noticed, (std::set<int>{30, 31, 32, 33, 60, 61, 62, 63}));
}

}  // namespace
}  // namespace kb
