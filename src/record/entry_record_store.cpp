#include "record/entry_record_store.h"

#include <utility>

#include "record/record_json.h"

namespace kb {

void EntryRecordStore::Keep(MatchRecord match) {
    write_(EntryKind::kMatch, match.id, MatchToJson(match));
    memory_.Keep(std::move(match));
}

void EntryRecordStore::KeepPractice(PracticeRun run) {
    write_(EntryKind::kPractice, run.id, PracticeToJson(run));
    memory_.KeepPractice(std::move(run));
}

void EntryRecordStore::KeepReplay(const std::string& matchId, std::string text) {
    write_(EntryKind::kReplay, matchId, text);
    for (const std::string& gone : memory_.TakeReplay(matchId, std::move(text)))
        write_(EntryKind::kReplay, gone, {});
}

bool EntryRecordStore::Add(const PlayerRecord& record, AddOutcome& outcome, std::string&) {
    PlayerRecord added;
    outcome = memory_.Merge(record, &added);
    for (const MatchRecord& m : added.matches) write_(EntryKind::kMatch, m.id, MatchToJson(m));
    for (const PracticeRun& p : added.practice)
        write_(EntryKind::kPractice, p.id, PracticeToJson(p));
    for (auto& [id, text] : ReplaysOfAdded(record, added)) KeepReplay(id, std::move(text));
    return true;
}

bool EntryRecordStore::Wipe(std::string& why) {
    wipe_();
    return memory_.Wipe(why);
}

std::string EntryRecordStore::Problem() const {
    if (keeperProblem_.empty()) return unreadableProblem_;
    if (unreadableProblem_.empty()) return keeperProblem_;
    return keeperProblem_ + " " + unreadableProblem_;
}

void EntryRecordStore::Stored(EntryKind kind, std::string_view key, std::string_view text) {
    std::string why;
    bool read = false;
    if (kind == EntryKind::kReplay) {
        // A replay is checked when it is watched; it is kept as it came.
        readReplays_[std::string(key)] = std::string(text);
        return;
    }
    if (kind == EntryKind::kMatch) {
        MatchRecord m;
        read = MatchFromJson(text, m, why) && m.id == key;
        if (read) read_.matches.push_back(std::move(m));
    } else {
        PracticeRun p;
        read = PracticeFromJson(text, p, why) && p.id == key;
        if (read) read_.practice.push_back(std::move(p));
    }
    if (read) return;
    // Under a key of its own, an entry would be kept twice: it is not taken.
    if (why.empty()) why = "kept under a key that is not its id";
    if (unreadable_++ == 0)
        firstUnreadable_ = std::string(kind == EntryKind::kMatch ? "match " : "practice run ") +
                           std::string(key) + ": " + why;
}

void EntryRecordStore::ReadDone() {
    memory_.Merge(read_, nullptr);
    read_ = {};
    for (auto& [id, text] : readReplays_) {
        if (memory_.HasReplay(id)) continue;
        for (const std::string& gone : memory_.TakeReplay(id, std::move(text)))
            write_(EntryKind::kReplay, gone, {});
    }
    readReplays_.clear();
    std::string problem;
    if (unreadable_ == 1) {
        problem =
            "1 entry of the record cannot be read and is left as it is (" + firstUnreadable_ + ").";
    } else if (unreadable_ > 1) {
        problem = std::to_string(unreadable_) +
                  " entries of the record cannot be read and are left as they are (the first: " +
                  firstUnreadable_ + ").";
    }
    unreadable_ = 0;
    firstUnreadable_.clear();
    if (problem != unreadableProblem_) {
        unreadableProblem_ = std::move(problem);
        ++changes_;
    }
}

void EntryRecordStore::SetKeeperProblem(std::string problem) {
    if (problem == keeperProblem_) return;
    keeperProblem_ = std::move(problem);
    ++changes_;
}

void EntryRecordStore::Forget() {
    std::string why;
    memory_.Wipe(why);
}

}  // namespace kb
