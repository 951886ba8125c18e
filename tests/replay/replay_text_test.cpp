// Replays as text: every kind of step and value written and read back alike, the driver's own
// lines found where they stand, and every kind of bad file refused with the reason.
#include "replay/replay_text.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "typing/key_codes.h"

namespace kb {
namespace {

using Step = ReplayStep;

Step S(Step::Kind kind, int value = 0, std::string bytes = {}) {
    return {kind, value, std::move(bytes)};
}
Step F(int frames) {
    return {Step::kFrames, frames, {}};
}
Step Down(int key) {
    return {Step::kKeyDown, key, {}};
}
Step Up(int key) {
    return {Step::kKeyUp, key, {}};
}
template <typename... S>
std::vector<Step> Steps(S... steps) {
    return {steps...};
}

// Every field of the start, to compare as one.
auto Fields(const ReplayStart& s) {
    return std::tie(s.KeyState, s.KeyHold, s.LastKeyUp, s.ShiftDown, s.LastKeyStr, s.WordNo,
                    s.MenuNo, s.GameLevel, s.GameMode, s.queue, s.held, s.rng, s.second, s.fps);
}

Replay Sample() {
    Replay r;
    r.start = {.KeyState = 2,
               .KeyHold = 1,
               .LastKeyUp = 13,
               .ShiftDown = 1,
               .LastKeyStr = u"-5",
               .WordNo = 2,
               .MenuNo = 4,
               .GameLevel = 2,
               .GameMode = kModeServer,
               .queue = {u"00", u"04 \"#\\x"},
               .held = u"51",
               .rng = 0xFFFFFF,
               .second = 58,
               .fps = 14};
    r.wordCount = 9;
    r.words = {{0, u"お茶", u"おちゃ"}, {2, u"C# \"x\"", u""}, {3, u"", u"ん"}};
    r.lengths = {{4, 4}, {5, 0}, {8, 1024}};
    r.steps =
        Steps(F(1), Down('A'), Up('Z'), Down(kVkReturn), Up(kVkReturn), Down(kVkBack), Up(kVkBack),
              Down(60), Up(255), Down(-7), S(Step::kSecond, 59), S(Step::kSecond),
              S(Step::kSecond, 30), S(Step::kFps, 16), F(12345),
              S(Step::kArrival, 0, std::string("04\0\x7f\"\\#\n 5", 11)), S(Step::kSendComplete),
              S(Step::kConnectionRequest), S(Step::kRefuse), S(Step::kConsole, 0, "99 # x"), F(3));
    return r;
}

TEST(ReplayText, EveryStepAndValueReadsBackAsWritten) {
    const Replay written = Sample();
    const std::string text = WriteReplay(written, "a note");
    Replay read;
    std::string why;
    ASSERT_TRUE(ReadReplay(text, read, why)) << why << "\n" << text;
    EXPECT_EQ(read.steps, written.steps) << text;
    EXPECT_EQ(read.Frames(), 1 + 12345 + 3);
    EXPECT_EQ(read.wordCount, 9);
    ASSERT_EQ(read.words.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        const ReplayWord &got = read.words[i], &want = written.words[i];
        EXPECT_EQ(std::tie(got.index, got.display, got.reading),
                  std::tie(want.index, want.display, want.reading));
        EXPECT_EQ(std::tie(read.lengths.at(i).index, read.lengths.at(i).length),
                  std::tie(written.lengths[i].index, written.lengths[i].length));
    }
    EXPECT_EQ(read.lengths.size(), 3u);
    EXPECT_EQ(Fields(read.start), Fields(written.start));
    EXPECT_EQ(read.gameVersion, std::string(GameVersion()));
}

// The steps a player makes most are one character each, and so is the clock's next second;
// between two of them one frame runs unless a count or a . says otherwise.
TEST(ReplayText, CommonStepsTakeOneCharacter) {
    Replay r = Sample();
    r.start.second = 59;
    const Step f1 = F(1);
    r.steps = Steps(F(3), Down('K'), F(2), Up('K'), f1, Down(13), f1, Up(13), Down(8), f1, Up(8),
                    f1, Down(kVkUp), f1, Up(kVkUp), f1, Down(kVkDown), f1, Up(kVkDown), f1,
                    Down(kVkOemMinus), f1, Up(kVkOemMinus), f1, Down('A'), f1, Up('Z'),
                    S(Step::kSecond), S(Step::kSendComplete), F(15));
    const std::string text = WriteReplay(r);
    EXPECT_NE(text.find("\nplay 3K2k().<>{};:-=Az|.*15\n"), std::string::npos) << text;
    kb::Replay read;
    std::string why;
    ASSERT_TRUE(ReadReplay(text, read, why)) << why;
    EXPECT_EQ(read.steps, r.steps);
}

// Lines of the driver's own go where they stand; two counts of frames with such a line between
// them stay apart, so that the line runs between them.
TEST(ReplayText, DriverLinesKeepTheirPlaceAmongTheSteps) {
    Replay r = Sample();
    r.steps = {F(4), Down('A'), F(6)};
    std::string text = WriteReplay(r);
    text.insert(text.find("\nplay ") + 1, "state\t# before any step\n");
    text.insert(text.find("end "), "play 2\nshot x.png\nplay 3\n");
    // The check covers the replay's own lines: the added play lines are set right.
    text = text.substr(0, text.find("end ")) + "end 15\nstate\n";
    Replay read;
    std::vector<ReplayExtraLine> extras;
    std::string why;
    ASSERT_TRUE(ReadReplay(text, read, why, &extras)) << why << "\n" << text;
    ASSERT_EQ(extras.size(), 3u);
    EXPECT_EQ(extras[0].stepsBefore, 0u);
    EXPECT_EQ(extras[0].text, "state\t# before any step");
    EXPECT_EQ(extras[1].stepsBefore, 3u) << "after 4, A and 6 + 2 frames";
    EXPECT_EQ(extras[1].text, "shot x.png");
    EXPECT_EQ(extras[2].stepsBefore, 4u);
    ASSERT_EQ(read.steps.size(), 4u);
    EXPECT_EQ(read.steps[2].value, 8);
    EXPECT_EQ(read.steps[3].value, 3);
}

// What the limits let through, to their last value: an hour of frames, the longest key code,
// the most entries; and lines of steps no longer than a hundred characters.
TEST(ReplayText, TheLimitsThemselvesAreWithinThem) {
    Replay r = Sample();
    r.start.LastKeyStr = u"-2147483648";
    r.wordCount = kReplayMaxWords;
    r.steps = {F(static_cast<int32_t>(kReplayMaxFrames - 1))};
    for (int i = 0; i < 300; ++i) r.steps.push_back(Down(kVkA + i % 26));
    r.steps.push_back(F(1));
    const std::string text = WriteReplay(r);
    kb::Replay read;
    std::string why;
    ASSERT_TRUE(ReadReplay(text, read, why)) << why;
    EXPECT_EQ(read.Frames(), kReplayMaxFrames);
    EXPECT_EQ(read.start.LastKeyStr, u"-2147483648");
    std::istringstream lines(text);
    int plays = 0;
    for (std::string line; std::getline(lines, line);) {
        if (!line.starts_with("play ")) continue;
        ++plays;
        EXPECT_LE(line.size(), 5u + 100u) << line;
    }
    EXPECT_GE(plays, 3);

    // A file of exactly the most bytes a replay may have (its comments fill it up).
    std::string full = text + "#";
    full += std::string(kReplayMaxBytes - full.size(), 'x');
    ASSERT_EQ(full.size(), kReplayMaxBytes);
    EXPECT_TRUE(ReadReplay(full, read, why)) << why;
}

// Each bad file, made from a good one, and the reason the player is given.
TEST(ReplayText, BadFilesAreRefusedWithTheReason) {
    const std::string good = WriteReplay(Sample());
    auto replaced = [&](const std::string& from, const std::string& to) {
        std::string t = good;
        const auto at = t.find(from);
        EXPECT_NE(at, std::string::npos) << from;
        return at == std::string::npos ? t : t.replace(at, from.size(), to);
    };
    // Keeps the check right, so that the value itself is judged.
    auto edited = [&](const std::string& from, const std::string& to) {
        std::string t = replaced(from, to);
        return t.substr(0, t.rfind("end ")) + "end " + std::to_string(Sample().Frames()) + "\n";
    };
    const struct {
        std::string text, why;
    } cases[] = {
        {"", "not a Kanaburst replay (the file is empty)"},
        {"# nothing\n\n", "the file is empty"},
        {"state\nframes 3\n", "this is not a Kanaburst replay (line 1)"},
        {replaced("kanaburst-replay 1 ", "kanaburst-replay 2 "),
         "recorded by Kanaburst 1.1 in replay format 2, and this Kanaburst 1.1 plays format 1 "
         "only"},
        {replaced("kanaburst-replay 1 ", "kanaburst-replay 0 "), "replay format 0 (Kanaburst 1.1)"},
        {good.substr(0, good.find("end ")), "cut short (it has no end line)"},
        {good.substr(0, good.find("play ") + 8), "cut short (it has no end line)"},
        {replaced("お茶", "お荼"), "damaged (its check value does not match"},
        {replaced("\nend 12349 ", "\nend 12348 "),
         "its end line counts 12348 frames, its steps 12349"},
        {edited("MenuNo=4", "MenuNo=9"), "MenuNo must be 0 to 8, not 9 (line 2)"},
        {edited("GameMode=3", "GameMode=1"), "GameMode must be 0, 2 or 3 before a match, not 1"},
        {edited("KeyState=2", "KeyState=3"), "KeyState must be 0 to 2"},
        {edited("second=58", "second=60"), "second must be 0 to 59"},
        {edited("rng=16777215", "rng=16777216"), "rng must be 0 to 16777215"},
        {edited("LastKeyStr=\"-5\"", "LastKeyStr=\"5a\""), "LastKeyStr must be the text of a key"},
        {edited("MenuNo=4", "Menu=4"), "unknown start field Menu"},
        {edited("WordNo=2", "WordNo=9"), "WordNo is past the word list's end"},
        {edited("word 2 ", "word 0 "), "entries out of order or given twice"},
        {edited("lengths 4 4 0", "lengths 3 4 0"), "entry 3 is given twice"},
        {edited("lengths 8 1024", "lengths 8 1024 5"), "entries run past the word list's end"},
        {edited("lengths 8 1024", "lengths 8 1024\nbundled 0000000x 1 5"),
         "needs the check of one"},
        {edited("lengths 8 1024", "lengths 8 1024\nbundled 00000001 1 5\nbundled 00000002 5 1"),
         "needs the check of one word list"},
        {edited("lengths 8 1024", "lengths 8 1024\nbundled 00000001 1 3001"),
         "a list entry must be 0 to 3000"},
        {edited("\nplay 1", "\nplay 1."), "a . where no frame would run"},
        {edited("lengths 8 1024", "lengths 8 1025"), "a reading's length must be 0 to 1024"},
        {edited("words 9", "words 3002"), "words must be 0 to 3001"},
        {edited("word 0 お茶", "word 0 " + std::string(1025, 'x')),
         "a word longer than a word list holds"},
        {edited("held \"51\"", "held \"5104\""), "held text longer than an unfinished message"},
        {edited("queue \"00\"", "queue \"\""), "an empty message in the queue"},
        {edited("\nplay 1", "\nplay 1~"), "unexpected '~' in a play line"},
        {edited("\nend ", "\nplay \"04\nend "), "a quoted text has no end"},
        {edited("\nplay 1", "\nplay 1\"\\q\""), "a bad escape inside quotes"},
        {edited("\nplay 1", "\nplay 1\"\\xZZ\""), "a bad \\x escape"},
        {edited("\nplay 1", "\nplay 1[s60]"), "a second must be 0 to 59"},
        {edited("\nplay 1", "\nplay 1[z]"), "unknown step [z"},
        {edited("\nplay 1", "\nplay 1[65"), "a bracketed step has no ]"},
        {edited("\nplay 1", "\nplay 54001"), "a count of frames must be 1 to 54000"},
        {edited("\nplay 1", "\nplay 1 54000"), "longer than an hour"},
        {replaced("\nstart rng", "\nplay 1\nstart rng"), "play before the start and words lines"},
        {edited("words 9", "words 9\nstart rng=1 second=1 fps=1"), "a second start line"},
        {good + "play 1\n", "replay lines after its end line"},
        {std::string(kReplayMaxBytes + 1, '#'),
         "too large to be a replay (1024 KB; a replay is at most 1024 KB)"},
        {edited("LastKeyStr=\"-5\"", "LastKeyStr=\"-21474836480\""), "LastKeyStr must be the text"},
    };
    for (const auto& c : cases) {
        Replay r;
        std::string why;
        EXPECT_FALSE(ReadReplay(c.text, r, why)) << c.why;
        EXPECT_NE(why.find(c.why), std::string::npos) << "expected: " << c.why << "\ngot: " << why;
    }
}

}  // namespace
}  // namespace kb
