#include "record/record_actions.h"

#include <filesystem>
#include <fstream>

#include "record/figures.h"
#include "record/keep_match.h"
#include "record/record_json.h"
#include "record/record_store.h"
#include "text/ustr.h"
#include "typing/word_list.h"

namespace kb {

namespace {

bool OnPlainTitle(const Game& g) {
    return g.s.SceneNo == kSceneTitle && g.s.GameMode == kModeNone;
}

// The new words take the place of the old on the title at once; elsewhere from the next
// return to it.
void Replay(Game& g) {
    if (!OnPlainTitle(g)) return;
    PutWordsInPlay(g);
    rndSort(g);
}

std::u16string KanaList(const std::vector<std::u16string>& kana) {
    std::u16string out;
    for (const auto& k : kana) out += (out.empty() ? u"" : u" ") + k;
    return out;
}

}  // namespace

bool StartPractice(Game& g, std::u16string& message) {
    const RecordFigures f = ComputeFigures(g.sv.record->Load(false));
    std::vector<std::u16string> weak;
    for (const KanaFigure& k : f.weakest) weak.push_back(k.kana);
    if (weak.empty()) {
        message = u"Nothing to practise yet: no kana was missed in your latest matches.";
        return false;
    }
    std::vector<WordEntry> words = PracticeWords(g.keeping.words, weak);
    if (words.empty()) {
        message = u"None of the words at hand holds your weakest kana (" + KanaList(weak) + u").";
        return false;
    }
    RecordKeeping& k = g.keeping;
    k.practising = true;
    k.practiceWords = std::move(words);
    const WallTime now = g.sv.clock->Now();
    g.sv.record->KeepPractice({NewRecordId(), now.unixSeconds, now.utcOffsetMinutes, weak,
                               static_cast<int>(k.practiceWords.size())});
    Replay(g);
    message = u"Practice on: " + Num(static_cast<long long>(k.practiceWords.size())) +
              u" words rich in " + KanaList(weak) + u" play in your next matches.";
    return true;
}

void StopPractice(Game& g, std::u16string& message) {
    g.keeping.practising = false;
    g.keeping.practiceWords.clear();
    Replay(g);
    message = u"Practice off: your matches use the whole word list again.";
}

namespace {

// 2026-01-01-09h00, the local time for a file's name.
std::string FileStamp(int64_t at, int utcOffset) {
    std::string stamp = ToUtf8(LocalTimeText(at, utcOffset));
    for (char& c : stamp)
        if (c == ' ' || c == ':') c = c == ' ' ? '-' : 'h';
    return stamp;
}

// Writes text beside path and renames it there: a file cut short is never left half written.
// False, with what went wrong after `failed`, when it cannot.
bool WriteWhole(const std::string& text, const std::string& path, std::u16string_view failed,
                std::u16string& message) {
    const std::string part = path + ".part";
    {
        std::ofstream out(part, std::ios::binary | std::ios::trunc);
        out << text;
        out.flush();
        if (!out) {
            std::error_code ec;
            std::filesystem::remove(part, ec);
            message = std::u16string(failed) + FromUtf8(path) + u" cannot be written.";
            return false;
        }
    }
    std::error_code ec;
    std::filesystem::rename(part, path, ec);
    if (ec) {
        std::filesystem::remove(part, ec);
        message = std::u16string(failed) + FromUtf8(path) + u": " + FromUtf8(ec.message());
        return false;
    }
    return true;
}

}  // namespace

std::string RecordFileName(const WallTime& now) {
    return "kanaburst-record-" + FileStamp(now.unixSeconds, now.utcOffsetMinutes) + ".json";
}

std::string ReplayFileName(const MatchRecord& match) {
    // The ending the desktop knows replay files by (replay/replay_file.h).
    return "kanaburst-replay-" + FileStamp(match.at, match.utcOffset) + ".kbreplay";
}

bool SaveReplayFile(const std::string& text, const std::string& path, std::u16string& message) {
    if (!WriteWhole(text, path, u"Not saved: ", message)) return false;
    message = u"Saved the match's replay to " + FromUtf8(path);
    return true;
}

bool ExportRecord(RecordStore& store, int64_t now, const std::string& path,
                  std::u16string& message) {
    PlayerRecord record = store.Load(true);
    // The store keeps the replays of the newest matches that have one, kReplaysKept at most.
    for (auto m = record.matches.rbegin();
         m != record.matches.rend() && record.replays.size() < kReplaysKept; ++m) {
        if (std::string text = store.ReplayOf(m->id); !text.empty())
            record.replays.emplace(m->id, std::move(text));
    }
    if (!WriteWhole(RecordToJson(record, now), path, u"Not exported: ", message)) return false;
    message = u"Exported " + Num(static_cast<long long>(record.matches.size())) + u" matches (" +
              Num(static_cast<long long>(record.replays.size())) + u" with their replays) to " +
              FromUtf8(path);
    return true;
}

bool ImportRecord(RecordStore& store, const std::string& path, ReplayReader readReplay,
                  std::u16string& message) {
    const std::u16string name = FromUtf8(path);
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    if (ec) {
        message = u"Not imported: " + name + u": " + FromUtf8(ec.message());
        return false;
    }
    if (size > kMaxRecordFileBytes) {
        message = u"Not imported: " + name + u" is larger than a record file can be.";
        return false;
    }
    const FileBytes file = ReadFileBytes(path);
    PlayerRecord record;
    std::string why = "it cannot be read";
    AddOutcome outcome;
    const bool added = file.whole && RecordFromJson(file.bytes, record, why, readReplay) &&
                       store.Add(record, outcome, why);
    if (!added) {
        message = u"Not imported, nothing changed: " + name + u": " + FromUtf8(why);
        return false;
    }
    message = u"Imported " + name + u": " + Num(outcome.added) + u" new, " + Num(outcome.known) +
              u" already kept.";
    return true;
}

bool WipeRecord(RecordStore& store, std::u16string& message) {
    std::string why;
    if (!store.Wipe(why)) {
        message = u"Not wiped: " + FromUtf8(why);
        return false;
    }
    message = u"Every match and practice run is forgotten.";
    return true;
}

}  // namespace kb
