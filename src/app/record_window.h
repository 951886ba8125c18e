#pragma once
// The player's record in a window of its own beside the game's: F2 on the game's window opens
// it (on the title or after a match), and it shows the record anew whenever a match is kept.
// The game's window, its picture and its keys stay as they are; F2 never reaches the game.
#include <SDL.h>

#include <functional>
#include <optional>
#include <string>

#include "platform/sdl/main_window.h"
#include "record_view/record_screen.h"
#include "shell/game.h"

namespace kb {

class RecordWindow {
  public:
    RecordWindow(Game& g, const MainWindow& gameWindow) : g_(g), game_(gameWindow), screen_(g) {}

    // Takes the events that are the record's: F2 on the game's window, and everything of the
    // record's own window (keys, closing, a file dropped on it to import). True when taken.
    bool HandleEvent(const SDL_Event& ev);
    // Opens the window with the record, or brings it to the front.
    void Open();
    // After each pass of the loop: shows the record anew when it has changed.
    void Update();
    // The record's window, 0 while it is closed.
    uint32_t Id() const { return window_ ? window_->Id() : 0; }

    // Plays a chosen match's replay (its text) in the game's window, returning once the
    // watcher has left it.
    std::function<void(const std::string& replay)> watch;

  private:
    // Shows the record's picture in its window.
    void Present();
    // Closes the window; F2 opens it again.
    void Close();

    Game& g_;
    const MainWindow& game_;
    RecordScreen screen_;
    std::optional<MainWindow> window_;
    bool f2Held_ = false;  // F2 opened the window and is not released yet
};

// The folder E exports the record to and S saves a replay in: the home folder.
std::string HomeFolder();
// Where E in the record's window exports it: the home folder, under a name with the date.
std::string ExportFileName(const WallTime& now);

}  // namespace kb
