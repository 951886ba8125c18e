#pragma once
// The game's window: shows the 480 x 320 drawing surface at the largest whole multiple that
// fits, nearest-neighbour, centred on black, and maps mouse positions back to its pixels.
#include <cstdint>
#include <string>
#include <vector>

struct SDL_Window;

namespace kb {

class Surface;

struct Placement {
    int scale, x, y;  // the Display drawn at (x, y), scale pixels per Display pixel
};
// Where a w x h picture goes in a window of the given client size.
Placement PlaceDisplay(int windowW, int windowH, int w, int h);

class MainWindow {
public:
    ~MainWindow();
    bool Create(const std::string& caption, int w, int h, std::string& error);
    void Present(const Surface& display);
    void Redraw();  // after a resize or expose, from the last frame
    // Display pixel under a window position; false when it is outside the Display.
    bool ToDisplay(int wx, int wy, int& dx, int& dy) const;
    SDL_Window* Handle() const { return window_; }
    uint32_t Id() const;

private:
    SDL_Window* window_ = nullptr;
    std::vector<uint32_t> last_;  // the last frame shown, for redraws
    int w_ = 0, h_ = 0;
};

}  // namespace kb
