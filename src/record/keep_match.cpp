#include "record/keep_match.h"

#include <algorithm>
#include <utility>

#include "record/record_store.h"
#include "screens/result_figures.h"
#include "text/ustr.h"

namespace kb {

namespace {

int NonNegative(int v) {
    return std::max(v, 0);
}

}  // namespace

void RecordWordsLoaded(Game& g) {
    RecordKeeping& k = g.keeping;
    k.tally.Clear();
    k.words.clear();
    for (std::size_t i = 0; i < g.Goku.size() && i < g.Yomi.size(); ++i)
        k.words.push_back({g.Goku[i], g.Yomi[i]});
    k.listName = g.ownWords ? u"str.dat (yours)" : u"str.dat";
    k.listDigest = WordsDigest(k.words);
    k.playedDigest = k.listDigest;
    k.keptMatchId.clear();  // back on the title: a replay still to come has no match
    if (k.practising) PutWordsInPlay(g);
}

void PutWordsInPlay(Game& g) {
    RecordKeeping& k = g.keeping;
    const bool practice = k.practising && !k.practiceWords.empty();
    const std::vector<WordEntry>& words = practice ? k.practiceWords : k.words;
    g.Goku.clear();
    g.Yomi.clear();
    for (const WordEntry& w : words) {
        g.Goku.push_back(w.display);
        g.Yomi.push_back(w.reading);
    }
    k.playedDigest = practice ? WordsDigest(words) : k.listDigest;
}

MatchRecord MatchFromGame(Game& g, std::string_view result) {
    const GameState& s = g.s;
    const RecordKeeping& k = g.keeping;
    MatchRecord m;
    m.id = NewRecordId();
    const WallTime now = g.sv.clock->Now();
    m.at = now.unixSeconds;
    m.utcOffset = now.utcOffsetMinutes;
    const bool com = s.GameMode == kModeCom;
    m.opponent = com ? kOpponentCom : s.GameMode == kModeServer ? kOpponentServer : kOpponentClient;
    m.speed = com ? std::clamp(s.MenuNo + 1, 1, 5) : 0;
    m.level = std::clamp<int>(s.GameLevel, 0, 2);
    m.list = k.listName;
    m.digest = k.playedDigest;
    m.practice = k.practising && !k.practiceWords.empty();
    m.result = std::string(result);
    m.playSec = NonNegative(s.PlaySec);
    m.keys = NonNegative(s.TypeCount);
    m.misses = NonNegative(s.MissCount);
    // The figures of the result screen, by its own routines.
    m.score = ResultScore(s.TypeCount, s.MissCount, s.PlaySec, s.GameLevel, s.MenuNo);
    m.rate = static_cast<int>(TypingRateHundredths(m.keys, m.misses, m.playSec));
    m.ratio = static_cast<int>(MissRatioHundredths(m.keys, m.misses));
    m.kana = k.tally.Counts();
    return m;
}

void KeepMatch(Game& g, const std::u16string& result) {
    const GameState& s = g.s;
    if (s.SceneNo != kSceneMatch || s.GameMode == kModeNone) return;
    const std::u16string upper = UpperAscii(result);
    MatchRecord m = MatchFromGame(g, upper == u"WIN" ? kResultWin : kResultLose);
    g.keeping.keptMatchId = m.id;
    g.sv.record->Keep(std::move(m));
    g.keeping.tally.Clear();
}

void KeepLostMatch(Game& g) {
    const GameState& s = g.s;
    if (s.SceneNo != kSceneMatch || (s.GameMode != kModeServer && s.GameMode != kModeClient))
        return;
    MatchRecord m = MatchFromGame(g, kResultLost);
    g.keeping.keptMatchId = m.id;
    g.sv.record->Keep(std::move(m));
    g.keeping.tally.Clear();
}

void KeepReplayOfMatch(Game& g, std::string text) {
    const std::string id = std::exchange(g.keeping.keptMatchId, {});
    if (!id.empty()) g.sv.record->KeepReplay(id, std::move(text));
}

}  // namespace kb
