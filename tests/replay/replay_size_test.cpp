// Replays are small: a match of three minutes, typed throughout against the computer, fits in
// 4 KB; and a long one plays back to the state it ended in.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>

#include "app/sim_state.h"
#include "replay/long_match.h"
#include "replay/playback.h"
#include "replay/replay_text.h"

namespace kb::test {
namespace {

std::string BundledWords() {
    return ReadFileBytes(std::string(KB_SOURCE_DIR) + "/assets/str.dat").bytes;
}

TEST(ReplaySize, AMatchOfThreeMinutesFitsInFourKilobytes) {
    const struct {
        int seconds;
        size_t most;
    } lengths[] = {{30, 1500}, {90, 2048}, {180, 4096}};
    for (const auto& l : lengths) {
        const LongMatch m = RecordLongMatch(BundledWords(), 2, l.seconds * 15L,
                                            [](const Game& g) { return StateJson(g); });
        EXPECT_GE(m.playSec, l.seconds) << "the typist kept the match going";
        EXPECT_EQ(m.result, u"WIN");
        EXPECT_LT(m.replay.size(), l.most) << l.seconds << " s";
        std::cout << "replay of " << m.playSec << " s: " << m.replay.size() << " bytes\n";
        // KB_REPLAY_SIZES=PREFIX keeps each as PREFIX<seconds>, to measure (README).
        if (const char* keep = std::getenv("KB_REPLAY_SIZES"))
            std::ofstream(keep + std::to_string(l.seconds), std::ios::binary) << m.replay;

        kb::Replay r;
        std::string why;
        ASSERT_TRUE(ReadReplay(m.replay, r, why)) << why;
        TempDir dir;  // the list the game comes with, whose entries the replay names
        dir.WriteFile("str.dat", BundledWords());
        Services machine;
        machine.programDir = dir.Path().string();
        Playback p(std::move(r), machine);
        ASSERT_TRUE(p.Start(why)) << why;
        p.SkipToEnd();
        EXPECT_EQ(StateJson(p.game()).substr(0, 2000), m.finalState.substr(0, 2000));
    }
}

}  // namespace
}  // namespace kb::test
