#include "platform/sdl/main_window.h"

#include <SDL.h>

#include <algorithm>
#include <cstring>

#include "platform/images.h"
#include "platform/sdl/keymap.h"

namespace kb {

Placement PlaceDisplay(int windowW, int windowH, int w, int h) {
    const int scale = std::max(1, std::min(windowW / w, windowH / h));
    return {scale, (windowW - w * scale) / 2, (windowH - h * scale) / 2};
}

WindowKeys::Route WindowKeys::Take(int32_t k, uint16_t mod, bool down, bool repeat) {
    if (k == SDLK_F11) return down && !repeat ? Route::kToggleFullScreen : Route::kWindow;
    if ((k == SDLK_LALT || k == SDLK_RALT) && !down && altTaken_) {
        altTaken_ = false;
        return Route::kWindow;
    }
    if (k != SDLK_RETURN) return Route::kGame;
    // A release goes where its press went, whatever the modifiers are by then.
    if (!down) {
        const bool was = enterTaken_;
        enterTaken_ = false;
        return was ? Route::kWindow : Route::kGame;
    }
    if (!repeat) enterTaken_ = (mod & KMOD_ALT) != 0;
    if (!enterTaken_) return Route::kGame;
    altTaken_ = true;
    return repeat ? Route::kWindow : Route::kToggleFullScreen;
}

MainWindow::~MainWindow() {
    if (window_) SDL_DestroyWindow(window_);
}

bool MainWindow::Create(const std::string& caption, int w, int h, std::string& error) {
    w_ = w;
    h_ = h;
    last_.assign(static_cast<size_t>(w) * h, 0);
    // Twice the Display's size where the screen has room for it.
    int scale = 2;
    SDL_Rect usable{};
    if (SDL_GetDisplayUsableBounds(0, &usable) == 0 && (usable.w < w * 2 || usable.h < h * 2))
        scale = 1;
    // Plain shared-memory updates: with no GPU, a GL framebuffer would be emulated in software.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    window_ = SDL_CreateWindow(caption.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                               w * scale, h * scale, SDL_WINDOW_RESIZABLE);
    if (!window_) {
        error = SDL_GetError();
        return false;
    }
    SDL_SetWindowMinimumSize(window_, w, h);
    // SDL starts with text input on; the game's own window takes keys, not text.
    UseTextInput(false);
    if (!SDL_GetWindowSurface(window_)) {
        error = SDL_GetError();
        return false;
    }
    return true;
}

uint32_t MainWindow::Id() const {
    return window_ ? SDL_GetWindowID(window_) : 0;
}

bool MainWindow::TakeKey(const SDL_KeyboardEvent& key) {
    const WindowKeys::Route r =
        keys_.Take(key.keysym.sym, key.keysym.mod, key.type == SDL_KEYDOWN, key.repeat != 0);
    if (r == WindowKeys::Route::kToggleFullScreen) ToggleFullScreen();
    return r != WindowKeys::Route::kGame;
}

// Desktop full screen keeps the screen's own mode; Redraw scales and centres as in a window.
void MainWindow::ToggleFullScreen() {
    if (!window_) return;
    const bool full = (SDL_GetWindowFlags(window_) & SDL_WINDOW_FULLSCREEN) != 0;
    SDL_SetWindowFullscreen(window_, full ? 0 : SDL_WINDOW_FULLSCREEN_DESKTOP);
    Redraw();
}

void MainWindow::Present(const PixelView& display) {
    if (display.W() != w_ || display.H() != h_) return;
    std::memcpy(last_.data(), display.Pixels(), last_.size() * sizeof(uint32_t));
    Redraw();
}

// Whole-multiple nearest-neighbour scaling straight into the window's own surface: no
// renderer, so no GPU emulation in software where there is no GPU.
void MainWindow::Redraw() {
    SDL_Surface* out = window_ ? SDL_GetWindowSurface(window_) : nullptr;
    if (!out || out->format->BytesPerPixel != 4) return;
    const Placement p = PlaceDisplay(out->w, out->h, w_, h_);
    SDL_LockSurface(out);
    auto* base = static_cast<uint8_t*>(out->pixels);
    const SDL_PixelFormat* f = out->format;
    const bool native = f->Rmask == 0xFF0000 && f->Gmask == 0xFF00 && f->Bmask == 0xFF;
    const size_t rowBytes = static_cast<size_t>(out->w) * 4;
    auto row = [&](int oy) {
        return reinterpret_cast<uint32_t*>(base + static_cast<size_t>(oy) * out->pitch);
    };
    for (int oy = 0; oy < std::min(out->h, std::max(0, p.y)); ++oy)
        std::memset(row(oy), 0, rowBytes);
    for (int sy = 0; sy < h_; ++sy) {
        const int top = p.y + sy * p.scale;
        if (top >= out->h) break;
        // Build one scaled row, then repeat it for the other rows of the same source row.
        uint32_t* first = nullptr;
        for (int k = 0; k < p.scale; ++k) {
            const int oy = top + k;
            if (oy < 0 || oy >= out->h) continue;
            if (first) {
                std::memcpy(row(oy), first, rowBytes);
                continue;
            }
            first = row(oy);
            std::memset(first, 0, rowBytes);
            const uint32_t* src = last_.data() + static_cast<size_t>(sy) * w_;
            for (int sx = 0; sx < w_; ++sx) {
                const uint32_t c = native ? src[sx]
                                          : SDL_MapRGB(f, (src[sx] >> 16) & 0xFF,
                                                       (src[sx] >> 8) & 0xFF, src[sx] & 0xFF);
                const int ox = p.x + sx * p.scale;
                for (int j = 0; j < p.scale; ++j)
                    if (ox + j >= 0 && ox + j < out->w) first[ox + j] = c;
            }
        }
    }
    for (int oy = std::max(0, p.y + h_ * p.scale); oy < out->h; ++oy)
        std::memset(row(oy), 0, rowBytes);
    SDL_UnlockSurface(out);
    SDL_UpdateWindowSurface(window_);
}

bool MainWindow::ToDisplay(int wx, int wy, int& dx, int& dy) const {
    SDL_Surface* out = window_ ? SDL_GetWindowSurface(window_) : nullptr;
    if (!out) return false;
    const Placement p = PlaceDisplay(out->w, out->h, w_, h_);
    const int px = wx - p.x, py = wy - p.y;
    if (px < 0 || py < 0) return false;
    dx = px / p.scale;
    dy = py / p.scale;
    return dx < w_ && dy < h_;
}

}  // namespace kb
