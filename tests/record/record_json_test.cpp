// The record file: what export writes, import reads back the same; what is not a good record
// file is refused whole, with the reason.
#include "record/record_json.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <string>

#include "record_samples.h"
#include "replay/replay.h"
#include "replay/replay_file.h"

namespace kb::test {
namespace {

PlayerRecord Sample() {
    PlayerRecord r;
    r.matches = {Match(1, "WIN", {{u"きょ", 3, 1, {{u"KYU", 1}}}, {u"っ", 2, 0, {}}}),
                 Match(2, "LOST", {{u"ヴぁ", 1, 1, {{u"BA", 1}}}})};
    r.matches[1].opponent = "server";
    r.matches[1].speed = 0;
    r.matches[1].practice = true;
    r.matches[1].list = u"str.dat (yours) \"quoted\"";
    r.matches[1].utcOffset = -300;
    r.practice = {{"0123456789abcdef", 1767225600 + 5, 60, {u"きょ", u"か"}, 40}};
    return r;
}

TEST(RecordFile, ReadsBackWhatItWrote) {
    const PlayerRecord r = Sample();
    const std::string text = RecordToJson(r, 1767229200);
    PlayerRecord back;
    std::string why;
    ASSERT_TRUE(RecordFromJson(text, back, why)) << why;
    EXPECT_EQ(back, r);
    // A file from elsewhere may list matches in any order: they are kept by time.
    PlayerRecord reversed = r;
    std::swap(reversed.matches[0], reversed.matches[1]);
    ASSERT_TRUE(RecordFromJson(RecordToJson(reversed, 0), back, why)) << why;
    EXPECT_EQ(back, r);
}

// A good file with one thing changed.
std::string With(const std::string& from, const std::string& to) {
    std::string text = RecordToJson(Sample(), 0);
    const auto at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

TEST(RecordFile, RefusesWhatIsNotAGoodRecordFileAndSaysWhy) {
    const struct {
        std::string text;
        std::string why;  // a part of the reason given
    } cases[] = {
        {"", "not a record file"},
        {"{\"format\":\"kanaburst-record\",", "not a record file"},
        {"[1,2,3]", "not a Kanaburst record file"},
        {"{\"format\":\"other\",\"version\":1,\"matches\":[]}", "not a Kanaburst record file"},
        {With("\"version\":1", "\"version\":2"), "newer Kanaburst (format 2)"},
        {With("\"version\":1", "\"version\":0"), "\"version\" is 0"},
        {With("\"version\":1", "\"version\":\"1\""), "\"version\" is not a whole number"},
        {With("\"matches\":[", "\"matchez\":["), "\"matches\" is missing"},
        {With("\"level\":1", "\"level\":7"), "match 1: \"level\" is 7, not 0 to 2"},
        {With("\"speed\":3", "\"speed\":0"), "match 1: \"speed\" is 0, not 1 to 5"},
        {With("\"speed\":0", "\"speed\":2"), "match 2: \"speed\" is 2, not 0 to 0"},
        {With("\"opponent\":\"com\"", "\"opponent\":\"cat\""), "\"opponent\" is not one of"},
        {With("\"result\":\"WIN\"", "\"result\":\"win\""), "\"result\" is not one of"},
        {With("\"keys\":120", "\"keys\":-1"), "\"keys\" is -1"},
        {With("\"keys\":120", "\"keys\":1.5"), "\"keys\" is not a whole number"},
        {With("\"keys\":120", "\"keys\":18446744073709551615"), "\"keys\" is not a whole number"},
        {With("\"at\":", "\"at\":1e300,\"x\":"), "\"at\" is not a whole number"},
        {With("\"id\":\"", "\"id\":\"G"), "\"id\" is not 16 hex digits"},
        {With("\"practice\":false", "\"practice\":0"), "\"practice\" is not true or false"},
        {With("\"きょ\",3", "\"きょきょき\",3"), "a kana is empty or longer than 4"},
        {With("\"きょ\",3", "\"\",3"), "a kana is empty"},
        {With("\"きょ\",3", "\"\\u0007\",3"), "control character"},
        {With("\"KYU\",1", "\"KYU\",0"), "a count is not a whole number from 1"},
        {With("\"KYU\",1", "\"きゅ\",1"), "a slip holds more than keyboard keys"},
        {With("\"っ\",2,0,[]", "\"っ\",2,0"), "a kana entry is not"},
        {With("\"っ\",2,0,[]", "\"っ\",2,0,[[[[[[[]]]]]]]"), "nested deeper"},
        {With("\"words\":40", "\"words\":-40"), "practice run 1: \"words\" is -40"},
        {"{\"format\":\"kanaburst-record\",\"version\":1,\"matches\":[\"\xff\"]}",
         "not a record file"},
        {std::string(kMaxRecordFileBytes + 1, ' '), "larger than 64 MB"},
    };
    for (const auto& c : cases) {
        PlayerRecord r = Sample();
        std::string why;
        EXPECT_FALSE(RecordFromJson(c.text, r, why)) << c.why;
        EXPECT_TRUE(Holds(why, c.why));
        EXPECT_EQ(r, Sample()) << "a refused file changed the record: " << c.why;
    }
}

// A store that keeps each entry on its own writes and reads the objects of the file.
TEST(RecordFile, EachEntryAloneIsTheFilesObjectAndIsRefusedAsTheFileIs) {
    const PlayerRecord r = Sample();
    const std::string file = RecordToJson(r, 0);
    for (const MatchRecord& m : r.matches) {
        const std::string text = MatchToJson(m);
        EXPECT_TRUE(Holds(file, "\n" + text));
        MatchRecord back;
        std::string why;
        ASSERT_TRUE(MatchFromJson(text, back, why)) << why;
        EXPECT_EQ(back, m);
    }
    const std::string run = PracticeToJson(r.practice[0]);
    EXPECT_TRUE(Holds(file, "\n" + run));
    PracticeRun back;
    std::string why;
    ASSERT_TRUE(PracticeFromJson(run, back, why)) << why;
    EXPECT_EQ(back, r.practice[0]);

    const std::string match = MatchToJson(r.matches[0]);
    const struct {
        std::string text;
        std::string why;  // how the reason given starts
    } cases[] = {
        {"", "not a record entry: parse error"},
        {"[]", "not an object"},
        {run, "\"opponent\" is missing"},
        {std::regex_replace(match, std::regex("\"level\":1"), "\"level\":3"),
         "\"level\" is 3, not 0 to 2"},
    };
    for (const auto& c : cases) {
        MatchRecord m = r.matches[1];
        why.clear();
        EXPECT_FALSE(MatchFromJson(c.text, m, why)) << c.text;
        EXPECT_EQ(why.substr(0, c.why.size()), c.why) << why;
        EXPECT_EQ(m, r.matches[1]) << "a refused entry changed the match";
    }
    EXPECT_FALSE(PracticeFromJson(match, back, why));
    EXPECT_EQ(why, "a kana is not text");
}

// A match's replay goes with it, read as the game reads a replay: one that would not play
// refuses the whole file, naming the match.
TEST(RecordFile, CarriesTheMatchesReplaysAndRefusesOneThatDoesNotPlay) {
    const std::string replay = ReadText(std::filesystem::path(KB_SOURCE_DIR) /
                                        "fuzz/corpus/replay/client_lost_at_once.kbreplay");
    PlayerRecord r = Sample();
    r.replays[r.matches[1].id] = replay;
    PlayerRecord back;
    std::string why;
    ASSERT_TRUE(RecordFromJson(RecordToJson(r, 0), back, why, ReplayPlays)) << why;
    EXPECT_EQ(back, r);
    EXPECT_FALSE(RecordFromJson(RecordToJson(r, 0), back, why));
    EXPECT_EQ(why, "match 2: replays are not read here");

    auto withReplay = [&](const std::string& text) {
        PlayerRecord bad = r;
        bad.replays[r.matches[1].id] = text;
        return RecordToJson(bad, 0);
    };
    const auto from = [&](const std::string& a, const std::string& b) {
        return std::regex_replace(replay, std::regex(a), b);
    };
    const struct {
        std::string text;
        std::string why;  // a part of the reason given
    } cases[] = {
        {withReplay(replay.substr(0, replay.size() / 2)),
         "match 2: replay: the replay is cut short"},
        {withReplay(from("kanaburst-replay 1 ", "kanaburst-replay 2 ")),
         "match 2: replay: it was recorded by Kanaburst 1.1 in replay format 2"},
        {withReplay(from("15\\|15\n", "15|15 999999\n")),
         "match 2: replay: a count of frames must be 1 to 54000"},
        {withReplay(std::string(kReplayMaxBytes + 1, '#')),
         "match 2: replay: the file is too large"},
        {withReplay(""), "match 2: replay: this is not a Kanaburst replay"},
        {std::regex_replace(withReplay("x"), std::regex("\"replay\":\"x\""), "\"replay\":42"),
         "match 2: \"replay\" is not text"},
    };
    for (const auto& c : cases) {
        PlayerRecord kept = Sample();
        EXPECT_FALSE(RecordFromJson(c.text, kept, why, ReplayPlays)) << c.why;
        EXPECT_TRUE(Holds(why, c.why));
        EXPECT_EQ(kept, Sample()) << "a refused file changed the record: " << c.why;
    }
}

TEST(RecordFile, SkipsFieldsItDoesNotKnow) {
    PlayerRecord r;
    std::string why;
    ASSERT_TRUE(RecordFromJson(With("\"level\":1", "\"level\":1,\"mood\":\"happy\""), r, why))
        << why;
    EXPECT_EQ(r, Sample());
}

}  // namespace
}  // namespace kb::test
