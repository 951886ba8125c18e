#include "platform/sdl/main_window.h"

#include <SDL.h>

#include <algorithm>

#include "platform/surface.h"

namespace kb {

Placement PlaceDisplay(int windowW, int windowH, int w, int h) {
    const int scale = std::max(1, std::min(windowW / w, windowH / h));
    return {scale, (windowW - w * scale) / 2, (windowH - h * scale) / 2};
}

MainWindow::~MainWindow() {
    if (texture_) SDL_DestroyTexture(texture_);
    if (renderer_) SDL_DestroyRenderer(renderer_);
    if (window_) SDL_DestroyWindow(window_);
}

bool MainWindow::Create(const std::string& caption, int w, int h, std::string& error) {
    w_ = w;
    h_ = h;
    // Twice the Display's size where the screen has room for it.
    int scale = 2;
    SDL_Rect usable{};
    if (SDL_GetDisplayUsableBounds(0, &usable) == 0 && (usable.w < w * 2 || usable.h < h * 2))
        scale = 1;
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
    window_ = SDL_CreateWindow(caption.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                               w * scale, h * scale, SDL_WINDOW_RESIZABLE);
    if (!window_) {
        error = SDL_GetError();
        return false;
    }
    SDL_SetWindowMinimumSize(window_, w, h);
    renderer_ = SDL_CreateRenderer(window_, -1, 0);
    if (!renderer_) renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_SOFTWARE);
    if (!renderer_) {
        error = SDL_GetError();
        return false;
    }
    texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING,
                                 w, h);
    if (!texture_) {
        error = SDL_GetError();
        return false;
    }
    SDL_SetTextureBlendMode(texture_, SDL_BLENDMODE_NONE);
    return true;
}

uint32_t MainWindow::Id() const { return window_ ? SDL_GetWindowID(window_) : 0; }

void MainWindow::Present(const Surface& display) {
    if (!texture_ || display.W() != w_ || display.H() != h_) return;
    // The top byte of our pixels is always 0; with blending off the texture ignores it.
    SDL_UpdateTexture(texture_, nullptr, display.Pixels(), w_ * static_cast<int>(sizeof(uint32_t)));
    Redraw();
}

void MainWindow::Redraw() {
    if (!renderer_) return;
    int ow = 0, oh = 0;
    SDL_GetRendererOutputSize(renderer_, &ow, &oh);
    const Placement p = PlaceDisplay(ow, oh, w_, h_);
    SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
    SDL_RenderClear(renderer_);
    const SDL_Rect dst{p.x, p.y, w_ * p.scale, h_ * p.scale};
    SDL_RenderCopy(renderer_, texture_, nullptr, &dst);
    SDL_RenderPresent(renderer_);
}

bool MainWindow::ToDisplay(int wx, int wy, int& dx, int& dy) const {
    int ww = 0, wh = 0, ow = 0, oh = 0;
    SDL_GetWindowSize(window_, &ww, &wh);
    SDL_GetRendererOutputSize(renderer_, &ow, &oh);
    // Window coordinates may differ from renderer pixels on high-density screens.
    const double fx = ww > 0 ? static_cast<double>(ow) / ww : 1.0;
    const double fy = wh > 0 ? static_cast<double>(oh) / wh : 1.0;
    const Placement p = PlaceDisplay(ow, oh, w_, h_);
    const int px = static_cast<int>(wx * fx) - p.x, py = static_cast<int>(wy * fy) - p.y;
    if (px < 0 || py < 0) return false;
    dx = px / p.scale;
    dy = py / p.scale;
    return dx < w_ && dy < h_;
}

}  // namespace kb
