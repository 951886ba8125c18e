#pragma once
// What the record view shows, computed from plain records: the same code for every front end.
#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "record/match_record.h"

namespace kb {

inline constexpr std::size_t kChartMatches = 40;  // matches on the chart, the latest
inline constexpr std::size_t kKanaWindow = 50;    // matches the kana figures are taken over
inline constexpr std::size_t kWeakestKana = 10;   // weak kana shown, and practised
inline constexpr int kComSpeeds = 5;

// Misses over times a kana came up (a kana missed and never finished came up too), 0..1.
double MissRate(int typed, int missed);

// One kana over several matches.
struct KanaFigure {
    std::u16string kana;
    int typed = 0;
    int missed = 0;
    std::vector<std::pair<std::u16string, int>> instead;  // most first
    double Rate() const { return MissRate(typed, missed); }
};

// One match on the chart.
struct ChartPoint {
    int rate = 0;          // keys per second, hundredths
    int missPermille = 0;  // misses per thousand keys
    bool won = false;
    bool practice = false;
};

struct OpponentFigure {
    std::u16string label;  // "Com 3", "Player"
    int wins = 0, losses = 0, lost = 0;
};

struct BestFigure {
    bool any = false;
    int score = 0;
    int rate = 0;  // keys per second, hundredths, of that match
};

// A practised kana: how it went in the matches before the practice run and since.
struct PracticeFigure {
    KanaFigure before, since;
};

struct RecordFigures {
    int matches = 0, wins = 0, losses = 0, lost = 0;
    int64_t playSec = 0, keys = 0, misses = 0;
    std::vector<ChartPoint> chart;  // oldest first
    std::vector<OpponentFigure> opponents;
    // Best score by opponent (rows: computer speeds 1..5, then a player) and difficulty.
    std::array<std::array<BestFigure, 3>, kComSpeeds + 1> bests{};
    int kanaMatches = 0;              // matches the kana figures span
    std::vector<KanaFigure> kana;     // every kana typed in them, in the order of their text
    std::vector<KanaFigure> weakest;  // up to kWeakestKana, weakest first
    bool practised = false;
    PracticeRun lastPractice;
    int beforeMatches = 0, sinceMatches = 0;
    std::vector<PracticeFigure> practice;  // the last run's kana, in its order
};

// Everything the view shows, from the record's matches (oldest first) and practice runs.
RecordFigures ComputeFigures(const PlayerRecord& record);

// The matches whose kana the figures read (the latest kKanaWindow, and as many before the last
// practice run), as indices into record.matches in increasing order.
std::vector<std::size_t> KanaWindowMatches(const PlayerRecord& record);
// Empties the kana of every other match: a store need not load them.
void KeepKanaOfWindow(PlayerRecord& record);

// A time played as "4:09", or "1:05:09" from an hour on.
std::u16string DurationText(int64_t seconds);
// A match's local time as "2026-01-31 21:05".
std::u16string LocalTimeText(int64_t at, int utcOffset);

}  // namespace kb
