#pragma once
// The game's window: shows the 480 x 320 drawing surface at the largest whole multiple that
// fits, nearest-neighbour, centred on black, and maps mouse positions back to its pixels.
#include <cstdint>
#include <string>
#include <vector>

struct SDL_Window;
struct SDL_KeyboardEvent;

namespace kb {

struct PixelView;

// F11 and Alt+Enter switch the window between windowed and desktop full screen. These keys
// belong to the window: their presses, repeats and releases never reach the game, and neither
// does the release of the Alt that made the chord (on the result screen any release counts).
class WindowKeys {
  public:
    enum class Route { kGame, kWindow, kToggleFullScreen };
    // Where a key event goes: to the game, or to the window (and whether it switches full screen).
    Route Take(int32_t sdlKeycode, uint16_t sdlMod, bool down, bool repeat);

  private:
    bool enterTaken_ = false;  // the press of Enter that is down went to the window
    bool altTaken_ = false;    // the next Alt release goes to the window
};

struct Placement {
    int scale, x, y;  // the Display drawn at (x, y), scale pixels per Display pixel
};
// Where a w x h picture goes in a window of the given client size.
Placement PlaceDisplay(int windowW, int windowH, int w, int h);

class MainWindow {
  public:
    // Closes the window.
    ~MainWindow();
    // Opens the window at twice w by h where that fits; false with the reason in error.
    bool Create(const std::string& caption, int w, int h, std::string& error);
    // Shows a finished frame, and keeps it for redraws.
    void Present(const PixelView& display);
    void Redraw();  // after a resize or expose, from the last frame
    // True when the key event is the window's own (see WindowKeys); the game must not see it.
    bool TakeKey(const SDL_KeyboardEvent& key);
    // Switches between windowed and desktop full screen.
    void ToggleFullScreen();
    // Display pixel under a window position; false when it is outside the Display.
    bool ToDisplay(int wx, int wy, int& dx, int& dy) const;
    // The SDL window (null before Create), and its id.
    SDL_Window* Handle() const { return window_; }
    uint32_t Id() const;

  private:
    SDL_Window* window_ = nullptr;
    WindowKeys keys_;
    std::vector<uint32_t> last_;  // the last frame shown, for redraws
    int w_ = 0, h_ = 0;
};

}  // namespace kb
