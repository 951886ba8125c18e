// What a recording holds: the clock's second as each step read it, the words the match read
// and no others, a refused send and a console command; and played back in the test's own
// process, the same frames with nothing sent anywhere.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "debug/debug_log.h"
#include "net/protocol.h"
#include "platform/debug_console.h"
#include "replay/playback.h"
#include "replay/recorded_game.h"
#include "replay/replay_states.h"
#include "replay/replay_text.h"
#include "test_keys.h"
#include "typing/key_codes.h"
#include "typing/word_file.h"

namespace kb::test {
namespace {

kb::Replay Read(const std::string& text) {
    kb::Replay r;
    std::string why;
    EXPECT_TRUE(ReadReplay(text, r, why)) << why << "\n" << text;
    return r;
}

// A connection the test controls: what arrives, and whether sends are taken.
class HandSocket : public NullSocketControl {
  public:
    bool SendData(const std::string& data) override {
        if (open) sent += data;
        ++sends;
        return open;
    }
    std::string GetData() override { return std::exchange(incoming, {}); }
    bool open = true;
    int sends = 0;
    std::string incoming, sent;
};

// The second is taken at the first reading in a step and holds to the end of it, however long
// the step takes; the next step reads it afresh.
TEST(Recorder, TheClockSecondIsReadOncePerStep) {
    VirtualClock clock(59500);
    Recorder recorder(clock);
    Services sv;
    sv.clock = &recorder;
    TestGame t(sv);
    recorder.Attach(t.g);
    EXPECT_EQ(recorder.WallSecond(), 59);
    clock.Advance(600);
    EXPECT_EQ(recorder.WallSecond(), 59) << "no step has begun since the last reading";
    Display_KeyDown(t.g, kVkA, 0);
    clock.Advance(1000);
    EXPECT_EQ(recorder.WallSecond(), 1) << "read first in this step";
    clock.Advance(1000);
    EXPECT_EQ(recorder.WallSecond(), 1) << "the same step";
    Display_KeyUp(t.g, kVkA, 0);
    EXPECT_EQ(recorder.WallSecond(), 2);
}

// Forty entries whose readings are one to four か; the player fires two words and types no
// more, and the fastest computer wins.
std::string FortyWords() {
    std::string words = "\xEF\xBB\xBF";
    for (int i = 0; i < 40; ++i) {
        words += "語" + std::to_string(i) + ",";
        for (int k = 0; k <= i % 4; ++k) words += "か";
        words += "\r\n";
    }
    return words;
}

struct FortyWordsMatch {
    kb::Replay replay;
    std::vector<std::u16string> Goku, Yomi;
    int ComWordNo = 0;
};

// The match as recorded; the game's own list changed (to another) before the match ends, when
// listChanged.
FortyWordsMatch PlayFortyWords(bool listChanged) {
    RecordedGame game({}, FortyWords());
    EXPECT_TRUE(game.started);
    Game& g = game.t.g;
    game.Frames(2);
    for (int i = 0; i < 4; ++i) Press(g, kVkDown);  // the fastest, "VS. Com [5type/sec]"
    Press(g, kVkReturn);
    game.Frames(70);
    for (int word = 0; word < 2; ++word) {
        for (size_t k = 0; k < g.Yomi[g.s.WordNo].size(); ++k) TypeKeys(g, "ka");
        Press(g, kVkReturn);
        game.Frame();
    }
    for (int i = 0; i < 3000 && g.s.SceneNo != kSceneOver; ++i) game.Frame();
    EXPECT_EQ(g.s.GameResult, u"LOSE");
    if (listChanged) game.t.WriteFile("str.dat", "\xEF\xBB\xBF他,た\r\n");
    game.recorder.Finish();
    return {Read(game.LastReplay()), g.Goku, g.Yomi, g.s.ComWordNo};
}

TEST(Recorder, KeepsTheWordsThePlayerMetAndOnlyTheLengthsTheComputerRead) {
    // The player's words are entries of the list the game comes with (in its directory), and
    // are named by their place in the file.
    const FortyWordsMatch m = PlayFortyWords(false);
    const kb::Replay& r = m.replay;
    EXPECT_EQ(r.wordCount, 40);
    EXPECT_TRUE(r.words.empty());
    ASSERT_EQ(r.bundled.size(), 3u) << "the two words fired and the one shown after them";
    EXPECT_EQ(r.bundledCheck, ReplayCheck(FortyWords()));
    const auto file = ParseWordFile(FortyWords()).entries;
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(r.bundled[i].index, i);
        EXPECT_EQ(file[r.bundled[i].bundled], std::make_pair(m.Goku[i], m.Yomi[i]));
    }
    // The computer reads its first word at random, then from the last entry down.
    std::set<int> read;
    for (const ReplayLength& l : r.lengths) {
        read.insert(l.index);
        EXPECT_EQ(l.length, static_cast<int>(m.Yomi[l.index].size())) << "entry " << l.index;
    }
    for (int i = 39; i > std::max(m.ComWordNo, 2); --i)
        EXPECT_TRUE(read.contains(i)) << "entry " << i;
    // Besides those: the random first, and the one the computer was to read next.
    EXPECT_LE(read.size(), static_cast<size_t>(39 - m.ComWordNo + 2));
    EXPECT_LT(read.size() + r.bundled.size(), 40u) << "entries never read are left out";

