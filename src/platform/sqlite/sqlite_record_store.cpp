#include "platform/sqlite/sqlite_record_store.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "record/figures.h"
#include "record/record_json.h"
#include "text/ustr.h"

namespace kb {

namespace {

namespace fs = std::filesystem;

// How long one attempt waits for another game's write to finish.
constexpr int kBusyMs = 2000;
// How long the writer waits before it tries a locked database again.
constexpr auto kRetry = std::chrono::seconds(1);

constexpr const char* kSchema = R"(
CREATE TABLE IF NOT EXISTS match(
    id TEXT PRIMARY KEY,        -- 16 hex digits
    at INTEGER NOT NULL,        -- seconds since 1970, UTC
    utc_offset INTEGER NOT NULL,  -- minutes east of UTC where it was played
    opponent TEXT NOT NULL,     -- com, server or client
    speed INTEGER NOT NULL,     -- the computer's kana per second; 0 against a player
    level INTEGER NOT NULL,     -- 0 Easy, 1 Normal, 2 Hard
    list TEXT NOT NULL,         -- the word list's name
    digest TEXT NOT NULL,       -- and its digest
    practice INTEGER NOT NULL,  -- 1 on a practice list
    result TEXT NOT NULL,       -- WIN, LOSE, or LOST for a lost connection
    play_sec INTEGER NOT NULL,
    keys INTEGER NOT NULL,
    misses INTEGER NOT NULL,
    score INTEGER NOT NULL,
    rate INTEGER NOT NULL,      -- keys per second, hundredths
    ratio INTEGER NOT NULL,     -- keys per miss, hundredths
    kana TEXT NOT NULL          -- the kana counts, as the record file writes them
);
CREATE INDEX IF NOT EXISTS match_at ON match(at);
CREATE TABLE IF NOT EXISTS practice(
    id TEXT PRIMARY KEY,
    at INTEGER NOT NULL,
    utc_offset INTEGER NOT NULL,
    kana TEXT NOT NULL,         -- the kana practised, weakest first, between single spaces
    words INTEGER NOT NULL
);
CREATE TABLE IF NOT EXISTS replay(
    id TEXT PRIMARY KEY,        -- the match's id
    text TEXT NOT NULL          -- the replay as its file holds it
);
)";

constexpr const char* kMatchColumns =
    "id, at, utc_offset, opponent, speed, level, list, digest, practice, result, play_sec, keys, "
    "misses, score, rate, ratio";

class Statement {
  public:
    Statement(sqlite3* db, const std::string& sql) {
        rc_ = sqlite3_prepare_v2(db, sql.c_str(), -1, &st_, nullptr);
    }
    ~Statement() { sqlite3_finalize(st_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    int Prepared() const { return rc_; }
    void Bind(int i, int64_t v) { sqlite3_bind_int64(st_, i, v); }
    void Bind(int i, const std::string& v) {
        sqlite3_bind_text(st_, i, v.data(), static_cast<int>(v.size()), SQLITE_TRANSIENT);
    }
    // Binds the values to the parameters 1, 2, ... in order.
    template <typename... Values>
    void BindAll(const Values&... values) {
        int i = 0;
        (Bind(++i, values), ...);
    }
    int Step() { return rc_ == SQLITE_OK ? sqlite3_step(st_) : rc_; }
    void Reset() {
        sqlite3_reset(st_);
        sqlite3_clear_bindings(st_);
    }
    int64_t Int(int col) const { return sqlite3_column_int64(st_, col); }
    std::string Text(int col) const {
        const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(st_, col));
        return p ? std::string(p, static_cast<size_t>(sqlite3_column_bytes(st_, col))) : "";
    }

  private:
    sqlite3_stmt* st_ = nullptr;
    int rc_ = SQLITE_OK;
};

int Exec(sqlite3* db, const char* sql) {
    return sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
}

// What a fault means to the player.
std::string FaultText(int code) {
    switch (code & 0xFF) {
        case SQLITE_NOTADB:
            return "is not a record database (damaged, or another program's file)";
        case SQLITE_CORRUPT:
            return "is damaged";
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            return "is locked by another program";
        default:
            return std::string("cannot be used: ") + sqlite3_errstr(code);
    }
}

sqlite3* OpenConnection(const std::string& path, int& code) {
    sqlite3* db = nullptr;
    code = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (code != SQLITE_OK) {
        sqlite3_close(db);
        return nullptr;
    }
    sqlite3_busy_timeout(db, kBusyMs);
    // Each match is on the disk when its transaction ends, not only in the system's cache.
    Exec(db, "PRAGMA synchronous=FULL");
    return db;
}

std::string JoinKana(const std::vector<std::u16string>& kana) {
    std::string out;
    for (const auto& k : kana) out += (out.empty() ? "" : " ") + ToUtf8(k);
    return out;
}

std::vector<std::u16string> SplitKanaList(const std::string& text) {
    std::vector<std::u16string> out;
    std::istringstream in(text);
    for (std::string k; in >> k;) out.push_back(FromUtf8(k));
    return out;
}

int InsertMatch(sqlite3* db, const MatchRecord& m) {
    Statement st(db, std::string("INSERT OR IGNORE INTO match(") + kMatchColumns +
                         ", kana) VALUES(?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)");
    st.BindAll(m.id, m.at, m.utcOffset, m.opponent, m.speed, m.level, ToUtf8(m.list), m.digest,
               m.practice ? 1 : 0, m.result, m.playSec, m.keys, m.misses, m.score, m.rate, m.ratio,
               KanaToJson(m.kana));
    const int rc = st.Step();
    return rc == SQLITE_DONE ? SQLITE_OK : rc;
}

int InsertPractice(sqlite3* db, const PracticeRun& p) {
    Statement st(db,
                 "INSERT OR IGNORE INTO practice(id, at, utc_offset, kana, words) "
                 "VALUES(?,?,?,?,?)");
    st.BindAll(p.id, p.at, p.utcOffset, JoinKana(p.kana), p.words);
    const int rc = st.Step();
    return rc == SQLITE_DONE ? SQLITE_OK : rc;
}

// Puts a replay in; SQLITE_OK when it is.
int PutReplay(sqlite3* db, const std::string& matchId, const std::string& text) {
    Statement st(db, "INSERT OR REPLACE INTO replay(id, text) VALUES(?,?)");
    st.BindAll(matchId, text);
    const int rc = st.Step();
    return rc == SQLITE_DONE ? SQLITE_OK : rc;
}

// Lets go of the replays beyond the newest matches' kReplaysKept (one of a match the record
// does not hold goes first).
int DropOldReplays(sqlite3* db) {
    Statement st(db,
                 "DELETE FROM replay WHERE id NOT IN (SELECT replay.id FROM replay LEFT JOIN "
                 "match USING(id) ORDER BY match.at IS NULL, match.at DESC, replay.id DESC "
                 "LIMIT ?)");
    st.Bind(1, static_cast<int64_t>(kReplaysKept));
    const int rc = st.Step();
    return rc == SQLITE_DONE ? SQLITE_OK : rc;
}

// Keeps a replay, and lets go of those no longer kept, in one transaction.
int InsertReplay(sqlite3* db, const std::string& matchId, const std::string& text) {
    int rc = Exec(db, "BEGIN IMMEDIATE");
    if (rc != SQLITE_OK) return rc;
    rc = PutReplay(db, matchId, text);
    if (rc == SQLITE_OK) rc = DropOldReplays(db);
    if (rc == SQLITE_OK) rc = Exec(db, "COMMIT");
    if (rc != SQLITE_OK) Exec(db, "ROLLBACK");
    return rc;
}

// Inserts everything in one transaction, with the replays of the matches that were new;
// outcome counts what was new.
int InsertAll(sqlite3* db, const PlayerRecord& record, AddOutcome& outcome) {
    int rc = Exec(db, "BEGIN IMMEDIATE");
    if (rc != SQLITE_OK) return rc;
    outcome = {};
    auto count = [&](int code) {
        if (code == SQLITE_OK) (sqlite3_changes(db) ? outcome.added : outcome.known) += 1;
        return code;
    };
    for (const MatchRecord& m : record.matches) {
        if ((rc = count(InsertMatch(db, m))) != SQLITE_OK) break;
        // A match the record held keeps what it has.
        const auto replay = record.replays.find(m.id);
        if (sqlite3_changes(db) > 0 && replay != record.replays.end() &&
            (rc = PutReplay(db, m.id, replay->second)) != SQLITE_OK)
            break;
    }
    for (const PracticeRun& p : record.practice)
        if (rc == SQLITE_OK && (rc = count(InsertPractice(db, p))) != SQLITE_OK) break;
    if (rc == SQLITE_OK && !record.replays.empty()) rc = DropOldReplays(db);
    if (rc == SQLITE_OK) rc = Exec(db, "COMMIT");
    if (rc != SQLITE_OK) Exec(db, "ROLLBACK");
    return rc;
}

int ReadRecord(sqlite3* db, PlayerRecord& out) {
    Statement matches(db, std::string("SELECT ") + kMatchColumns + " FROM match ORDER BY at, id");
    int rc = SQLITE_OK;
    while ((rc = matches.Step()) == SQLITE_ROW) {
        MatchRecord m;
        m.id = matches.Text(0);
        m.at = matches.Int(1);
        m.utcOffset = static_cast<int>(matches.Int(2));
        m.opponent = matches.Text(3);
        m.speed = static_cast<int>(matches.Int(4));
        m.level = static_cast<int>(matches.Int(5));
        m.list = FromUtf8(matches.Text(6));
        m.digest = matches.Text(7);
        m.practice = matches.Int(8) != 0;
        m.result = matches.Text(9);
        m.playSec = static_cast<int>(matches.Int(10));
        m.keys = static_cast<int>(matches.Int(11));
        m.misses = static_cast<int>(matches.Int(12));
        m.score = static_cast<int>(matches.Int(13));
        m.rate = static_cast<int>(matches.Int(14));
        m.ratio = static_cast<int>(matches.Int(15));
        out.matches.push_back(std::move(m));
    }
    if (rc != SQLITE_DONE) return rc;
    Statement practice(db, "SELECT id, at, utc_offset, kana, words FROM practice ORDER BY at, id");
    while ((rc = practice.Step()) == SQLITE_ROW)
        out.practice.push_back({practice.Text(0), practice.Int(1),
                                static_cast<int>(practice.Int(2)), SplitKanaList(practice.Text(3)),
                                static_cast<int>(practice.Int(4))});
    return rc == SQLITE_DONE ? SQLITE_OK : rc;
}

// Fills in the kana of the given matches from the database (those it holds).
int ReadKana(sqlite3* db, PlayerRecord& record, const std::vector<size_t>& which) {
    Statement st(db, "SELECT kana FROM match WHERE id = ?");
    for (size_t i : which) {
        MatchRecord& m = record.matches[i];
        if (!m.kana.empty()) continue;
        st.Reset();
        st.Bind(1, m.id);
        const int rc = st.Step();
        if (rc == SQLITE_ROW) {
            std::string why;
            // Damaged kana of one match cost that match its kana, nothing more.
            if (!KanaFromJson(st.Text(0), m.kana, why)) m.kana.clear();
        } else if (rc != SQLITE_DONE) {
            return rc;
        }
    }
    return SQLITE_OK;
}

template <typename T, typename Entries>
std::vector<T> Only(const Entries& entries) {
    std::vector<T> out;
    for (const auto& e : entries)
        if (const T* t = std::get_if<T>(&e)) out.push_back(*t);
    return out;
}

}  // namespace

SqliteRecordStore::SqliteRecordStore(std::string dir)
    : dir_(std::move(dir)),
      path_((fs::path(dir_) / kFileName).string()),
      unsavedDir_((fs::path(dir_) / "unsaved").string()) {
    usable_ = OpenDatabase();
    if (usable_) AddUnsavedFiles();
    thread_ = std::thread([this] { WriterLoop(); });
}

SqliteRecordStore::~SqliteRecordStore() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    changed_.notify_all();
    thread_.join();
    sqlite3_close(writer_);
    sqlite3_close(db_);
}

