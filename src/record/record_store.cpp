#include "record/record_store.h"

#include <algorithm>
#include <set>

#include "record/figures.h"

namespace kb {

namespace {

template <typename T>
void MergeById(std::vector<T>& into, const std::vector<T>& from, AddOutcome& outcome,
               std::vector<T>* added) {
    std::set<std::string> ids;
    for (const T& t : into) ids.insert(t.id);
    for (const T& t : from) {
        if (ids.insert(t.id).second) {
            into.push_back(t);
            if (added) added->push_back(t);
            ++outcome.added;
        } else {
            ++outcome.known;
        }
    }
}

}  // namespace

AddOutcome MergeRecord(PlayerRecord& into, const PlayerRecord& from, PlayerRecord* added) {
    AddOutcome outcome;
    MergeById(into.matches, from.matches, outcome, added ? &added->matches : nullptr);
    MergeById(into.practice, from.practice, outcome, added ? &added->practice : nullptr);
    SortRecord(into);
    return outcome;
}

std::vector<std::pair<std::string, std::string>> ReplaysOfAdded(const PlayerRecord& record,
                                                                const PlayerRecord& added) {
    std::vector<std::pair<std::string, std::string>> out;
    for (const MatchRecord& m : added.matches)
        if (const auto r = record.replays.find(m.id); r != record.replays.end())
            out.emplace_back(m.id, r->second);
    return out;
}

void MemoryRecordStore::Keep(MatchRecord match) {
    // Matches come in time order: each goes after those of its time, not through a sort.
    auto& m = record_.matches;
    const auto at = std::upper_bound(m.begin(), m.end(), match, [](const auto& a, const auto& b) {
        return a.at != b.at ? a.at < b.at : a.id < b.id;
    });
    m.insert(at, std::move(match));
    ++version_;
}

void MemoryRecordStore::KeepPractice(PracticeRun run) {
    record_.practice.push_back(std::move(run));
    SortRecord(record_);
    ++version_;
}

void MemoryRecordStore::KeepReplay(const std::string& matchId, std::string text) {
    TakeReplay(matchId, std::move(text));
}

std::vector<std::string> MemoryRecordStore::TakeReplay(const std::string& matchId,
                                                       std::string text) {
    replays_[matchId] = std::move(text);
    ++version_;
    // The oldest matches' replays go first; one of a match not kept at all before them.
    std::vector<std::string> dropped;
    std::set<std::string> known;
    for (const MatchRecord& m : record_.matches) known.insert(m.id);
    for (auto it = replays_.begin(); it != replays_.end() && replays_.size() > kReplaysKept;) {
        if (known.contains(it->first)) {
            ++it;
            continue;
        }
        dropped.push_back(it->first);
        it = replays_.erase(it);
    }
    for (auto m = record_.matches.begin();
         m != record_.matches.end() && replays_.size() > kReplaysKept; ++m) {
        if (replays_.erase(m->id)) dropped.push_back(m->id);
    }
    return dropped;
}

std::string MemoryRecordStore::ReplayOf(const std::string& matchId) {
    const auto it = replays_.find(matchId);
    return it == replays_.end() ? std::string() : it->second;
}

PlayerRecord MemoryRecordStore::Load(bool allKana) {
    PlayerRecord out = record_;
    if (!allKana) KeepKanaOfWindow(out);
    return out;
}

bool MemoryRecordStore::Add(const PlayerRecord& record, AddOutcome& outcome, std::string&) {
    PlayerRecord added;
    outcome = Merge(record, &added);
    for (auto& [id, text] : ReplaysOfAdded(record, added)) TakeReplay(id, std::move(text));
    return true;
}

AddOutcome MemoryRecordStore::Merge(const PlayerRecord& record, PlayerRecord* added) {
    const AddOutcome outcome = MergeRecord(record_, record, added);
    ++version_;
    return outcome;
}

bool MemoryRecordStore::Wipe(std::string&) {
    record_ = {};
    replays_.clear();
    ++version_;
    return true;
}

}  // namespace kb
