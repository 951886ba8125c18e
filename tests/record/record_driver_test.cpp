// The record as a test plays it through the headless driver: three computer matches, the
// record's pictures, export, wipe and import (replays and all, into the desktop's database too),
// practice on a known record, and a record file the game cannot use.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "golden_image.h"
#include "record/practice.h"
#include "record/record_json.h"
#include "record_samples.h"
#include "replay/replay_file.h"
#include "sim_runner.h"
#include "test_game.h"

namespace kb::test {
namespace {

namespace fs = std::filesystem;

// Every word reads しゅくだいをきょうしつでやった, so the keys do not depend on the shuffle.
constexpr const char* kWord = "shukudaiwokyoushitudeyatta";

// From the title: a computer match of the given speed (1..5, menu item speed - 1) with keys
// typed once the count-down is over, played out, and back to the title.
std::string MatchScript(int speed, const std::string& keys, int frames = 700) {
    std::string s = "frames 15\n";
    for (int i = 1; i < speed; ++i) s += "key 40\n";
    s += "key 13\nframes 60\n" + keys + "frames " + std::to_string(frames) +
         "\nwait 3350\nkey 13\nframes 2\n";
    // Back on the title the cursor stays on that speed's item: up again for the next script.
    for (int i = 1; i < speed; ++i) s += "key 38\n";
    return s;
}

std::string TypedWords(int n) {
    std::string s;
    for (int i = 0; i < n; ++i) s += std::string("type ") + kWord + "\nkey 13\n";
    return s;
}

// Won with a slip on しゅ; won with slips on う (after きょ) and on っ; lost with a slip inside
// きょ, after き was accepted alone.
std::string ThreeMatches() {
    return MatchScript(1, "type su\nkey 8\nkey 8\n" + TypedWords(4)) +
           MatchScript(2,
                       "type shukudaiwokyo\ntype si\nkey 8\nkey 8\ntype ushitudeyatta\n"
                       "key 13\ntype shukudaiwokyoushitudeya\ntype ta\nkey 8\nkey 8\n"
                       "type tta\nkey 13\n" +
                           TypedWords(2)) +
           MatchScript(3, "type shukudaiwo\ntype kiyo\nkey 8\nkey 8\nkey 8\nkey 8\n", 900);
}

class RecordDriver : public ::testing::Test {
  protected:
    void WordList(const char* file) {
        game.WriteFile("str.dat", ReadText(fs::path(KB_SOURCE_DIR) / "tests/record" / file));
    }
    SimRun Run(const std::string& script, const std::string& args = "") {
        return RunSim(script, "--dir '" + game.Path().string() + "' " + args);
    }
    std::string Path(const char* name) const { return (work.Path() / name).string(); }