bool SqliteRecordStore::OpenDatabase() {
    std::error_code ec;
    fs::create_directories(dir_, ec);
    if (ec) {
        SetProblem("The folder for the record, " + dir_ + ", cannot be made: " + ec.message() +
                   ". Matches are kept only while the game runs.");
        return false;
    }
    int rc = SQLITE_OK;
    db_ = OpenConnection(path_, rc);
    if (!db_) return GiveUp(nullptr, rc, "opening it"), false;
    // Read before anything is written: a file that is not ours stays as it is.
    int64_t version = 0, tables = 0;
    {
        Statement st(db_,
                     "SELECT (SELECT user_version FROM pragma_user_version), "
                     "(SELECT count(*) FROM sqlite_master)");
        rc = st.Step();
        if (rc != SQLITE_ROW) return GiveUp(db_, rc, "reading it"), false;
        version = st.Int(0);
        tables = st.Int(1);
    }
    if (version > kSchemaVersion) {
        SetProblem("The record file " + path_ +
                   " was written by a newer Kanaburst (record version " + std::to_string(version) +
                   "; this one knows " + std::to_string(kSchemaVersion) +
                   "). It is left as it is; this game keeps its matches in " + unsavedDir_ +
                   ", which the newer one can import.");
        return false;
    }
    if (version == 0 && tables > 0) {
        SetProblem("The record file " + path_ +
                   " holds another program's data. It is left as it is; this game keeps its "
                   "matches in " +
                   unsavedDir_ + ".");
        return false;
    }
    if (version < kSchemaVersion) {
        // A new file gets the whole schema; an older one the tables it lacks, its own kept as
        // they are. Two games starting together may both get here: the tables are made inside
        // the write lock, and only where they are still missing.
        rc = Exec(db_, "BEGIN IMMEDIATE");
        if (rc == SQLITE_OK) rc = Exec(db_, kSchema);
        if (rc == SQLITE_OK)
            rc = Exec(db_, ("PRAGMA user_version = " + std::to_string(kSchemaVersion)).c_str());
        if (rc == SQLITE_OK) rc = Exec(db_, "COMMIT");
        if (rc != SQLITE_OK) {
            Exec(db_, "ROLLBACK");
            return GiveUp(db_, rc, "making it"), false;
        }
    }
    if (sqlite3_db_readonly(db_, "main") == 1) {
        SetProblem("The record file " + path_ +
                   " cannot be written (it is read-only). It is left "
                   "as it is; matches are kept in " +
                   unsavedDir_ + ".");
        return false;
    }
    // Readers never wait for a writer, and a commit is one append to the log.
    Exec(db_, "PRAGMA journal_mode=WAL");
    writer_ = OpenConnection(path_, rc);
    if (!writer_) return GiveUp(nullptr, rc, "opening it"), false;
    return true;
}