    // Words of another list are written out.
    const FortyWordsMatch other = PlayFortyWords(true);
    EXPECT_TRUE(other.replay.bundled.empty());
    ASSERT_EQ(other.replay.words.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(other.replay.words[i].index, i);
        EXPECT_EQ(other.replay.words[i].display, other.Goku[i]);
        EXPECT_EQ(other.replay.words[i].reading, other.Yomi[i]);
    }
}

// A match whose program ends in the frame that began it: that frame is its replay, and it plays.
TEST(Recorder, AMatchOfOneFrameIsKept) {
    RecordedGame game;
    game.Frames(2);
    Press(game.t.g, kVkReturn);
    game.Frame();
    ASSERT_EQ(game.t.g.s.SceneNo, kSceneMatch);
    game.recorder.Finish();
    ASSERT_EQ(game.replays.size(), 1u);
    EXPECT_NE(game.LastReplay().find("\n# VS. Com [1type/sec], Easy after 0 s\n"),
              std::string::npos)
        << game.LastReplay();
    EXPECT_EQ(Read(game.LastReplay()).Frames(), 1);
}

// The server's side of a match with a connection the test plays by hand.
class HandServer {
  public:
    HandServer() : game(WithSocket()) {
        game.Frames(2);
        g.s.GameMode = kModeServer;  // the waiting screen
    }
    void Arrive(const std::string& bytes) {
        sock.incoming = bytes;
        Winsock_DataArrival(g, static_cast<int32_t>(bytes.size()));
    }
    // Every message on the wire goes out, and those waiting behind it.
    void CompleteSends() {
        while (!g.s.SendList[0].empty()) SendEND(g);
    }
    // Frames with every send completed before each.
    void Frames(int n) {
        for (int i = 0; i < n; ++i) {
            CompleteSends();
            game.Frame();
        }
    }

    HandSocket sock;
    RecordedGame game;
    Game& g = game.t.g;

  private:
    Services WithSocket() {
        Services sv;
        sv.winsock = &sock;
        return sv;
    }
};

// Plays the replay in process, the machine's socket a trap: every frame's state and the trace.
struct PlayedBack {
    std::vector<std::string> states, trace;
    int sends = 0;  // on the machine's socket
    bool ended = false;
};
PlayedBack PlayBack(const std::string& text, const RecordedGame& game) {
    PlayedBack out;
    HandSocket trap;
    Services machine;
    machine.winsock = &trap;
    machine.programDir = game.t.dir.Path().string();
    machine.trace = [&](std::string_view l) { out.trace.emplace_back(l); };
    Playback p(Read(text), machine);
    p.onFrame = [&] { out.states.push_back(Comparable(StateJson(p.game()))); };
    std::string why;
    EXPECT_TRUE(p.Start(why)) << why;
    p.RunTo(SIZE_MAX);
    out.ended = p.game().ended;
    out.sends = trap.sends;
    return out;
}

std::vector<std::string> LiveStates(const RecordedGame& game, size_t from = 0) {
    std::vector<std::string> live;
    for (size_t i = from; i < game.states.size(); ++i) live.push_back(Comparable(game.states[i]));
    return live;
}

// A network match that begins while the server's greeting is still on the wire, in which the
// player sends a command from the debug console, then fires into a connection that is gone: the
// game says Connect Lost and ends. Played back, the same frames and the same ending, and the
// playback's sends go nowhere (the machine's socket is not used).
TEST(Recorder, ARefusedSendEndsThePlaybackWhereItEndedTheGame) {
    HandServer server;
    Game& g = server.g;
    SendDataAdd(g, kCodeServerHello, u"");  // "00" on the wire as the answer comes
    server.Arrive("01");
    ASSERT_EQ(g.s.SceneNo, kSceneMatch);
    EXPECT_EQ(g.s.SendList[1], u"50") << "waiting behind the greeting";
    server.Frames(70);
    server.CompleteSends();
    DebugWin(g).SetCommandText(u"0445");
    SndTxt_KeyDown(g, kVkReturn, 0);
    server.Frames(3);
    server.sock.open = false;
    Press(g, kVkReturn);
    ASSERT_TRUE(g.ended);
    EXPECT_NE(server.sock.sent.find("0445"), std::string::npos);
    server.game.recorder.Finish();
    const std::string text = server.game.LastReplay();
    EXPECT_NE(text.find("queue \"00\""), std::string::npos) << text;
    EXPECT_NE(text.find("[c\"0445\"]"), std::string::npos) << text;
    EXPECT_NE(text.find("[x]("), std::string::npos) << text;

    const PlayedBack played = PlayBack(text, server.game);
    EXPECT_TRUE(played.ended);
    EXPECT_NE(std::find(played.trace.begin(), played.trace.end(),
                        "msgbox Kanaburst|Connect Lost\r\n→SendDataAdd(040)"),
              played.trace.end());
    EXPECT_EQ(played.sends, 0) << "a replay sends nothing";
    ExpectSameFrames(LiveStates(server.game), played.states, 73);
    EXPECT_EQ(played.states.size(), 73u) << "every frame of the match, and none after the end";
}

// A peer that answers the greeting again in the middle of a match starts a new one there: the
// first match's replay ends before that arrival, and the new one begins with it.
TEST(Recorder, AMatchBegunInTheMiddleOfAnotherIsAReplayOfItsOwn) {
    HandServer server;
    server.Arrive("01");
    server.Frames(50);
    const size_t restart = server.game.states.size();
    server.Arrive("01");
    server.Frames(80);
    server.game.recorder.Finish();
    ASSERT_EQ(server.game.replays.size(), 2u);
    const PlayedBack first = PlayBack(server.game.replays[0], server.game);
    ExpectSameFrames(LiveStates(server.game), first.states, 50);
    EXPECT_EQ(first.states.size(), 50u);
    const PlayedBack second = PlayBack(server.game.replays[1], server.game);
    ExpectSameFrames(LiveStates(server.game, restart), second.states, 80);
    EXPECT_EQ(second.states.size(), 80u);
}

}  // namespace
}  // namespace kb::test