    TempDir game, work;
};

TEST_F(RecordDriver, ThreeMatchesShownExportedWipedAndImported) {
    WordList("homework.dat");
    work.WriteFile("bad.json", "{\"format\":\"kanaburst-record\",\"version\":1,\"matches\":[{}]}");
    // The newest match watched with Enter, the oldest with a click on its row (the third).
    const SimRun r =
        Run(ThreeMatches() + "record open\nrecord shot " + Path("matches.png") +
            "\nrecord key 13\nrecord click 700 490\n"
            "record page kana\nrecord shot " +
            Path("kana.png") + "\nrecord list\nrecord export " + Path("record.json") +
            "\nrecord wipe\nrecord list\nrecord import " + Path("record.json") +
            "\nrecord list\nrecord key 13\nrecord import " + Path("bad.json") + "\nrecord list\n");
    ASSERT_EQ(r.status, 0) << r.out;
    ExpectGoldenFile(Path("matches.png"), "record_matches");
    ExpectGoldenFile(Path("kana.png"), "record_kana");

    const auto lists = r.LinesStartingWith("record ");
    std::vector<std::string> matches;
    for (const auto& line : lists)
        if (line.starts_with("record match ")) matches.push_back(line);
    // Three listings of the same three matches, and the one after the wipe, empty.
    ASSERT_EQ(matches.size(), 9u) << r.out;
    const std::pair<int, std::string> parts[] = {
        {0, "com speed 1 level 0 WIN sec 4 keys 104 misses 1"},
        {0, " しゅ:1/4(SUx1) "},
        {0, " きょ:0/4 "},
        {1, " う:1/4(SIx1) "},
        {1, " っ:1/4(TAx1) "},
        {2, "com speed 3 level 0 LOSE"},
        {2, " きょ:1/0(YOx1) "},
    };
    for (const auto& [i, part] : parts) EXPECT_TRUE(Holds(matches[i], part));
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(matches[3 + i], matches[i]) << "export then import changed a match";
        EXPECT_EQ(matches[6 + i], matches[i]) << "a refused import changed a match";
    }
    // An empty record on the desktop's database takes the exported file: the same replays
    // play, and export again.
    TempDir database;
    const SimRun d =
        Run("record open\nrecord import " + Path("record.json") +
                "\nrecord key 13\nrecord click 700 490\nrecord export " + Path("again.json") + "\n",
            "--record-dir '" + database.Path().string() + "'");
    ASSERT_EQ(d.status, 0) << d.out;
    PlayerRecord exported, again;
    std::string why;
    ASSERT_TRUE(RecordFromJson(ReadText(Path("record.json")), exported, why, ReplayPlays)) << why;
    ASSERT_TRUE(RecordFromJson(ReadText(Path("again.json")), again, why, ReplayPlays)) << why;
    EXPECT_EQ(exported.replays.size(), 3u);
    EXPECT_EQ(again, exported);

