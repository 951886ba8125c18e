#pragma once
// The player's record in an SQLite database in their data folder (record.sqlite3), with the
// replays of the newest matches beside their matches, written by a thread of its own so that
// the game never waits for the disk. The database is in WAL mode
// and every match is one transaction: a game killed at any moment loses at most the match being
// written, and two games running at once both keep theirs.
//
// A file that is not a database, is damaged, comes from a newer version or cannot be opened is
// never written to: the store says why (Problem) and keeps each match as a record file of its
// own in unsaved/ beside it, which the next start that finds the database well adds to it (a
// replay it cannot take lasts as long as the program).
#include <sqlite3.h>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <variant>

#include "record/record_store.h"

namespace kb {

class SqliteRecordStore : public RecordStore {
  public:
    // 1: matches and practice runs; 2: and replays.
    static constexpr int kSchemaVersion = 2;
    static constexpr const char* kFileName = "record.sqlite3";

    // Opens (or makes) dir/record.sqlite3 and starts the writer. What went wrong is in Problem.
    explicit SqliteRecordStore(std::string dir);
    // Writes what is still waiting (into unsaved/ if the database stays locked), then stops.
    ~SqliteRecordStore() override;
    SqliteRecordStore(const SqliteRecordStore&) = delete;
    SqliteRecordStore& operator=(const SqliteRecordStore&) = delete;

    void Keep(MatchRecord match) override;
    void KeepPractice(PracticeRun run) override;
    void KeepReplay(const std::string& matchId, std::string text) override;
    std::string ReplayOf(const std::string& matchId) override;
    PlayerRecord Load(bool allKana) override;
    bool Add(const PlayerRecord& record, AddOutcome& outcome, std::string& why) override;
    bool Wipe(std::string& why) override;
    std::string Where() const override { return path_; }
    std::string Problem() const override;
    uint64_t Version() const override { return version_; }

    // Waits until everything handed in is written; false when timeoutMs passed first.
    bool WaitWritten(int timeoutMs);

  private:
    struct ReplayEntry {
        std::string matchId, text;
    };
    using Entry = std::variant<MatchRecord, PracticeRun, ReplayEntry>;

    // Opens the file, checks it is a record this version knows, and makes it if it is new;
    // false, with the problem set, where it must be left alone.
    bool OpenDatabase();
    // Hands an entry to the writer.
    void Enqueue(Entry entry);
    // The writer thread: writes what is queued until told to stop and the queue is empty.
    void WriterLoop();
    // Writes one entry on the writer's connection: SQLITE_OK, SQLITE_BUSY or another fault.
    int WriteEntry(sqlite3* db, const Entry& entry);
    // Keeps an entry that the database cannot take as a file in unsaved/.
    void SaveAside(const Entry& entry);
    // Adds the record files set aside in unsaved/ to the database, removing each added.
    void AddUnsavedFiles();
    // What the player is told is wrong; empty when all is well again.
    void SetProblem(const std::string& problem);
    // The database went wrong: it is left alone from now on.
    void GiveUp(sqlite3* db, int code, const std::string& doing);

    std::string dir_, path_, unsavedDir_;
    sqlite3* db_ = nullptr;      // the game thread's connection
    sqlite3* writer_ = nullptr;  // the writer thread's connection
    std::atomic<bool> usable_ = false;
    std::atomic<uint64_t> version_ = 0;

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Entry> queue_;
    std::optional<Entry> inFlight_;
    std::vector<Entry> stranded_;  // neither the database nor unsaved/ took them
    std::string problem_;
    bool stop_ = false;
    std::thread thread_;
};

}  // namespace kb
