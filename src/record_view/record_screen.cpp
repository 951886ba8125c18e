#include "record_view/record_screen.h"

#include "record/record_actions.h"
#include "record/record_store.h"
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
    Reload();
}

void RecordScreen::Reload() {
    RecordStore& store = *g_.sv.record;
    shownVersion_ = store.Version();
    view_.Show(store.Load(false));
    info_.where = FromUtf8(store.Where());
    info_.problem = FromUtf8(store.Problem());
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
    ImportRecord(*g_.sv.record, path, info_.status);
    Reload();
}

void RecordScreen::Wipe() {
    WipeRecord(*g_.sv.record, info_.status);
    Reload();
}

}  // namespace kb
