#include "record_view/record_screen.h"

#include <algorithm>
#include <filesystem>

#include "record/figures.h"
#include "record/record_actions.h"
#include "record/record_store.h"
#include "replay/replay_file.h"
#include "text/ustr.h"

namespace kb {

RecordScreen::RecordScreen(Game& g) : g_(g), view_(g.sv.fonts) {
    picture_ = &view_.Draw(page_, info_);
}

bool RecordScreen::MayOpen(const Game& g) {
    return g.s.SceneNo == kSceneOver || (g.s.SceneNo == kSceneTitle && g.s.GameMode == kModeNone);
}

void RecordScreen::Open() {
    open_ = true;
    info_.status.clear();
    info_.confirmingWipe = false;
    info_.chosen = 0;
    Reload();
}

void RecordScreen::Reload() {
    RecordStore& store = *g_.sv.record;
    shownVersion_ = store.Version();
    view_.Show(store.Load(false));
    info_.where = FromUtf8(store.Where());
    info_.problem = FromUtf8(store.Problem());
    info_.chosen = std::clamp(info_.chosen, 0, std::max(0, LatestCount() - 1));
    Redraw();
}

void RecordScreen::Redraw() {
    info_.practising = g_.keeping.practising;
    info_.practiceWords = static_cast<int>(g_.keeping.practiceWords.size());
    picture_ = &view_.Draw(page_, info_);
}

bool RecordScreen::Update() {
    if (!open_ || g_.sv.record->Version() == shownVersion_) return false;
    Reload();
    return true;
}

void RecordScreen::SetPage(RecordPage page) {
    page_ = page;
    Redraw();
}

RecordScreen::Request RecordScreen::KeyDown(int keyCode) {
    if (info_.confirmingWipe) {
        // Only Y forgets; any other key keeps the record.
        info_.confirmingWipe = false;
        if (keyCode == 'Y')
            Wipe();
        else
            Redraw();
        return Request::kNone;
    }
    switch (keyCode) {
        case kVkEscape:
        case kRecordKey:
            Close();
            return Request::kClose;
        case '1':
        case kVkNumpad0 + 1:
            SetPage(RecordPage::kMatches);
            break;
        case '2':
        case kVkNumpad0 + 2:
            SetPage(RecordPage::kKana);
            break;
        case kVkLeft:
        case kVkRight:
        case kVkTab:
            SetPage(page_ == RecordPage::kMatches ? RecordPage::kKana : RecordPage::kMatches);
            break;
        case 'P':
            TogglePractice();
            break;
        case kVkUp:
        case kVkDown:
            SetPage(RecordPage::kMatches);
            Choose(info_.chosen + (keyCode == kVkDown ? 1 : -1));
            break;
        case kVkReturn:
            return Watch();
        case 'S':
            if (!ChosenReplay().empty()) return Request::kSaveReplay;
            Choose(info_.chosen);
            break;
        case 'E':
            return Request::kExport;
        case 'W':
            info_.confirmingWipe = true;
            Redraw();
            break;
        default:
            break;
    }
    return Request::kNone;
}

RecordScreen::Request RecordScreen::Click(int x, int y) {
    const int row = page_ == RecordPage::kMatches ? LatestRowAt(x, y) : -1;
    if (row < 0 || row >= LatestCount()) return Request::kNone;
    Choose(row);
    return Watch();
}

int RecordScreen::LatestCount() const {
    return static_cast<int>(view_.Latest().size());
}

void RecordScreen::Choose(int row) {
    if (LatestCount() == 0) return;
    info_.chosen = std::clamp(row, 0, LatestCount() - 1);
    const MatchRecord& m = view_.Latest()[static_cast<size_t>(info_.chosen)];
    const std::u16string match = LocalTimeText(m.at, m.utcOffset) + u", " + OpponentName(m);
    info_.status = ChosenReplay().empty()
                       ? match + u": this match has no replay (the newest " +
                             Num(static_cast<long long>(kReplaysKept)) + u" matches keep one)."
                       : match + u": Enter watches its replay, S saves it.";
    Redraw();
}

RecordScreen::Request RecordScreen::Watch() {
    if (!ChosenReplay().empty()) return Request::kWatch;
    Choose(info_.chosen);
    return Request::kNone;
}

std::string RecordScreen::ChosenReplay() {
    const auto& latest = view_.Latest();
    if (info_.chosen < 0 || info_.chosen >= LatestCount()) return {};
    return g_.sv.record->ReplayOf(latest[static_cast<size_t>(info_.chosen)].id);
}

std::string RecordScreen::SaveReplay(const std::string& folder) {
    const std::string text = ChosenReplay();
    if (text.empty()) return {};
    const MatchRecord& m = view_.Latest()[static_cast<size_t>(info_.chosen)];
    const std::string path = (std::filesystem::path(folder) / ReplayFileName(m)).string();
    const bool saved = SaveReplayFile(text, path, info_.status);
    Redraw();
    return saved ? path : std::string();
}

void RecordScreen::TogglePractice() {
    if (g_.keeping.practising)
        StopPractice(g_, info_.status);
    else if (StartPractice(g_, info_.status))
        page_ = RecordPage::kKana;
    Reload();
}

bool RecordScreen::Export(const std::string& path) {
    const bool written =
        ExportRecord(*g_.sv.record, g_.sv.clock->Now().unixSeconds, path, info_.status);
    Redraw();
    return written;
}

void RecordScreen::Import(const std::string& path) {
    ImportRecord(*g_.sv.record, path, ReplayPlays, info_.status);
    Reload();
}

void RecordScreen::Wipe() {
    WipeRecord(*g_.sv.record, info_.status);
    Reload();
}

}  // namespace kb
