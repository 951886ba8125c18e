#include "record/figures.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>

#include "text/ustr.h"

namespace kb {

namespace {

// Samples of what was typed instead, shown per weak kana.
constexpr std::size_t kInsteadShown = 3;
// Weakness ranks misses over times seen plus this many clean ones, so that a kana seen once
// and missed once does not outrank one missed 8 times in 20.
constexpr double kPriorSeen = 2.0;

int RowOf(const MatchRecord& m) {
    return m.opponent == kOpponentCom && m.speed >= 1 && m.speed <= kComSpeeds ? m.speed - 1
                                                                               : kComSpeeds;
}

// Sums the kana of the given matches.
std::vector<KanaFigure> SumKana(const std::vector<MatchRecord>& matches,
                                const std::vector<std::size_t>& which) {
    std::map<std::u16string, KanaFigure> sums;
    std::map<std::u16string, std::map<std::u16string, int>> instead;
    for (std::size_t i : which) {
        for (const KanaCount& c : matches[i].kana) {
            KanaFigure& f = sums[c.kana];
            f.kana = c.kana;
            f.typed += c.typed;
            f.missed += c.missed;
            for (const auto& [typed, n] : c.instead) instead[c.kana][typed] += n;
        }
    }
    std::vector<KanaFigure> out;
    for (auto& [kana, f] : sums) {
        f.instead.assign(instead[kana].begin(), instead[kana].end());
        std::stable_sort(f.instead.begin(), f.instead.end(),
                         [](const auto& a, const auto& b) { return a.second > b.second; });
        out.push_back(std::move(f));
    }
    return out;
}

std::vector<KanaFigure> Weakest(const std::vector<KanaFigure>& kana) {
    std::vector<KanaFigure> weak;
    for (const KanaFigure& f : kana)
        if (f.missed > 0) weak.push_back(f);
    auto weakness = [](const KanaFigure& f) {
        return f.missed / (std::max(f.typed, f.missed) + kPriorSeen);
    };
    std::stable_sort(weak.begin(), weak.end(), [&](const KanaFigure& a, const KanaFigure& b) {
        if (weakness(a) != weakness(b)) return weakness(a) > weakness(b);
        return a.missed > b.missed;
    });
    if (weak.size() > kWeakestKana) weak.resize(kWeakestKana);
    for (KanaFigure& f : weak)
        if (f.instead.size() > kInsteadShown) f.instead.resize(kInsteadShown);
    return weak;
}

// The latest `count` indices of matches for which keep(match) holds, in increasing order.
template <typename Keep>
std::vector<std::size_t> Latest(const std::vector<MatchRecord>& matches, std::size_t count,
                                Keep keep) {
    std::vector<std::size_t> out;
    for (std::size_t i = matches.size(); i-- > 0 && out.size() < count;)
        if (keep(matches[i])) out.push_back(i);
    std::reverse(out.begin(), out.end());
    return out;
}

KanaFigure Find(const std::vector<KanaFigure>& kana, const std::u16string& which) {
    for (const KanaFigure& f : kana)
        if (f.kana == which) return f;
    KanaFigure none;
    none.kana = which;
    return none;
}

}  // namespace

double MissRate(int typed, int missed) {
    const int seen = std::max(typed, missed);
    return seen > 0 ? static_cast<double>(missed) / seen : 0.0;
}

std::vector<std::size_t> KanaWindowMatches(const PlayerRecord& record) {
    const auto& m = record.matches;
    std::vector<std::size_t> which =
        Latest(m, kKanaWindow, [](const MatchRecord&) { return true; });
    if (!record.practice.empty()) {
        const int64_t at = record.practice.back().at;
        for (std::size_t i :
             Latest(m, kKanaWindow, [at](const MatchRecord& r) { return r.at < at; }))
            which.push_back(i);
        std::sort(which.begin(), which.end());
        which.erase(std::unique(which.begin(), which.end()), which.end());
    }
    return which;
}

void KeepKanaOfWindow(PlayerRecord& record) {
    std::vector<bool> keep(record.matches.size(), false);
    for (std::size_t i : KanaWindowMatches(record)) keep[i] = true;
    for (std::size_t i = 0; i < record.matches.size(); ++i)
        if (!keep[i]) record.matches[i].kana.clear();
}

RecordFigures ComputeFigures(const PlayerRecord& record) {
    RecordFigures f;
    const auto& matches = record.matches;
    f.opponents.resize(kComSpeeds + 1);
    for (int i = 0; i < kComSpeeds; ++i) f.opponents[i].label = u"Com " + Num(i + 1);
    f.opponents[kComSpeeds].label = u"Player";
    for (std::size_t i = 0; i < matches.size(); ++i) {
        const MatchRecord& m = matches[i];
        ++f.matches;
        const bool won = m.result == kResultWin, lost = m.result == kResultLost;
        f.wins += won;
        f.lost += lost;
        f.losses += !won && !lost;
        f.playSec += m.playSec;
        f.keys += m.keys;
        f.misses += m.misses;
        OpponentFigure& o = f.opponents[RowOf(m)];
        o.wins += won;
        o.lost += lost;
        o.losses += !won && !lost;
        if (m.level >= 0 && m.level < 3) {
            BestFigure& b = f.bests[RowOf(m)][m.level];
            if (!b.any || m.score > b.score || (m.score == b.score && m.rate > b.rate))
                b = {true, m.score, m.rate};
        }
        if (i + kChartMatches >= matches.size()) {
            const int permille =
                m.keys > 0
                    ? static_cast<int>(std::min<int64_t>(1000, int64_t{m.misses} * 1000 / m.keys))
                    : (m.misses > 0 ? 1000 : 0);
            f.chart.push_back({m.rate, permille, won, m.practice});
        }
    }

    const std::vector<std::size_t> latest =
        Latest(matches, kKanaWindow, [](const MatchRecord&) { return true; });
    f.kanaMatches = static_cast<int>(latest.size());
    f.kana = SumKana(matches, latest);
    f.weakest = Weakest(f.kana);

    if (!record.practice.empty()) {
        f.practised = true;
        f.lastPractice = record.practice.back();
        const int64_t at = f.lastPractice.at;
        const auto before =
            Latest(matches, kKanaWindow, [at](const MatchRecord& m) { return m.at < at; });
        const auto since =
            Latest(matches, kKanaWindow, [at](const MatchRecord& m) { return m.at >= at; });
        f.beforeMatches = static_cast<int>(before.size());
        f.sinceMatches = static_cast<int>(since.size());
        const auto beforeKana = SumKana(matches, before), sinceKana = SumKana(matches, since);
        for (const std::u16string& kana : f.lastPractice.kana)
            f.practice.push_back({Find(beforeKana, kana), Find(sinceKana, kana)});
    }
    return f;
}

std::u16string DurationText(int64_t seconds) {
    const int64_t h = seconds / 3600, m = seconds / 60 % 60, s = seconds % 60;
    auto two = [](int64_t v) { return (v < 10 ? u"0" : u"") + Num(v); };
    return h > 0 ? Num(h) + u":" + two(m) + u":" + two(s) : Num(m) + u":" + two(s);
}

std::u16string LocalTimeText(int64_t at, int utcOffset) {
    // The offset recorded with the match, never this machine's time zone.
    using namespace std::chrono;
    const sys_seconds local{seconds{at + int64_t{utcOffset} * 60}};
    const sys_days day = floor<days>(local);
    const year_month_day date{day};
    const hh_mm_ss<seconds> time{local - day};
    char text[48];
    std::snprintf(text, sizeof text, "%04d-%02u-%02u %02d:%02d", static_cast<int>(date.year()),
                  static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                  static_cast<int>(time.hours().count()), static_cast<int>(time.minutes().count()));
    return FromUtf8(text);
}

}  // namespace kb
