// The page of the kana: the fifty-sound table with the voiced, combined and small kana, each
// cell coloured by its miss rate over the latest matches with its counts; the ten weakest kana
// with what is typed instead; and practice, before and since.
#include <algorithm>
#include <cmath>
#include <set>

#include "record/figures.h"
#include "record_view/draw_kit.h"
#include "record_view/record_view.h"
#include "record_view/view_style.h"
#include "text/ustr.h"

namespace kb {

namespace {

using namespace view;

constexpr int kGridLeft = 28, kGridTop = 86;
constexpr int kCellW = 32, kCellH = 38, kPitchX = 34, kPitchY = 40;
constexpr int kVoicedLeft = kGridLeft + 11 * kPitchX + 8;

// Columns of the table from left to right, each read down a, i, u, e, o; "　" is no kana.
constexpr std::u16string_view kPlain[] = {
    u"あいうえお", u"かきくけこ", u"さしすせそ", u"たちつてと", u"なにぬねの", u"はひふへほ",
    u"まみむめも", u"や　ゆ　よ", u"らりるれろ", u"わ　　　を", u"ん　　　　"};
constexpr std::u16string_view kVoiced[] = {u"がぎぐげご", u"ざじずぜぞ", u"だぢづでど",
                                           u"ばびぶべぼ", u"ぱぴぷぺぽ"};
// The combined kana sit under the column of their first kana.
constexpr std::u16string_view kCombinedPlain = u"　きしちにひみ　り　　";
constexpr std::u16string_view kCombinedVoiced = u"ぎじぢびぴ";
constexpr std::u16string_view kJoined = u"ゃゅょ";
constexpr std::u16string_view kSmall = u"っぁぃぅぇぉゃゅょゎヴー";

struct Cell {
    std::u16string kana;
    int x, y;
};

std::vector<Cell> TableCells() {
    std::vector<Cell> cells;
    auto column = [&](std::u16string_view kana, int x) {
        for (int r = 0; r < 5; ++r)
            if (kana[r] != u'　')
                cells.push_back({std::u16string(1, kana[r]), x, kGridTop + r * kPitchY});
    };
    for (int c = 0; c < 11; ++c) column(kPlain[c], kGridLeft + c * kPitchX);
    for (int c = 0; c < 5; ++c) column(kVoiced[c], kVoicedLeft + c * kPitchX);
    const int joinedTop = kGridTop + 5 * kPitchY + 12;
    for (int r = 0; r < 3; ++r) {
        const int y = joinedTop + r * kPitchY;
        for (int c = 0; c < static_cast<int>(kCombinedPlain.size()); ++c)
            if (kCombinedPlain[c] != u'　')
                cells.push_back(
                    {std::u16string{kCombinedPlain[c], kJoined[r]}, kGridLeft + c * kPitchX, y});
        for (int c = 0; c < static_cast<int>(kCombinedVoiced.size()); ++c)
            cells.push_back(
                {std::u16string{kCombinedVoiced[c], kJoined[r]}, kVoicedLeft + c * kPitchX, y});
    }
    const int smallTop = joinedTop + 3 * kPitchY + 12;
    for (int c = 0; c < static_cast<int>(kSmall.size()); ++c)
        cells.push_back({std::u16string(1, kSmall[c]), kGridLeft + c * kPitchX, smallTop});
    return cells;
}

const KanaFigure* FindKana(const std::vector<KanaFigure>& kana, std::u16string_view which) {
    for (const KanaFigure& f : kana)
        if (f.kana == which) return &f;
    return nullptr;
}

void DrawCell(Surface& d, const Cell& c, const KanaFigure* f) {
    const bool seen = f && (f->typed > 0 || f->missed > 0);
    FillRect(d, c.x, c.y, kCellW, kCellH, seen ? RateColour(f->Rate()) : kEmptyCell);
    const int points = c.kana.size() > 1 ? 9 : 12;
    Text(d, c.x + kCellW / 2, c.y + (c.kana.size() > 1 ? 5 : 2), points, seen ? kText : kFaint,
         c.kana, Align::kCentre, seen);
    if (seen)
        Text(d, c.x + kCellW / 2, c.y + kCellH - 12, 7, kText,
             Num(f->missed) + u"/" + Num(f->typed), Align::kCentre);
}

void DrawTable(Surface& d, const RecordFigures& f) {
    Panel(d, 16, 54, 590, 544,
          u"Miss rate by kana, the last " + Num(kKanaWindow) + u" matches (" + Num(f.kanaMatches) +
              u" so far)");
    const std::vector<Cell> cells = TableCells();
    std::set<std::u16string> inTable;
    for (const Cell& c : cells) {
        DrawCell(d, c, FindKana(f.kana, c.kana));
        inTable.insert(c.kana);
    }
    // Kana the table has no place for (しぇ, てぃ, ０, ...): the most typed, in a row of their own.
    std::vector<const KanaFigure*> others;
    for (const KanaFigure& k : f.kana)
        if (!inTable.count(k.kana)) others.push_back(&k);
    std::stable_sort(others.begin(), others.end(),
                     [](const KanaFigure* a, const KanaFigure* b) { return a->typed > b->typed; });
    const int othersTop = cells.back().y + kPitchY + 6;
    Text(d, kGridLeft, othersTop, 8, kDim, u"others");
    for (std::size_t i = 0; i < others.size() && i < 15; ++i)
        DrawCell(d, {others[i]->kana, kGridLeft + 40 + static_cast<int>(i) * kPitchX, othersTop},
                 others[i]);

    // The scale.
    const int y = 560, left = kGridLeft + 60, width = 200;
    Text(d, kGridLeft, y, 8, kDim, u"misses");
    for (int x = 0; x < width; ++x)
        FillRect(d, left + x, y + 2, 1, 10, RateColour(0.30 * x / (width - 1)));
    Text(d, left, y + 14, 7, kDim, u"0%");
    Text(d, left + width / 3, y + 14, 7, kDim, u"10%", Align::kCentre);
    Text(d, left + width, y + 14, 7, kDim, u"30%+", Align::kRight);
    FillRect(d, left + width + 20, y + 2, 16, 10, kEmptyCell);
    Text(d, left + width + 42, y, 8, kDim, u"not typed");
    Text(d, left + width + 42, y + 14, 8, kDim, u"in a cell: missed / typed");
}

// "KI ×3  KO ×2": what is typed instead, the most frequent first.
std::u16string InsteadText(const KanaFigure& f) {
    std::u16string out;
    for (const auto& [typed, n] : f.instead) {
        std::u16string keys = typed;
        while (!keys.empty() && keys.back() == u' ') keys.pop_back();
        out += (out.empty() ? u"" : u"  ") + keys + u" ×" + Num(n);
    }
    return out;
}

std::u16string Percent(double rate) {
    return Num(std::lround(rate * 100)) + u"%";
}

void Chip(Surface& d, int x, int y, int w, int h, const KanaFigure& f, int points) {
    FillRect(d, x, y, w, h, RateColour(f.Rate()));
    Text(d, x + w / 2, y + (h - points * 4 / 3) / 2, points, kText, f.kana, Align::kCentre, true);
}

void DrawWeakest(Surface& d, const RecordFigures& f) {
    const int px = 620, pw = 324;
    int y = Panel(d, px, 54, pw, 330, u"Your ten weakest kana") - 2;
    if (f.weakest.empty()) {
        Text(d, px + 14, y + 6, 9, kDim, u"No misses yet in the latest matches.");
        return;
    }
    Text(d, px + 82, y - 2, 7, kDim, u"rate");
    Text(d, px + 124, y - 2, 7, kDim, u"missed/typed");
    Text(d, px + 190, y - 2, 7, kDim, u"typed instead");
    y += 10;
    for (std::size_t i = 0; i < f.weakest.size(); ++i, y += 29) {
        const KanaFigure& k = f.weakest[i];
        Text(d, px + 22, y + 6, 8, kDim, Num(static_cast<long long>(i) + 1), Align::kRight);
        Chip(d, px + 30, y, 44, 25, k, k.kana.size() > 1 ? 11 : 13);
        Text(d, px + 82, y + 5, 10, kText, Percent(k.Rate()), Align::kLeft, true);
        Text(d, px + 124, y + 7, 8, kDim, Num(k.missed) + u"/" + Num(k.typed));
        Text(d, px + 190, y + 7, 8, kMisses, InsteadText(k));
    }
}

void DrawPractice(Surface& d, const RecordFigures& f, const RecordViewInfo& info) {
    const int px = 620, pw = 324;
    int y = Panel(d, px, 392, pw, 206, u"Practice");
    const int width = pw - 28;
    if (info.practising) {
        y = TextWrapped(d, px + 14, y, width, 9, kPractice,
                        u"On: your matches are played on " + Num(info.practiceWords) +
                            u" words rich in your weakest kana. P brings the whole list back.",
                        14);
    } else {
        y = TextWrapped(d, px + 14, y, width, 9, kText,
                        u"Press P to practise your ten weakest kana: the words at hand richest "
                        u"in them are played in your next matches.",
                        14);
    }
    y += 6;
    if (!f.practised) {
        TextWrapped(d, px + 14, y, width, 8, kDim,
                    u"Once you have practised, each kana's miss rate before and since shows here.",
                    13);
        return;
    }
    Text(d, px + 14, y, 8, kDim,
         u"Practice list made " + LocalTimeText(f.lastPractice.at, f.lastPractice.utcOffset));
    y += 15;
    const int barLeft = px + 62, barMax = 88, sinceLeft = barLeft + barMax + 40;
    auto matches = [](int n) { return Num(n) + (n == 1 ? u" match" : u" matches"); };
    Text(d, barLeft, y, 7, kDim, u"before: " + matches(f.beforeMatches));
    Text(d, sinceLeft, y, 7, kDim, u"since: " + matches(f.sinceMatches));
    y += 13;
    const int bottom = 392 + 206 - 4;
    for (std::size_t i = 0; i < f.practice.size() && y + 18 <= bottom; ++i, y += 19) {
        const PracticeFigure& p = f.practice[i];
        Chip(d, px + 14, y, 40, 17, p.since.typed ? p.since : p.before, 9);
        const struct {
            const KanaFigure& k;
            int x;
        } sides[] = {{p.before, barLeft}, {p.since, sinceLeft}};
        for (const auto& side : sides) {
            const bool seen = side.k.typed > 0 || side.k.missed > 0;
            FillRect(d, side.x, y + 3, barMax, 11, kEmptyCell);
            // The bar is full at a miss rate of one in two.
            if (seen)
                FillRect(d, side.x, y + 3,
                         std::max(2, static_cast<int>(barMax * std::min(1.0, side.k.Rate() / 0.5))),
                         11, RateColour(side.k.Rate()));
            Text(d, side.x + barMax + 4, y + 2, 8, seen ? kText : kFaint,
                 seen ? Percent(side.k.Rate()) : u"–");
        }
    }
}

}  // namespace

void DrawKanaPage(Surface& d, const RecordFigures& f, const RecordViewInfo& info) {
    DrawTable(d, f);
    DrawWeakest(d, f);
    DrawPractice(d, f, info);
}

}  // namespace kb
