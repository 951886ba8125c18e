#pragma once
// The record as the player meets it: opened beside the game, its two pages, its keys and what
// they do. The window, the headless driver and the page all go through here.
#include <cstdint>
#include <string>

#include "record_view/record_view.h"
#include "shell/game.h"
#include "typing/key_codes.h"

namespace kb {

// F2 opens and closes the record: a key the game's screens never act on, taken by the program
// before the game sees it.
inline constexpr int kRecordKey = kVkF1 + 1;

class RecordScreen {
  public:
    // What a key asks of the program that shows the record.
    enum class Request { kNone, kClose, kExport, kWatch, kSaveReplay };

    // The record of g's store, closed, drawing with g's typeface.
    explicit RecordScreen(Game& g);

    // Whether the record may open now: on the title or after a match, never during one or
    // while a connection is being made, where the record would take the keys from the game.
    static bool MayOpen(const Game& g);
    // Loads the record and draws its page.
    void Open();
    // Closes it; Update does nothing until it opens again.
    void Close() { open_ = false; }
    // Whether it is open.
    bool IsOpen() const { return open_; }

    // A key pressed while the record has the keyboard (a Windows key code): among them Up and
    // Down choose one of the latest matches, Enter asks to watch its replay, S to save it.
    Request KeyDown(int keyCode);
    // A click at (x, y) of the picture: on one of the latest matches, it is chosen and its
    // replay asked to be watched.
    Request Click(int x, int y);
    // Shows one of the two pages.
    void SetPage(RecordPage page);
    RecordPage Page() const { return page_; }
    // Reloads and redraws when the record changed since it was drawn; true when it did.
    bool Update();
    // The picture of the page shown.
    const Surface& Picture() const { return *picture_; }
    const RecordFigures& Figures() const { return view_.Figures(); }
    // The line at the foot: what the last action did.
    const std::u16string& Status() const { return info_.status; }

    // The player's actions; each says on the foot what it did.
    void TogglePractice();
    bool Export(const std::string& path);  // true when written
    void Import(const std::string& path);
    void Wipe();
    // The chosen match's replay as its text; empty when it has none.
    std::string ChosenReplay();
    // Saves the chosen match's replay in folder under its own name; returns the file written,
    // empty when none was.
    std::string SaveReplay(const std::string& folder);

  private:
    // Chooses the latest match at row (0 the newest) and says on the foot what it offers.
    void Choose(int row);
    // Asks to watch the chosen match's replay, or says that it has none.
    Request Watch();
    // How many of the latest matches are shown.
    int LatestCount() const;
    // Loads the record anew, then redraws.
    void Reload();
    // Draws the page shown with the record loaded last.
    void Redraw();

    Game& g_;
    RecordView view_;
    RecordPage page_ = RecordPage::kMatches;
    RecordViewInfo info_;
    uint64_t shownVersion_ = 0;
    bool open_ = false;
    const Surface* picture_ = nullptr;
};

}  // namespace kb
