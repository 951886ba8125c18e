// The record in SQLite as a player's machine meets it: reopened, shared by two games, locked by
// another program, killed mid-write, and files that are not a record the game can use.
#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <set>
#include <string>
#include <thread>

#include "platform/sqlite/sqlite_record_store.h"
#include "record/entry_record_store.h"
#include "record/figures.h"
#include "record/record_json.h"
#include "record_samples.h"
#include "test_game.h"

namespace kb::test {
namespace {

namespace fs = std::filesystem;

// Runs SQL on the record file from outside the store, as another program would; the first
// value of its last result.
std::string Sql(const fs::path& file, const std::string& sql) {
    sqlite3* db = nullptr;
    EXPECT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
    std::string value;
    auto first = [](void* out, int, char** values, char**) {
        *static_cast<std::string*>(out) = values[0] ? values[0] : "";
        return 0;
    };
    char* error = nullptr;
    EXPECT_EQ(sqlite3_exec(db, sql.c_str(), first, &value, &error), SQLITE_OK)
        << (error ? error : "");
    sqlite3_free(error);
    sqlite3_close(db);
    return value;
}

PlayerRecord SampleRecord(int matches) {
    PlayerRecord r;
    for (int i = 0; i < matches; ++i)
        r.matches.push_back(
            Match(i * 60, i % 3 ? "WIN" : "LOSE",
                  {{u"か", 10 + i, i % 4, {{u"KI", i % 4 + 1}}}, {u"きょ", 2, 0, {}}}));
    r.practice = {{"00000000000000aa", 1767225600 + matches * 30, 540, {u"か", u"し"}, 40}};
    return r;
}

void KeepAll(RecordStore& store, const PlayerRecord& r) {
    for (const MatchRecord& m : r.matches) store.Keep(m);
    for (const PracticeRun& p : r.practice) store.KeepPractice(p);
}

// A record keeps its matches across openings in its own schema; one of the first version (no
// replays) steps up to this one with its matches as they were, and takes replays from then on.
TEST(SqliteRecord, AnOlderRecordStepsUpKeepingItsMatches) {
    TempDir dir;
    const fs::path file = dir.Path() / "record.sqlite3";
    const PlayerRecord r = SampleRecord(3);
    {
        SqliteRecordStore store(dir.Path().string());
        EXPECT_EQ(store.Problem(), "");
        KeepAll(store, r);
        // Before the writer is done, the record shows them already.
        EXPECT_EQ(store.Load(true), r);
    }
    EXPECT_EQ(Sql(file, "PRAGMA journal_mode"), "wal");
    EXPECT_EQ(Sql(file, "SELECT count(*) FROM match"), "3");
    Sql(file, "DROP TABLE replay; PRAGMA user_version = 1");
    {
        SqliteRecordStore store(dir.Path().string());
        EXPECT_EQ(store.Problem(), "");
        EXPECT_EQ(store.Load(true), r);
        store.KeepReplay(r.matches[1].id, "kanaburst-replay 1");
    }
    EXPECT_EQ(Sql(file, "PRAGMA user_version"), "2");
    SqliteRecordStore again(dir.Path().string());
    EXPECT_EQ(again.Where(), file.string());
    EXPECT_EQ(again.Load(true), r);
    EXPECT_EQ(again.ReplayOf(r.matches[1].id), "kanaburst-replay 1");
    EXPECT_EQ(again.ReplayOf(r.matches[0].id), "");
}

// Both stores keep the replays of the newest matches only, a replay of no match going first,
// and forget them with the record.
TEST(SqliteRecord, KeepsTheReplaysOfTheNewestMatchesAsMemoryDoes) {
    TempDir dir;
    MemoryRecordStore memory;
    SqliteRecordStore sqlite(dir.Path().string());
    const PlayerRecord r = SampleRecord(static_cast<int>(kReplaysKept) + 2);
    for (RecordStore* store :
         {static_cast<RecordStore*>(&memory), static_cast<RecordStore*>(&sqlite)}) {
        SCOPED_TRACE(store->Where());
        store->KeepReplay("no such match", "stray");
        // Newest first: the two oldest matches' replays are the ones let go.
        for (auto m = r.matches.rbegin(); m != r.matches.rend(); ++m) {
            store->Keep(*m);
            store->KeepReplay(m->id, "replay of " + m->id);
        }
        ASSERT_TRUE(sqlite.WaitWritten(20000));
        EXPECT_EQ(store->ReplayOf("no such match"), "");
        EXPECT_EQ(store->ReplayOf(r.matches[0].id), "");
        EXPECT_EQ(store->ReplayOf(r.matches[1].id), "");
        EXPECT_EQ(store->ReplayOf(r.matches[2].id), "replay of " + r.matches[2].id);
        EXPECT_EQ(store->ReplayOf(r.matches.back().id), "replay of " + r.matches.back().id);
        std::string why;
        ASSERT_TRUE(store->Wipe(why)) << why;
        EXPECT_EQ(store->ReplayOf(r.matches.back().id), "");
    }
    EXPECT_EQ(Sql(dir.Path() / "record.sqlite3", "SELECT count(*) FROM replay"), "0");
}

// An import keeps the replays of the matches it adds as keeping them does, in every store: the
// newest matches' only, and a match already kept keeps its own.
TEST(SqliteRecord, AnImportKeepsTheReplaysOfTheMatchesItAddsInEveryStore) {
    TempDir dir;
    MemoryRecordStore memory;
    SqliteRecordStore sqlite(dir.Path().string());
    std::map<std::string, std::string> entries;  // the page's keeper: replays by match id
    EntryRecordStore page(
        [&](EntryKind kind, const std::string& key, const std::string& text) {
            if (kind != EntryKind::kReplay) return;
            if (text.empty())
                entries.erase(key);
            else
                entries[key] = text;
        },
        [] {}, "the page");
    PlayerRecord file = SampleRecord(static_cast<int>(kReplaysKept) + 2);
    for (const MatchRecord& m : file.matches) file.replays[m.id] = "replay of " + m.id;
    const MatchRecord& newest = file.matches.back();
    for (RecordStore* store :
         {static_cast<RecordStore*>(&memory), static_cast<RecordStore*>(&sqlite),
          static_cast<RecordStore*>(&page)}) {
        SCOPED_TRACE(store->Where());
        store->Keep(newest);
        store->KeepReplay(newest.id, "mine");
        ASSERT_TRUE(sqlite.WaitWritten(20000));
        AddOutcome outcome;
        std::string why;
        ASSERT_TRUE(store->Add(file, outcome, why)) << why;
        EXPECT_EQ(outcome.known, 1);
        EXPECT_EQ(store->ReplayOf(newest.id), "mine");
        EXPECT_EQ(store->ReplayOf(file.matches[0].id), "");
        EXPECT_EQ(store->ReplayOf(file.matches[1].id), "");
        EXPECT_EQ(store->ReplayOf(file.matches[2].id), "replay of " + file.matches[2].id);
    }
    EXPECT_EQ(Sql(dir.Path() / "record.sqlite3", "SELECT count(*) FROM replay"),
              std::to_string(kReplaysKept));
    EXPECT_EQ(entries.size(), kReplaysKept);
    EXPECT_EQ(entries[newest.id], "mine");
}

TEST(SqliteRecord, LoadsWhatTheMemoryStoreLoads) {
    TempDir dir;
    const PlayerRecord r = SampleRecord(130);
    MemoryRecordStore memory;
    SqliteRecordStore store(dir.Path().string());
    KeepAll(memory, r);
    KeepAll(store, r);
    ASSERT_TRUE(store.WaitWritten(20000));
    const PlayerRecord fromDisk = store.Load(false);
    EXPECT_EQ(fromDisk, memory.Load(false));
    // Only the matches the figures read carry their kana.
    EXPECT_TRUE(fromDisk.matches.front().kana.empty());
    EXPECT_FALSE(fromDisk.matches.back().kana.empty());
}

TEST(SqliteRecord, AddsWhatIsNewAndWipes) {
    TempDir dir;
    SqliteRecordStore store(dir.Path().string());
    const PlayerRecord r = SampleRecord(4);
    AddOutcome outcome;
    std::string why;
    ASSERT_TRUE(store.Add(r, outcome, why)) << why;
    EXPECT_EQ(outcome.added, 5);
    EXPECT_EQ(outcome.known, 0);
    PlayerRecord more = SampleRecord(6);
    ASSERT_TRUE(store.Add(more, outcome, why)) << why;
    EXPECT_EQ(outcome.added, 2);
    EXPECT_EQ(outcome.known, 5);  // the practice run too, by its id
    EXPECT_EQ(store.Load(true).matches, more.matches);
    const uint64_t version = store.Version();
    ASSERT_TRUE(store.Wipe(why)) << why;
    EXPECT_NE(store.Version(), version);
    EXPECT_EQ(store.Load(true), PlayerRecord{});
}

// Files the game must leave alone: each gets its message, stays byte for byte as it was, and
// the matches go to unsaved/ as record files.
TEST(SqliteRecord, LeavesFilesItCannotUseAsTheyAreAndKeepsMatchesAside) {
    const struct {
        const char* name;
        void (*make)(const fs::path& file);
        const char* problem;
    } cases[] = {
        {"not a database",
         [](const fs::path& file) { std::ofstream(file) << std::string(3000, 'x'); },
         "is not a record database"},
        {"another program's database",
         [](const fs::path& file) { Sql(file, "CREATE TABLE notes(text)"); },
         "holds another program's data"},
        {"a newer record",
         [](const fs::path& file) {
             { SqliteRecordStore store(file.parent_path().string()); }
             Sql(file, "PRAGMA user_version = 3");
         },
         "written by a newer Kanaburst (record version 3; this one knows 2)"},
        {"damaged",
         [](const fs::path& file) {
             {
                 SqliteRecordStore store(file.parent_path().string());
                 KeepAll(store, SampleRecord(40));
             }
             Sql(file, "PRAGMA journal_mode=DELETE");
             std::fstream f(file, std::ios::in | std::ios::out | std::ios::binary);
             f.seekp(120);
             const std::string junk(3000, '\x5a');
             f.write(junk.data(), static_cast<std::streamsize>(junk.size()));
         },
         "is damaged"},
        {"a folder", [](const fs::path& file) { fs::create_directories(file / "x"); },
         "cannot be used"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const fs::path file = dir.Path() / "record.sqlite3";
        c.make(file);
        const std::string before = fs::is_regular_file(file) ? ReadText(file) : "";
        const MatchRecord kept = Match(7);
        {
            SqliteRecordStore store(dir.Path().string());
            EXPECT_TRUE(Holds(store.Problem(), c.problem));
            EXPECT_TRUE(Holds(store.Problem(), "left as it is"));
            store.Keep(kept);
            ASSERT_TRUE(store.WaitWritten(10000));
            // What is set aside is still the player's record.
            const PlayerRecord shown = store.Load(true);
            ASSERT_EQ(shown.matches.size(), 1u);
            EXPECT_EQ(shown.matches[0], kept);
            std::string why;
            EXPECT_FALSE(store.Wipe(why));
            EXPECT_TRUE(Holds(why, "cannot be written"));
        }
        if (fs::is_regular_file(file)) {
            EXPECT_EQ(ReadText(file), before);
        }
        PlayerRecord aside;
        std::string why;
        EXPECT_TRUE(
            RecordFromJson(ReadText(dir.Path() / "unsaved" / (kept.id + ".json")), aside, why))
            << why;
        EXPECT_EQ(aside.matches, std::vector<MatchRecord>{kept});
    }
}

TEST(SqliteRecord, ALockedFileMakesMatchesWaitNotVanish) {
    TempDir dir;
    const fs::path file = dir.Path() / "record.sqlite3";
    SqliteRecordStore store(dir.Path().string());
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(file.c_str(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    store.Keep(Match(1));
    EXPECT_FALSE(store.WaitWritten(3000));
    EXPECT_TRUE(Holds(store.Problem(), "locked by another program"));
    EXPECT_EQ(store.Load(true).matches.size(), 1u);  // shown while it waits
    sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr);
    EXPECT_TRUE(store.WaitWritten(10000));
    EXPECT_EQ(store.Problem(), "");
    EXPECT_EQ(Sql(file, "SELECT count(*) FROM match"), "1");

    // Still locked when the game ends: the match goes aside, and the next start adds it.
    ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    {
        SqliteRecordStore closing(dir.Path().string());
        closing.Keep(Match(2));
    }
    sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    EXPECT_TRUE(fs::exists(dir.Path() / "unsaved" / (Match(2).id + ".json")));
    SqliteRecordStore next(dir.Path().string());
    EXPECT_EQ(next.Load(true).matches, (std::vector<MatchRecord>{Match(1), Match(2)}));
    EXPECT_TRUE(fs::is_empty(dir.Path() / "unsaved"));
}

TEST(SqliteRecord, TwoGamesWritingAtOnceBothKeepTheirMatches) {
    TempDir dir;
    constexpr int kEach = 40;
    auto play = [&](int first) {
        SqliteRecordStore store(dir.Path().string());
        for (int i = 0; i < kEach; ++i) store.Keep(Match(first + i));
    };
    std::thread a(play, 0), b(play, 1000);
    a.join();
    b.join();
    SqliteRecordStore store(dir.Path().string());
    EXPECT_EQ(store.Problem(), "");
    EXPECT_EQ(store.Load(false).matches.size(), 2u * kEach);
}

// A game killed with SIGKILL at any moment: every match it had finished writing is there, at
// most the one being written is not, and the file is sound.
TEST(SqliteRecord, KilledWhileWritingLosesAtMostTheMatchBeingWritten) {
    TempDir dir;
    std::mt19937 random(29);
    std::set<std::string> written;
    for (int round = 0; round < 6; ++round) {
        int pipeFds[2];
        ASSERT_EQ(pipe(pipeFds), 0);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            close(pipeFds[0]);
            SqliteRecordStore store(dir.Path().string());
            for (int i = 0;; ++i) {
                const MatchRecord m =
                    Match(round * 100000 + i, "WIN", SampleRecord(1).matches[0].kana);
                store.Keep(m);
                store.WaitWritten(60000);
                const std::string line = m.id + "\n";
                if (write(pipeFds[1], line.data(), line.size()) < 0) _exit(1);
            }
        }
        close(pipeFds[1]);
        const int before = 2 + static_cast<int>(random() % 12);
        std::string got;
        char buf[256];
        for (int lines = 0; lines < before;) {
            const ssize_t n = read(pipeFds[0], buf, sizeof buf);
            ASSERT_GT(n, 0);
            got.append(buf, static_cast<size_t>(n));
            lines = static_cast<int>(std::count(got.begin(), got.end(), '\n'));
        }
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 4000));
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
        // Whatever arrived before the kill counts as written.
        ssize_t n;
        while ((n = read(pipeFds[0], buf, sizeof buf)) > 0) got.append(buf, static_cast<size_t>(n));
        close(pipeFds[0]);
        std::istringstream ids(got);
        for (std::string id; std::getline(ids, id);)
            if (id.size() == 16) written.insert(id);

        SqliteRecordStore store(dir.Path().string());
        EXPECT_EQ(store.Problem(), "");
        std::set<std::string> kept;
        for (const MatchRecord& m : store.Load(false).matches) kept.insert(m.id);
        for (const std::string& id : written) EXPECT_TRUE(kept.count(id)) << "lost " << id;
        EXPECT_LE(kept.size(), written.size() + round + 1);
        EXPECT_EQ(Sql(dir.Path() / "record.sqlite3", "PRAGMA integrity_check"), "ok");
    }
}

}  // namespace
}  // namespace kb::test