void SqliteRecordStore::GiveUp(sqlite3* db, int code, const std::string& doing) {
    const bool locked = (code & 0xFF) == SQLITE_BUSY || (code & 0xFF) == SQLITE_LOCKED;
    usable_ = false;
    SetProblem("The record file " + path_ + " " + FaultText(code) +
               (db && !locked ? " (" + std::string(sqlite3_errmsg(db)) + ")" : "") + " on " +
               doing + ". It is left as it is; matches are kept in " + unsavedDir_ +
               " and added to it when it can be used again.");
}

void SqliteRecordStore::SetProblem(const std::string& problem) {
    {
        std::lock_guard lock(mutex_);
        problem_ = problem;
    }
    ++version_;
}

std::string SqliteRecordStore::Problem() const {
    std::lock_guard lock(mutex_);
    return problem_;
}

void SqliteRecordStore::AddUnsavedFiles() {
    std::error_code ec;
    for (const auto& file : fs::directory_iterator(unsavedDir_, ec)) {
        if (file.path().extension() != ".json") continue;
        std::ifstream in(file.path(), std::ios::binary);
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        PlayerRecord record;
        std::string why;
        AddOutcome outcome;
        if (RecordFromJson(text, record, why) && InsertAll(db_, record, outcome) == SQLITE_OK)
            fs::remove(file.path(), ec);
    }
}

