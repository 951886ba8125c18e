// The page of the matches: totals, speed and misses over the latest matches, wins and losses by
// opponent, the best score for each opponent and difficulty, and the latest matches.
#include <algorithm>
#include <cmath>

#include "record/figures.h"
#include "record_view/draw_kit.h"
#include "record_view/record_view.h"
#include "record_view/view_style.h"
#include "screens/result_figures.h"
#include "text/ustr.h"

namespace kb {

namespace {

using namespace view;

// The top of an axis of four steps: the least of 1, 2, 4, 6, 8, 10, 20, 40, ... that holds v
// and is at least `least`.
double NiceTop(double v, double least) {
    v = std::max(v, least);
    for (double unit = 1;; unit *= 10)
        for (double k : {1.0, 2.0, 4.0, 6.0, 8.0})
            if (unit * k >= v) return unit * k;
}

void Tile(Surface& d, int x, int w, std::u16string_view value, std::u16string_view label,
          uint32_t colour) {
    FillRect(d, x, 54, w, 50, kPanel);
    FrameRect(d, x, 54, w, 50, kPanelEdge);
    Text(d, x + w / 2, 60, 15, colour, value, Align::kCentre, true);
    Text(d, x + w / 2, 86, 8, kDim, label, Align::kCentre);
}

void DrawTotals(Surface& d, const RecordFigures& f) {
    int64_t rateSum = 0;
    for (const ChartPoint& p : f.chart) rateSum += p.rate;
    const int64_t meanRate = f.chart.empty() ? 0 : rateSum / static_cast<int64_t>(f.chart.size());
    const struct {
        std::u16string value;
        std::u16string_view label;
        uint32_t colour;
    } tiles[] = {
        {Num(f.matches), u"matches", kText},
        {Num(f.wins), u"won", kWin},
        {Num(f.losses + f.lost), u"lost", kLoss},
        {DurationText(f.playSec), u"time played", kText},
        {Num(f.keys), u"keys typed", kText},
        {HundredthsText(meanRate), u"keys/s, mean of the chart", kSpeed},
    };
    const int n = static_cast<int>(std::size(tiles)), gap = 8;
    const int w = (d.W() - 32 - gap * (n - 1)) / n;
    for (int i = 0; i < n; ++i)
        Tile(d, 16 + i * (w + gap), w, tiles[i].value, tiles[i].label, tiles[i].colour);
}

void DrawChart(Surface& d, const RecordFigures& f) {
    const int px = 16, py = 114, pw = 604, ph = 290;
    Panel(d, px, py, pw, ph, u"Speed and misses, the last " + Num(kChartMatches) + u" matches");
    const int left = px + 52, right = px + pw - 52, top = py + 40, bottom = py + ph - 44;
    if (f.chart.empty()) {
        Text(d, px + pw / 2, (top + bottom) / 2 - 8, 10, kDim,
             u"No matches yet: every match you finish is kept here.", Align::kCentre);
        return;
    }
    int maxRate = 0, maxMiss = 0;
    for (const ChartPoint& p : f.chart) {
        maxRate = std::max(maxRate, p.rate);
        maxMiss = std::max(maxMiss, p.missPermille);
    }
    const double rateTop = NiceTop(maxRate / 100.0, 1.0);
    const double missTop = NiceTop(maxMiss / 10.0, 4.0);
    constexpr int kDivisions = 4;
    for (int i = 0; i <= kDivisions; ++i) {
        const int y = bottom - (bottom - top) * i / kDivisions;
        FillRect(d, left, y, right - left, 1, i == 0 ? kFaint : kGrid);
        const double rate = rateTop * i / kDivisions, miss = missTop * i / kDivisions;
        Text(d, left - 6, y - 6, 8, kSpeed,
             HundredthsText(static_cast<long long>(std::lround(rate * 100))), Align::kRight);
        Text(d, right + 6, y - 6, 8, kMisses,
             HundredthsText(static_cast<long long>(std::lround(miss * 100))) + u"%");
    }
    const int n = static_cast<int>(f.chart.size());
    const double step = static_cast<double>(right - left) / n;
    auto xAt = [&](int i) { return left + step * (i + 0.5); };
    auto yRate = [&](int i) {
        return bottom - (bottom - top) * (f.chart[i].rate / 100.0) / rateTop;
    };
    auto yMiss = [&](int i) {
        return bottom - (bottom - top) * (f.chart[i].missPermille / 10.0) / missTop;
    };
    for (int i = 0; i < n; ++i) {
        // Won, lost, practised: a mark under each match.
        const ChartPoint& p = f.chart[i];
        const int w = std::max(3, static_cast<int>(step) - 4);
        FillRect(d, static_cast<int>(xAt(i)) - w / 2, bottom + 6, w, 6, p.won ? kWin : kLoss);
        if (p.practice) FillRect(d, static_cast<int>(xAt(i)) - w / 2, bottom + 14, w, 3, kPractice);
    }
    for (int i = 1; i < n; ++i) {
        DrawLine(d, xAt(i - 1), yMiss(i - 1), xAt(i), yMiss(i), kMisses);
        DrawLine(d, xAt(i - 1), yRate(i - 1), xAt(i), yRate(i), kSpeed);
    }
    for (int i = 0; i < n; ++i) {
        FillDisc(d, xAt(i), yMiss(i), 2.5, kMisses);
        FillDisc(d, xAt(i), yRate(i), 3.5, kSpeed);
    }
    // The legend, under the marks.
    int x = left;
    const int y = py + ph - 20;
    auto key = [&](uint32_t colour, std::u16string_view label) {
        FillRect(d, x, y + 4, 14, 4, colour);
        Text(d, x + 18, y, 8, kDim, label);
        x += 18 + TextWidthPx(d, 8, label) + 16;
    };
    key(kSpeed, u"keys/s (left)");
    key(kMisses, u"misses per 100 keys (right)");
    key(kWin, u"won");
    key(kLoss, u"lost");
    key(kPractice, u"practice list");
}

void DrawOpponents(Surface& d, const RecordFigures& f) {
    const int px = 636, py = 114, pw = 308, ph = 290;
    int y = Panel(d, px, py, pw, ph, u"Wins and losses") + 6;
    int most = 1;
    for (const OpponentFigure& o : f.opponents) most = std::max(most, o.wins + o.losses + o.lost);
    const int barLeft = px + 78, barWidth = pw - 78 - 72;
    for (const OpponentFigure& o : f.opponents) {
        const int total = o.wins + o.losses + o.lost;
        Text(d, px + 14, y + 8, 10, total ? kText : kFaint, o.label);
        FillRect(d, barLeft, y + 6, barWidth, 22, kEmptyCell);
        int x = barLeft;
        for (const auto& [n, colour] :
             {std::pair{o.wins, kWin}, std::pair{o.losses, kLoss}, std::pair{o.lost, kLost}}) {
            const int w = barWidth * n / most;
            FillRect(d, x, y + 6, w, 22, colour);
            if (w >= TextWidthPx(d, 8, Num(n)) + 6)
                Text(d, x + w / 2, y + 10, 8, Rgb(16, 20, 32), Num(n), Align::kCentre, true);
            x += w;
        }
        if (total)
            Text(d, px + pw - 12, y + 10, 8, kDim, Num(o.wins * 100 / total) + u"% won",
                 Align::kRight);
        y += 38;
    }
}

void DrawBests(Surface& d, const RecordFigures& f) {
    const int px = 16, py = 412, pw = 604, ph = 186;
    const int top = Panel(d, px, py, pw, ph, u"Best score for each opponent and difficulty");
    const int labelW = 86, colW = (pw - 24 - labelW) / 3, rowH = 21;
    static constexpr std::u16string_view kLevels[] = {u"Easy", u"Normal", u"Hard"};
    for (int c = 0; c < 3; ++c)
        Text(d, px + 12 + labelW + c * colW + colW / 2, top - 4, 8, kDim, kLevels[c],
             Align::kCentre);
    int best = -1;
    for (const auto& row : f.bests)
        for (const BestFigure& b : row)
            if (b.any) best = std::max(best, b.score);
    for (std::size_t r = 0; r < f.bests.size(); ++r) {
        const int y = top + 10 + static_cast<int>(r) * rowH;
        Text(d, px + 14, y + 3, 9, kDim, f.opponents[r].label);
        for (int c = 0; c < 3; ++c) {
            const BestFigure& b = f.bests[r][c];
            const int x = px + 12 + labelW + c * colW;
            FillRect(d, x + 2, y, colW - 4, rowH - 3, b.any ? kBack : kEmptyCell);
            if (!b.any) continue;
            const bool top1 = b.score == best;
            Text(d, x + colW / 2 - 4, y + 2, 10, top1 ? kGold : kText, Num(b.score) + u" pts",
                 Align::kRight, true);
            Text(d, x + colW / 2 + 4, y + 4, 8, kSpeed, HundredthsText(b.rate) + u" keys/s");
        }
    }
}

// The panel of the latest matches, and its rows.
constexpr int kLatestX = 636, kLatestY = 412, kLatestW = 308, kLatestH = 186;
constexpr int kRowsTop = kLatestY + 30, kRowH = 21;

void DrawLatest(Surface& d, const std::vector<MatchRecord>& latest, int chosen) {
    const int px = kLatestX, pw = kLatestW;
    Panel(d, px, kLatestY, pw, kLatestH, u"Latest matches");
    int y = kRowsTop;
    for (const MatchRecord& m : latest) {
        if (y - kRowsTop == chosen * kRowH) {
            FillRect(d, px + 6, y, pw - 12, kRowH - 1, kGrid);
            FrameRect(d, px + 6, y, pw - 12, kRowH - 1, kAccent);
        }
        const uint32_t colour = m.result == kResultWin    ? kWin
                                : m.result == kResultLost ? kLost
                                                          : kLoss;
        FillRect(d, px + 12, y + 3, 4, 14, colour);
        Text(d, px + 22, y + 2, 8, kDim, LocalTimeText(m.at, m.utcOffset).substr(5));
        Text(d, px + 106, y + 2, 8, kText, OpponentName(m) + (m.practice ? u" ·P" : u""));
        Text(d, px + pw - 12, y + 2, 8, colour,
             (m.result == kResultLost ? u"cut " : u"") + Num(m.score) + u" pts", Align::kRight);
        y += kRowH;
    }
}

}  // namespace

int LatestRowAt(int x, int y) {
    if (x < kLatestX || x >= kLatestX + kLatestW || y < kRowsTop) return -1;
    const int row = (y - kRowsTop) / kRowH;
    return kRowsTop + (row + 1) * kRowH <= kLatestY + kLatestH ? row : -1;
}

void DrawMatchesPage(Surface& d, const RecordFigures& f, const std::vector<MatchRecord>& latest,
                     int chosen) {
    DrawTotals(d, f);
    DrawChart(d, f);
    DrawOpponents(d, f);
    DrawBests(d, f);
    DrawLatest(d, latest, chosen);
}

}  // namespace kb
