// The record kept as entries of their own (the page's, in the browser's storage): each match and
// practice run handed over once as the file's object, the entries read back joining what is in
// memory, and an entry that cannot be read reported and never taken or written.
#include "record/entry_record_store.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "record/record_json.h"
#include "record_samples.h"

namespace kb::test {
namespace {

struct Written {
    EntryKind kind;
    std::string key, text;
    bool operator==(const Written&) const = default;
};

// A store whose keeper is a list of what it was handed.
struct Kept {
    std::vector<Written> written;
    int wipes = 0;
    EntryRecordStore store{[this](EntryKind kind, const std::string& key, const std::string& text) {
                               written.push_back({kind, key, text});
                           },
                           [this] { ++wipes; }, "the keeper"};
};

PracticeRun PracticeAt(int64_t at) {
    return {Hex16(static_cast<uint64_t>(at) + 99), 1767225600 + at, 540, {u"か"}, 12};
}

TEST(EntryRecord, KeepsEachMatchAndRunOnceAsTheFilesObject) {
    Kept k;
    const MatchRecord a = Match(1, "WIN", {{u"か", 3, 1, {{u"KI", 1}}}});
    k.store.Keep(a);
    k.store.KeepPractice(PracticeAt(2));
    EXPECT_EQ(k.written, (std::vector<Written>{{EntryKind::kMatch, a.id, MatchToJson(a)},
                                               {EntryKind::kPractice, PracticeAt(2).id,
                                                PracticeToJson(PracticeAt(2))}}));
    EXPECT_EQ(k.store.Load(true).matches, std::vector<MatchRecord>{a});

    // An import writes only what is new, once.
    PlayerRecord file;
    file.matches = {Match(0), a, Match(3)};
    file.practice = {PracticeAt(2)};
    k.written.clear();
    AddOutcome outcome;
    std::string why;
    ASSERT_TRUE(k.store.Add(file, outcome, why));
    EXPECT_EQ(outcome.added, 2);
    EXPECT_EQ(outcome.known, 2);
    ASSERT_EQ(k.written.size(), 2u);
    EXPECT_EQ(k.written[0].key, Match(0).id);
    EXPECT_EQ(k.written[1].key, Match(3).id);
    ASSERT_TRUE(k.store.Add(file, outcome, why));
    EXPECT_EQ(k.written.size(), 2u);
    EXPECT_EQ(k.store.Load(true).matches, (std::vector<MatchRecord>{Match(0), a, Match(3)}));

    ASSERT_TRUE(k.store.Wipe(why));
    EXPECT_EQ(k.wipes, 1);
    EXPECT_EQ(k.store.Load(true), PlayerRecord{});
}

TEST(EntryRecord, EntriesReadBackJoinWhatIsInMemoryOnceTheReadingEnds) {
    Kept k;
    k.store.Keep(Match(5));  // kept before the keeper was read: it stays
    const uint64_t before = k.store.Version();
    k.store.Stored(EntryKind::kMatch, Match(1).id, MatchToJson(Match(1)));
    k.store.Stored(EntryKind::kMatch, Match(5).id, MatchToJson(Match(5)));
    k.store.Stored(EntryKind::kPractice, PracticeAt(3).id, PracticeToJson(PracticeAt(3)));
    EXPECT_EQ(k.store.Load(true).matches.size(), 1u) << "taken before the reading ended";
    k.store.ReadDone();
    EXPECT_NE(k.store.Version(), before);
    const PlayerRecord r = k.store.Load(true);
    EXPECT_EQ(r.matches, (std::vector<MatchRecord>{Match(1), Match(5)}));
    EXPECT_EQ(r.practice, std::vector<PracticeRun>{PracticeAt(3)});
    EXPECT_TRUE(k.store.Problem().empty()) << k.store.Problem();
    EXPECT_TRUE(k.written.size() == 1) << "reading back writes nothing";

    // Another game wiped the keeper: this one forgets too, without wiping again.
    k.store.Forget();
    EXPECT_EQ(k.store.Load(true), PlayerRecord{});
    EXPECT_EQ(k.wipes, 0);
}

TEST(EntryRecord, EntriesItCannotReadAreToldAndNeverTaken) {
    const std::string good = MatchToJson(Match(1));
    std::string badLevel = good;
    badLevel.replace(badLevel.find("\"level\":1"), 9, "\"level\":9");
    const struct {
        std::vector<std::pair<std::string, std::string>> entries;  // key, text
        std::string problem;
    } cases[] = {
        {{{Match(1).id, good}}, ""},
        {{{Match(1).id, badLevel}},
         "1 entry of the record cannot be read and is left as it is (match " + Match(1).id +
             ": \"level\" is 9, not 0 to 2)."},
        {{{"somewhere", good}},
         "1 entry of the record cannot be read and is left as it is (match somewhere: kept under "
         "a key that is not its id)."},
        {{{"a", "{"}, {Match(2).id, MatchToJson(Match(2))}, {"b", "null"}},
         "2 entries of the record cannot be read and are left as they are (the first: match a: "
         "not a record entry: parse error"},
    };
    for (const auto& c : cases) {
        Kept k;
        for (const auto& [key, text] : c.entries) k.store.Stored(EntryKind::kMatch, key, text);
        k.store.ReadDone();
        EXPECT_EQ(k.store.Problem().substr(0, c.problem.size()), c.problem);
        EXPECT_EQ(c.problem.empty(), k.store.Problem().empty()) << k.store.Problem();
        for (const MatchRecord& m : k.store.Load(true).matches)
            EXPECT_TRUE(m == Match(1) || m == Match(2)) << m.id;
        EXPECT_TRUE(k.written.empty());
    }
}

TEST(EntryRecord, ProblemsAreToldUntilTheyGoAndEachChangeRedrawsTheView) {
    Kept k;
    k.store.Stored(EntryKind::kPractice, "x", "{}");
    k.store.ReadDone();
    const std::string unreadable = k.store.Problem();
    EXPECT_TRUE(Holds(unreadable, "practice run x: \"id\" is missing"));

    uint64_t version = k.store.Version();
    k.store.SetKeeperProblem("Full.");
    EXPECT_EQ(k.store.Problem(), "Full. " + unreadable);
    EXPECT_NE(k.store.Version(), version);
    version = k.store.Version();
    k.store.SetKeeperProblem("Full.");
    EXPECT_EQ(k.store.Version(), version) << "the same problem again is no change";

    k.store.ReadDone();  // a reading that found nothing wrong
    EXPECT_EQ(k.store.Problem(), "Full.");
    k.store.SetKeeperProblem("");
    EXPECT_EQ(k.store.Problem(), "");
    EXPECT_EQ(k.store.Where(), "the keeper");
}

}  // namespace
}  // namespace kb::test