void SqliteRecordStore::Keep(MatchRecord match) {
    Enqueue(std::move(match));
}

void SqliteRecordStore::KeepPractice(PracticeRun run) {
    Enqueue(std::move(run));
}

void SqliteRecordStore::KeepReplay(const std::string& matchId, std::string text) {
    Enqueue(ReplayEntry{matchId, std::move(text)});
}

std::string SqliteRecordStore::ReplayOf(const std::string& matchId) {
    {
        // One on its way, or one the database could not take, is the newest.
        std::lock_guard lock(mutex_);
        std::vector<const Entry*> waiting;
        for (const Entry& e : stranded_) waiting.push_back(&e);
        if (inFlight_) waiting.push_back(&*inFlight_);
        for (const Entry& e : queue_) waiting.push_back(&e);
        for (auto it = waiting.rbegin(); it != waiting.rend(); ++it)
            if (const auto* r = std::get_if<ReplayEntry>(*it); r && r->matchId == matchId)
                return r->text;
    }
    if (!usable_) return {};
    Statement st(db_, "SELECT text FROM replay WHERE id = ?");
    st.Bind(1, matchId);
    return st.Step() == SQLITE_ROW ? st.Text(0) : std::string();
}

void SqliteRecordStore::Enqueue(Entry entry) {
    {
        std::lock_guard lock(mutex_);
        queue_.push_back(std::move(entry));
    }
    ++version_;
    changed_.notify_all();
}

