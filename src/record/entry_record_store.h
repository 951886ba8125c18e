#pragma once
// A record kept as entries of their own elsewhere (the page's, in the browser's IndexedDB):
// every match in memory, where the figures read it, and each match and practice run also handed
// to the keeper as one entry, under its id, holding the record file's object for it. Entries are
// only ever added, never written over, so that two games writing at once keep both games'
// matches; the entries are read back from the keeper, and one that cannot be read is reported
// and left as it is. A match's replay is an entry of its own under the match's id, the replay's
// text; it is the one kind of entry let go of, handed to the keeper with no text, once it is no
// longer among the newest kept.
#include <functional>
#include <string>
#include <string_view>

#include "record/record_store.h"

namespace kb {

// What an entry holds.
enum class EntryKind { kMatch = 0, kPractice = 1, kReplay = 2 };

class EntryRecordStore : public RecordStore {
  public:
    // Hands an entry to the keeper: its kind, its key (the entry's id) and its text.
    using Write = std::function<void(EntryKind, const std::string&, const std::string&)>;

    // Keeps entries through write, forgets them all through wipe; where says where, as the
    // player is told.
    EntryRecordStore(Write write, std::function<void()> wipe, std::string where)
        : write_(std::move(write)), wipe_(std::move(wipe)), where_(std::move(where)) {}

    void Keep(MatchRecord match) override;
    void KeepPractice(PracticeRun run) override;
    void KeepReplay(const std::string& matchId, std::string text) override;
    std::string ReplayOf(const std::string& matchId) override { return memory_.ReplayOf(matchId); }
    PlayerRecord Load(bool allKana) override { return memory_.Load(allKana); }
    bool Add(const PlayerRecord& record, AddOutcome& outcome, std::string& why) override;
    bool Wipe(std::string& why) override;
    std::string Where() const override { return where_; }
    std::string Problem() const override;
    uint64_t Version() const override { return memory_.Version() + changes_; }

    // An entry read back from the keeper under key, as its text; taken at ReadDone.
    void Stored(EntryKind kind, std::string_view key, std::string_view text);
    // The keeper has been read to its end: what was read joins the matches in memory (it is
    // read again whenever another game writes, so only new ids count).
    void ReadDone();
    // What is wrong with the keeper, for the player; empty when well.
    void SetKeeperProblem(std::string problem);
    // Another game forgot every match: so does this one, before the keeper is read again.
    void Forget();

  private:
    Write write_;
    std::function<void()> wipe_;
    std::string where_;
    MemoryRecordStore memory_;
    PlayerRecord read_;                               // entries read back since the last ReadDone
    std::map<std::string, std::string> readReplays_;  // and the replays among them, by match
    int unreadable_ = 0;             // entries of that reading that could not be read
    std::string firstUnreadable_;    // the first of them and why
    std::string unreadableProblem_;  // what the last whole reading could not read, told
    std::string keeperProblem_;
    uint64_t changes_ = 0;  // problems told, which the view shows
};

}  // namespace kb
