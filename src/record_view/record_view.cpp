#include "record_view/record_view.h"

#include <algorithm>

#include "record_view/draw_kit.h"
#include "record_view/view_style.h"
#include "text/ustr.h"

namespace kb {

namespace {

constexpr std::size_t kLatestShown = 7;
constexpr int kHeadHeight = 44;

void DrawHead(Surface& d, RecordPage page) {
    FillRect(d, 0, 0, d.W(), kHeadHeight, view::kPanel);
    FillRect(d, 0, kHeadHeight, d.W(), 2, view::kAccent);
    Text(d, 16, 9, 16, view::kText, u"Kana Burst", Align::kLeft, true);
    const int after = 16 + TextWidthPx(d, 16, u"Kana Burst", true) + 12;
    Text(d, after, 15, 11, view::kDim, u"あなたの記録 · your record");
    // The tabs, with the keys that choose them.
    const struct {
        RecordPage page;
        std::u16string_view label;
    } tabs[] = {{RecordPage::kMatches, u"1  Matches"}, {RecordPage::kKana, u"2  Kana"}};
    int right = d.W() - 16;
    for (auto it = std::rbegin(tabs); it != std::rend(tabs); ++it) {
        const int w = TextWidthPx(d, 11, it->label, true) + 28;
        const bool on = it->page == page;
        FillRect(d, right - w, 8, w, kHeadHeight - 8, on ? view::kBack : view::kPanel);
        if (on) FillRect(d, right - w, 8, w, 3, view::kAccent);
        Text(d, right - w / 2, 17, 11, on ? view::kText : view::kDim, it->label, Align::kCentre,
             true);
        right -= w + 6;
    }
}

void DrawFoot(Surface& d, const RecordViewInfo& info) {
    const int top = d.H() - 36;
    FillRect(d, 0, top, d.W(), 36, view::kPanel);
    std::u16string line = info.status;
    uint32_t colour = view::kText;
    if (!info.problem.empty()) {
        line = info.problem;
        colour = view::kProblem;
    } else if (line.empty()) {
        line = u"Kept on this machine only, in " + info.where;
        colour = view::kDim;
    }
    Text(d, 16, top + 4, 8, colour, line);
    const std::u16string_view keys =
        info.confirmingWipe
            ? u"Forget every match and practice run?   Y  yes, forget them     N  no, keep them"
            : u"1 2 / ← →  page    ↑ ↓ Enter  watch a match    S  save its replay    "
              u"P  practise    E  export    drop a file  import    W  wipe    Esc  close";
    Text(d, 16, top + 19, 8, info.confirmingWipe ? view::kGold : view::kDim, keys);
}

}  // namespace

namespace view {

int Panel(Surface& d, int x, int y, int w, int h, std::u16string_view caption) {
    FillRect(d, x, y, w, h, kPanel);
    FrameRect(d, x, y, w, h, kPanelEdge);
    Text(d, x + 12, y + 8, 10, kText, caption, Align::kLeft, true);
    return y + 30;
}

}  // namespace view

RecordView::RecordView(FontEngine* fonts) : surface_(kWidth, kHeight) {
    surface_.SetFonts(fonts);
    Show({});
}

void RecordView::Show(const PlayerRecord& record) {
    figures_ = ComputeFigures(record);
    latest_.clear();
    for (auto it = record.matches.rbegin();
         it != record.matches.rend() && latest_.size() < kLatestShown; ++it) {
        latest_.push_back(*it);
        latest_.back().kana.clear();
    }
}

const Surface& RecordView::Draw(RecordPage page, const RecordViewInfo& info) {
    Surface& d = surface_;
    FillRect(d, 0, 0, d.W(), d.H(), view::kBack);
    DrawHead(d, page);
    if (page == RecordPage::kMatches)
        DrawMatchesPage(d, figures_, latest_, info.chosen);
    else
        DrawKanaPage(d, figures_, info);
    DrawFoot(d, info);
    return d;
}

uint32_t RateColour(double rate) {
    constexpr uint32_t kGood = Rgb(40, 150, 96), kFair = Rgb(214, 186, 52), kBad = Rgb(214, 62, 62);
    if (rate <= 0.10) return Mix(kGood, kFair, rate / 0.10);
    return Mix(kFair, kBad, (rate - 0.10) / 0.15);
}

std::u16string OpponentName(const MatchRecord& m) {
    static constexpr std::u16string_view kLevels[] = {u"Easy", u"Normal", u"Hard"};
    const std::u16string level(kLevels[std::clamp(m.level, 0, 2)]);
    if (m.opponent == kOpponentCom) return u"Com " + Num(m.speed) + u" " + level;
    return u"Player " + level;
}

}  // namespace kb
