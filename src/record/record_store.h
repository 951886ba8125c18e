#pragma once
// Where the player's record is kept: behind this interface, a database on the desktop, memory
// in the headless driver and the tests.
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "record/match_record.h"

namespace kb {

// How many replays are kept: those of the newest matches that have one.
inline constexpr std::size_t kReplaysKept = 100;

// What an import did.
struct AddOutcome {
    int added = 0;  // matches and practice runs that were new
    int known = 0;  // those already kept, left as they were
};

class RecordStore {
  public:
    virtual ~RecordStore() = default;
    // Keeps a finished match. Returns at once: the game never waits for the writing.
    virtual void Keep(MatchRecord match) = 0;
    // Keeps the start of a practice run.
    virtual void KeepPractice(PracticeRun run) = 0;
    // Keeps the replay of the kept match matchId (its text), and lets the replays go that are
    // no longer among the newest kReplaysKept. Returns at once, as Keep does.
    virtual void KeepReplay(const std::string& matchId, std::string text) = 0;
    // The replay of match matchId as its text; empty when it has none.
    virtual std::string ReplayOf(const std::string& matchId) = 0;
    // Everything kept, oldest first, matches just handed to Keep included. With allKana false
    // only the matches the figures read (KanaWindowMatches) carry their kana.
    virtual PlayerRecord Load(bool allKana) = 0;
    // Adds, in one go, the matches and practice runs that are not kept yet (told apart by id),
    // and the replays of the matches added, as KeepReplay keeps them. False, with why and
    // nothing added, when it cannot.
    virtual bool Add(const PlayerRecord& record, AddOutcome& outcome, std::string& why) = 0;
    // Forgets every match and practice run. False, with why, when it cannot.
    virtual bool Wipe(std::string& why) = 0;
    // Where the record is kept, as the player is told.
    virtual std::string Where() const = 0;
    // Why matches are not kept where they should be, for the player to read; empty when well.
    virtual std::string Problem() const = 0;
    // Changes whenever what Load gives may have changed.
    virtual uint64_t Version() const = 0;
};

// A record that lasts as long as the program: for the driver and the tests.
class MemoryRecordStore : public RecordStore {
  public:
    void Keep(MatchRecord match) override;
    void KeepPractice(PracticeRun run) override;
    void KeepReplay(const std::string& matchId, std::string text) override;
    std::string ReplayOf(const std::string& matchId) override;
    PlayerRecord Load(bool allKana) override;
    bool Add(const PlayerRecord& record, AddOutcome& outcome, std::string& why) override;
    bool Wipe(std::string& why) override;
    std::string Where() const override { return "memory for this run (nothing is written)"; }
    std::string Problem() const override { return {}; }
    uint64_t Version() const override { return version_; }
    // Adds what Add adds, and puts in `added` (when given) the entries that were new.
    AddOutcome Merge(const PlayerRecord& record, PlayerRecord* added);
    // Keeps a replay as KeepReplay does; returns the match ids whose replays were let go.
    std::vector<std::string> TakeReplay(const std::string& matchId, std::string text);
    // Whether match matchId has a replay here.
    bool HasReplay(const std::string& matchId) const { return replays_.contains(matchId); }

  private:
    PlayerRecord record_;
    std::map<std::string, std::string> replays_;  // by match id
    uint64_t version_ = 0;
};

// Adds to `into` the entries of `from` whose ids it does not hold yet, and keeps it in order;
// those entries also go to `added` when it is given.
AddOutcome MergeRecord(PlayerRecord& into, const PlayerRecord& from, PlayerRecord* added = nullptr);
// The replays that `record` carries for the matches in `added`, with their match ids.
std::vector<std::pair<std::string, std::string>> ReplaysOfAdded(const PlayerRecord& record,
                                                                const PlayerRecord& added);

}  // namespace kb