int SqliteRecordStore::WriteEntry(sqlite3* db, const Entry& entry) {
    if (const auto* m = std::get_if<MatchRecord>(&entry)) return InsertMatch(db, *m);
    if (const auto* r = std::get_if<ReplayEntry>(&entry))
        return InsertReplay(db, r->matchId, r->text);
    return InsertPractice(db, std::get<PracticeRun>(entry));
}

void SqliteRecordStore::SaveAside(const Entry& entry) {
    if (std::holds_alternative<ReplayEntry>(entry)) {
        // A file set aside holds one match or practice run, as it comes: a replay, which comes
        // after its match, stays in memory.
        std::lock_guard lock(mutex_);
        stranded_.push_back(entry);
        return;
    }
    PlayerRecord one;
    if (const auto* m = std::get_if<MatchRecord>(&entry))
        one.matches.push_back(*m);
    else
        one.practice.push_back(std::get<PracticeRun>(entry));
    const auto& first = one.matches.empty() ? one.practice[0].id : one.matches[0].id;
    std::error_code ec;
    fs::create_directories(unsavedDir_, ec);
    const fs::path file = fs::path(unsavedDir_) / (first + ".json");
    const fs::path part = fs::path(unsavedDir_) / (first + ".part");
    {
        std::ofstream out(part, std::ios::binary | std::ios::trunc);
        out << RecordToJson(one, 0);
        out.flush();
        if (!out) ec = std::make_error_code(std::errc::io_error);
    }
    // Whole or not at all: the file gets its name once it is written.
    if (!ec) fs::rename(part, file, ec);
    if (ec) {
        fs::remove(part, ec);
        std::lock_guard lock(mutex_);
        stranded_.push_back(entry);
    }
}

void SqliteRecordStore::WriterLoop() {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return stop_ || !queue_.empty(); });
        if (queue_.empty()) break;
        inFlight_ = std::move(queue_.front());
        queue_.pop_front();
        const bool stopping = stop_;
        lock.unlock();

        int rc = usable_ ? WriteEntry(writer_, *inFlight_) : SQLITE_ERROR;
        if ((rc & 0xFF) == SQLITE_BUSY && !stopping) {
            // Another program holds the file: the entry waits, and so does everything after it.
            SetProblem("The record file " + path_ + " " + FaultText(rc) +
                       "; the last matches wait to be written.");
            lock.lock();
            queue_.push_front(std::move(*inFlight_));
            inFlight_.reset();
            changed_.notify_all();
            changed_.wait_for(lock, kRetry, [this] { return stop_; });
            continue;
        }
        if (rc != SQLITE_OK) {
            if (usable_ && (rc & 0xFF) != SQLITE_BUSY) GiveUp(writer_, rc, "writing a match");
            SaveAside(*inFlight_);
        } else if (!Problem().empty()) {
            // While the file is usable the only trouble is a lock, and a write got through it.
            SetProblem("");
        }
        lock.lock();
        inFlight_.reset();
        changed_.notify_all();
    }
}

