// Every script of tests/scripts/ played live in the native kanaburst-sim, its match recorded, and
// the recording played back in kanaburst-sim (under `make web-test`, the page's build of it under
// node): every frame of the match comes back the same.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>

#include "replay/replay_states.h"
#include "scripts/replay.h"
#include "sim_runner.h"
#include "test_game.h"

namespace kb::test {
namespace {

namespace fs = std::filesystem;

// The script without its own state and shot lines: the states come from every frame here.
std::string Played(const Replay& r) {
    std::istringstream in(r.text);
    std::string out;
    for (std::string line; std::getline(in, line);) {
        const std::string code = line.substr(0, line.find('#'));
        if (code.find("state") == std::string::npos && code.find("shot") == std::string::npos)
            out += line + "\n";
    }
    return out;
}

struct Recorded {
    SimRun live, played;
    std::string replay;
};

// Plays a script live in the native driver on a word list of tests/scripts/ (or the bundled
// one), recording, and plays its recording back on the same.
Recorded RecordAndPlay(const std::string& script, const std::string& words, const TempDir& dir) {
    const fs::path scripts = fs::path(KB_SOURCE_DIR) / "tests" / "scripts";
    std::string live = KB_BINARY_DIR, played = SimDir();
    if (words != "bundled") {
        dir.WriteFile("str.dat", ReadFileBytes((scripts / words).string()).bytes);
        live = played = dir.Path().string();
    }
    const std::string file = (dir.Path() / "match.kbreplay").string();
    Recorded out;
    out.live =
        RunSim(script, "--dir '" + live + "' --frame-states --save-replay '" + file + "'", true);
    out.replay = ReadFileBytes(file).bytes;
    if (!out.replay.empty())
        out.played = RunSim(out.replay, "--dir '" + played + "' --frame-states");
    return out;
}

// The same for a script of tests/scripts/ by name, on its own word list.
Recorded RecordAndPlay(const std::string& name, const TempDir& dir) {
    const Replay r = ParseReplay(fs::path(KB_SOURCE_DIR) / "tests" / "scripts" / (name + ".txt"));
    return RecordAndPlay(Played(r), r.words, dir);
}

size_t CountScene(const std::vector<std::string>& states, const char* scene) {
    size_t n = 0;
    for (const std::string& s : states) n += JsonField(s, "SceneNo") == scene;
    return n;
}

class RoundTrip : public ::testing::TestWithParam<const char*> {};

TEST_P(RoundTrip, EveryFrameOfTheMatchComesBack) {
    TempDir dir;
    const Recorded rec = RecordAndPlay(GetParam(), dir);
    ASSERT_EQ(rec.live.status, 0) << rec.live.out;
    ASSERT_FALSE(rec.replay.empty()) << "no match was recorded";
    ASSERT_EQ(rec.played.status, 0) << rec.played.out;
    ExpectSameFrames(FrameStates(rec.live), FrameStates(rec.played), 100);
}

// The computer at each of its five speeds, misses and Backspace, nine words fired, the match-
// over effect, the bundled word list and music.
INSTANTIATE_TEST_SUITE_P(Scripts, RoundTrip,
                         ::testing::Values("com_wins_typing_nothing", "com_speed2_hard",
                                           "com_speed3_hard", "com_speed4_hard",
                                           "com_speed5_normal", "mistypes_and_result",
                                           "player_wins_typing_every_word", "match_over_shots",
                                           "bundled_com_wins_typing_nothing"));

// The script peer's first match, the game the server: the peer's launches and power-ups arrive
// in the frames they arrived in, the collision and the end are the server's own decisions.
TEST(Recording, TheServersSideOfANetworkMatchComesBack) {
    Replay r = ParseReplay(fs::path(KB_SOURCE_DIR) / "tests" / "scripts" /
                           "network_matches_with_the_script_peer.txt");
    std::string script = Played(r);
    script = script.substr(0, script.find("key 40               # the client item"));
    TempDir dir;
    const Recorded rec = RecordAndPlay(script, r.words, dir);
    ASSERT_EQ(rec.played.status, 0) << rec.played.out;
    EXPECT_NE(rec.replay.find("\n# VS. Player [Server]"), std::string::npos) << rec.replay;
    ExpectSameFrames(FrameStates(rec.live), FrameStates(rec.played), 300);
}

// A session with no match in it leaves no replay.
TEST(Recording, TitleAndConnectionScreensRecordNothing) {
    TempDir dir;
    const Recorded rec = RecordAndPlay("title_menu_and_connection", dir);
    ASSERT_EQ(rec.live.status, 0) << rec.live.out;
    EXPECT_EQ(rec.replay, "");
}

// The player leaves the result screen: the replay ends with the last frame of the match-over
// scene, not with the title's. One who stays there is recorded for ten seconds of it.
TEST(Recording, TheReplayEndsWhereThePlayerLeavesOrTenSecondsIntoTheResult) {
    // The computer's missile gets through 679 frames after the choice; the result screen takes
    // a key after two counted seconds.
    const std::string left = "frames 15\nkey 13\nframes 720\nkey 13\nframes 3\n";
    TempDir dir;
    Recorded rec = RecordAndPlay(left, "jugemu.dat", dir);
    ASSERT_EQ(rec.played.status, 0) << rec.played.out;
    const auto live = FrameStates(rec.live), played = FrameStates(rec.played);
    ASSERT_FALSE(played.empty());
    ASSERT_EQ(JsonField(live.back(), "SceneNo"), "0") << "the script goes back to the title";
    EXPECT_EQ(CountScene(played, "0"), 0u);
    EXPECT_EQ(CountScene(played, "2"), CountScene(live, "2"));
    ExpectSameFrames(live, played, 700);

    TempDir dir2;
    rec = RecordAndPlay("frames 15\nkey 13\nframes 1500\n", "jugemu.dat", dir2);
    ASSERT_EQ(rec.played.status, 0) << rec.played.out;
    // The deciding frame, then 150 more.
    EXPECT_EQ(CountScene(FrameStates(rec.played), "2"), 151u);
    EXPECT_GT(CountScene(FrameStates(rec.live), "2"), 800u);
}

// What a match leaves for the next and nothing reads before that match is decided and sets it
// anew: a replay does not carry it, so it agrees from the deciding frame on.
std::string WithoutLeftovers(std::string json) {
    for (const char* name : {"ResultSec", "EndSec", "GameResult", "WaveColPhase", "WaveColStart",
                             "WaveRowPhase", "WaveRowStart", "WaveRowAmp", "WaveColAmp", "WaveLeft",
                             "WaveHold", "ExpX", "ExpY", "ExpSpeed", "ExpState", "SortW"}) {
        const auto at = json.find(",\"" + std::string(name) + "\":");
        if (at == std::string::npos) continue;
        json.erase(at, JsonValueEnd(json, at + std::string(name).size() + 4) - at);
    }
    return json;
}

TEST(Recording, ASecondMatchPlaysBackFromItsOwnStart) {
    TempDir dir;
    const std::string twice =
        "frames 15\nkey 13\nframes 720\nkey 13\nframes 3\n"
        "key 13\nframes 900\n";
    const Recorded rec = RecordAndPlay(twice, "jugemu.dat", dir);
    ASSERT_EQ(rec.played.status, 0) << rec.played.out;
    const auto live = FrameStates(rec.live), played = FrameStates(rec.played);
    size_t second = 0;
    for (const char* scene : {"0", "1", "0"})
        while (second < live.size() &&
               (JsonField(live[second], "SceneNo") == "0") == (scene[0] == '0'))
            ++second;
    ASSERT_GT(played.size(), 700u);
    ASSERT_LE(second + played.size(), live.size());
    size_t differed = 0;
    for (size_t i = 0; i < played.size(); ++i) {
        if (JsonField(played[i], "SceneNo") == "2") {
            ASSERT_EQ(live[second + i], played[i]) << "frame " << i + 1;
            continue;
        }
        ASSERT_EQ(WithoutLeftovers(live[second + i]), WithoutLeftovers(played[i]))
            << "frame " << i + 1;
        differed += live[second + i] != played[i];
    }
    EXPECT_GT(differed, 0u) << "the first match left something behind";
}

}  // namespace
}  // namespace kb::test