    // Each watched replay ends on the result screen of its match, as the record lists it: the
    // newest and the oldest played, and after the import the newest again; on the database,
    // the newest and the oldest.
    auto watched = r.LinesStartingWith("record watched ");
    for (const std::string& line : d.LinesStartingWith("record watched ")) watched.push_back(line);
    ASSERT_EQ(watched.size(), 5u) << r.out << d.out;
    for (const auto& [line, match] : {std::pair{watched[0], matches[2]},
                                      {watched[1], matches[0]},
                                      {watched[2], matches[2]},
                                      {watched[3], matches[2]},
                                      {watched[4], matches[0]}}) {
        const std::string state = line.substr(line.find('{'));
        EXPECT_EQ(JsonField(state, "SceneNo"), "2") << line;
        const std::string result = JsonField(state, "GameResult");
        const std::string ending = " " + result.substr(1, result.size() - 2) + " sec " +
                                   JsonField(state, "PlaySec") + " keys " +
                                   JsonField(state, "TypeCount") + " misses " +
                                   JsonField(state, "MissCount") + " ";
        EXPECT_TRUE(Holds(match, ending));
    }
    const std::string said[] = {
        "record: Exported 3 matches (3 with their replays) to ",
        "record: Every match and practice run is forgotten.", "record 0 matches, 0 practice runs",
        "record: Imported " + Path("record.json") + ": 3 new, 0 already kept.",
        "record: Not imported, nothing changed: " + Path("bad.json") +
            ": match 1: \"id\" is missing"};
    for (const std::string& part : said) EXPECT_TRUE(Holds(r.out, part));
    EXPECT_EQ(exported.matches.size(), 3u);
}

// A word in a `state` line's list.
std::vector<std::string> StateList(const std::string& state, const char* field) {
    std::vector<std::string> out;
    for (const std::string& e : JsonElements(JsonField(state, field))) out.push_back(e);
    std::sort(out.begin(), out.end());
    return out;
}

TEST_F(RecordDriver, PracticeListFromAKnownRecordIsPlayed) {
    WordList("practice.dat");
    // A record whose weakest kana are しゃ, then きょ, then し.
    PlayerRecord known;
    known.matches = {Match(0, "WIN",
                           {{u"しゃ", 4, 3, {{u"SYA", 2}, {u"SA", 1}}},
                            {u"きょ", 10, 4, {{u"KYU", 4}}},
                            {u"し", 20, 3, {{u"SI", 3}}},
                            {u"か", 30, 0, {}}})};
    work.WriteFile("known.json", RecordToJson(known, 0));
    const SimRun r =
        Run("record import " + Path("known.json") + "\nrecord weakest\nrecord practice\nstate\n" +
            // The practice list comes shuffled as きょうしつ, とうきょう, しゃしん: a
            // slip on きょ (KYU) and one on しゃ (SA).
            MatchScript(1,
                        "type kyu\nkey 8\nkey 8\nkey 8\ntype kyoushitu\nkey 13\n"
                        "type toukyou\nkey 13\ntype sa\nkey 8\nkey 8\n"
                        "type shashinn\nkey 13\n",
                        900) +
            "record page kana\nrecord shot " + Path("practice.png") +
            "\nrecord list\nrecord practice\nstate\n");
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_TRUE(Holds(r.out, "record weakest しゃ:3/4 きょ:4/10 し:3/20\n"));
    EXPECT_TRUE(Holds(r.out,
                      "record: Practice on: 5 words rich in しゃ きょ し play in "
                      "your next matches."));
    // In turn for each weak kana, the richest word holding it: しゃしん, きょうしつ, すし;
    // then とうきょう and しんぶん.
    ASSERT_EQ(r.states.size(), 2u);
    EXPECT_EQ(StateList(r.states[0], "Yomi"),
              (std::vector<std::string>{"\"きょうしつ\"", "\"しゃしん\"", "\"しんぶん\"",
                                        "\"すし\"", "\"とうきょう\""}));
    const std::string digest = WordsDigest({{u"写真", u"しゃしん"},
                                            {u"教室", u"きょうしつ"},
                                            {u"寿司", u"すし"},
                                            {u"東京", u"とうきょう"},
                                            {u"新聞", u"しんぶん"}});
    const auto matches = r.LinesStartingWith("record match ");
    ASSERT_EQ(matches.size(), 2u) << r.out;
    const std::string practised[] = {" きょ:1/2(KYUx1) ", " しゃ:1/1(SAx1) ",
                                     " practice list str.dat " + digest + " "};
    for (const std::string& part : practised) EXPECT_TRUE(Holds(matches[1], part));
    EXPECT_EQ(r.LinesStartingWith("record practice-run ").size(), 1u) << r.out;
    ExpectGoldenFile(Path("practice.png"), "record_practice");
    // Off again: the whole list is back.
    EXPECT_EQ(StateList(r.states[1], "Yomi").size(), 7u);
}

TEST_F(RecordDriver, ARecordFileItCannotUseIsToldLeftAloneAndTheGamePlaysOn) {
    WordList("homework.dat");
    TempDir record;
    record.WriteFile("record.sqlite3", "my own notes, not a database");
    const SimRun r = Run(MatchScript(1, TypedWords(4)) + "state\n",
                         "--record-dir '" + record.Path().string() + "'");
    ASSERT_EQ(r.status, 0) << r.out;
    const auto boxes = r.LinesStartingWith("msgbox Kanaburst|The record file ");
    ASSERT_EQ(boxes.size(), 1u) << r.out;
    EXPECT_TRUE(Holds(boxes[0], "is not a record database"));
    EXPECT_EQ(JsonField(r.states.back(), "SceneNo"), "0");  // played and back on the title
    EXPECT_EQ(ReadText(record.Path() / "record.sqlite3"), "my own notes, not a database");
    int aside = 0;
    for (const auto& f : fs::directory_iterator(record.Path() / "unsaved"))
        aside += f.path().extension() == ".json";
    EXPECT_EQ(aside, 1);
}

}  // namespace
}  // namespace kb::test