bool SqliteRecordStore::WaitWritten(int timeoutMs) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                             [this] { return queue_.empty() && !inFlight_; });
}

PlayerRecord SqliteRecordStore::Load(bool allKana) {
    std::vector<Entry> waiting;
    {
        std::lock_guard lock(mutex_);
        waiting.assign(queue_.begin(), queue_.end());
        if (inFlight_) waiting.push_back(*inFlight_);
        waiting.insert(waiting.end(), stranded_.begin(), stranded_.end());
    }
    PlayerRecord record;
    if (usable_) {
        int rc = Exec(db_, "BEGIN");
        if (rc == SQLITE_OK) rc = ReadRecord(db_, record);
        if (rc == SQLITE_OK) {
            PlayerRecord all = record;
            MergeRecord(all, {Only<MatchRecord>(waiting), Only<PracticeRun>(waiting), {}});
            // The window's matches that the database holds get their kana from it.
            std::vector<size_t> which;
            if (allKana) {
                for (size_t i = 0; i < record.matches.size(); ++i) which.push_back(i);
            } else {
                std::set<std::string> ids;
                for (size_t i : KanaWindowMatches(all)) ids.insert(all.matches[i].id);
                for (size_t i = 0; i < record.matches.size(); ++i)
                    if (ids.count(record.matches[i].id)) which.push_back(i);
            }
            rc = ReadKana(db_, record, which);
        }
        Exec(db_, "COMMIT");
        if ((rc & 0xFF) == SQLITE_BUSY) {
            // Held by another program for now: this time the view shows what waits.
            SetProblem("The record file " + path_ + " " + FaultText(rc) + ".");
            record = {};
        } else if (rc != SQLITE_OK) {
            GiveUp(db_, rc, "reading it");
            record = {};
        }
    }
    if (!usable_) {
        // What was set aside is part of the record too.
        std::error_code ec;
        for (const auto& file : fs::directory_iterator(unsavedDir_, ec)) {
            if (file.path().extension() != ".json") continue;
            std::ifstream in(file.path(), std::ios::binary);
            const std::string text((std::istreambuf_iterator<char>(in)),
                                   std::istreambuf_iterator<char>());
            PlayerRecord aside;
            std::string why;
            if (RecordFromJson(text, aside, why)) MergeRecord(record, aside);
        }
    }
    MergeRecord(record, {Only<MatchRecord>(waiting), Only<PracticeRun>(waiting), {}});
    if (!allKana) KeepKanaOfWindow(record);
    return record;
}

bool SqliteRecordStore::Add(const PlayerRecord& record, AddOutcome& outcome, std::string& why) {
    if (!usable_) {
        why = "the record file cannot be written now: " + Problem();
        return false;
    }
    const int rc = InsertAll(db_, record, outcome);
    if (rc != SQLITE_OK) {
        why = "the record file " + FaultText(rc);
        outcome = {};
        return false;
    }
    ++version_;
    return true;
}

bool SqliteRecordStore::Wipe(std::string& why) {
    if (!usable_) {
        why = "the record file cannot be written now: " + Problem();
        return false;
    }
    {
        // Matches on their way would come back after the wipe: they go with it.
        std::unique_lock lock(mutex_);
        queue_.clear();
        changed_.wait(lock, [this] { return !inFlight_; });
        stranded_.clear();
    }
    int rc = Exec(db_, "BEGIN IMMEDIATE");
    if (rc == SQLITE_OK)
        rc = Exec(db_, "DELETE FROM match; DELETE FROM practice; DELETE FROM replay;");
    if (rc == SQLITE_OK) rc = Exec(db_, "COMMIT");
    if (rc != SQLITE_OK) {
        Exec(db_, "ROLLBACK");
        why = "the record file " + FaultText(rc);
        return false;
    }
    ++version_;
    return true;
}

}  // namespace kb
