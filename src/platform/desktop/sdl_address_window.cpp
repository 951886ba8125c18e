#include "platform/desktop/sdl_address_window.h"

#include <SDL.h>

#include <algorithm>

#include "platform/fonts.h"
#include "platform/sdl/keymap.h"
#include "text/ustr.h"

namespace kb {

namespace {

constexpr int kW = 300, kH = 40;                              // client area
constexpr int kBoxX = 8, kBoxY = 8, kBoxW = 284, kBoxH = 24;  // the text box
constexpr int kTextPoints = 12;
constexpr uint32_t kFace = 0xF0F0F0, kWhite = 0xFFFFFF, kBorder = 0x7A7A7A;

}  // namespace

SdlAddressWindow::~SdlAddressWindow() {
    if (texture_) SDL_DestroyTexture(texture_);
    if (renderer_) SDL_DestroyRenderer(renderer_);
    if (window_) SDL_DestroyWindow(window_);
}

bool SdlAddressWindow::Create(const std::string& caption, std::string& error) {
    window_ = SDL_CreateWindow(caption.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, kW,
                               kH, SDL_WINDOW_HIDDEN);
    // A small text box needs no GPU; without one, a GL renderer would load a software GL
    // stack into the game (about 70 MB and 130 ms of start-up).
    if (window_) renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_SOFTWARE);
    if (renderer_)
        texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_ARGB8888,
                                     SDL_TEXTUREACCESS_STREAMING, kW, kH);
    if (!texture_) {
        error = SDL_GetError();
        return false;
    }
    pixels_.assign(kW * kH, kFace);
    return true;
}

uint32_t SdlAddressWindow::Id() const {
    return window_ ? SDL_GetWindowID(window_) : 0;
}

void SdlAddressWindow::Show() {
    visible_ = true;
    if (!window_) return;
    SDL_ShowWindow(window_);
    SDL_RaiseWindow(window_);  // its focus event turns text input on
    Redraw();
}

void SdlAddressWindow::Hide() {
    visible_ = false;
    if (focused_) UseTextInput(false);
    focused_ = false;
    if (window_) SDL_HideWindow(window_);
}

void SdlAddressWindow::SetText(const std::u16string& text) {
    text_ = text;
    Redraw();
}

void SdlAddressWindow::HandleEvent(const SDL_Event& ev) {
    switch (ev.type) {
        case SDL_TEXTINPUT:
            SetText(text_ + FromUtf8(ev.text.text));
            break;
        case SDL_KEYDOWN:
            if (ev.key.keysym.sym == SDLK_BACKSPACE && !text_.empty()) {
                std::u16string t = text_;
                t.pop_back();
                if (!t.empty() && t.back() >= 0xD800 && t.back() < 0xDC00) t.pop_back();
                SetText(t);
            } else if (ev.key.keysym.sym == SDLK_v && (ev.key.keysym.mod & KMOD_CTRL)) {
                if (char* clip = SDL_GetClipboardText()) {
                    std::u16string pasted = FromUtf8(clip);
                    SDL_free(clip);
                    std::erase_if(pasted, [](char16_t c) { return c == u'\r' || c == u'\n'; });
                    SetText(text_ + pasted);
                }
            }
            break;
        case SDL_WINDOWEVENT:
            if (ev.window.event == SDL_WINDOWEVENT_CLOSE) Hide();
            if (ev.window.event == SDL_WINDOWEVENT_EXPOSED) Redraw();
            if (ev.window.event == SDL_WINDOWEVENT_FOCUS_GAINED ||
                ev.window.event == SDL_WINDOWEVENT_FOCUS_LOST) {
                focused_ = ev.window.event == SDL_WINDOWEVENT_FOCUS_GAINED;
                UseTextInput(focused_);
            }
            break;
        default:
            break;
    }
}

void SdlAddressWindow::Redraw() {
    if (!texture_ || !visible_) return;
    std::fill(pixels_.begin(), pixels_.end(), kFace);
    for (int y = kBoxY; y < kBoxY + kBoxH; ++y) {
        for (int x = kBoxX; x < kBoxX + kBoxW; ++x) {
            const bool edge =
                y == kBoxY || y == kBoxY + kBoxH - 1 || x == kBoxX || x == kBoxX + kBoxW - 1;
            pixels_[y * kW + x] = edge ? kBorder : kWhite;
        }
    }
    // Black text on white; when it is wider than the box its end stays in view.
    const TextRun& run = fonts_.Render(text_, kTextPoints, false);
    const int inner = kBoxW - 8;
    const int left = kBoxX + 4 - std::max(0, run.w - inner);
    const int top = kBoxY + (kBoxH - run.h) / 2;
    for (int y = 0; y < run.h; ++y) {
        for (int x = 0; x < run.w; ++x) {
            const int px = left + x, py = top + y;
            if (px <= kBoxX || px >= kBoxX + kBoxW - 1 || py <= kBoxY || py >= kBoxY + kBoxH - 1)
                continue;
            const uint32_t level = 255 - run.coverage[y * run.w + x];
            pixels_[py * kW + px] = (level << 16) | (level << 8) | level;
        }
    }
    const int caret = std::min(left + run.w + 1, kBoxX + kBoxW - 3);
    for (int y = kBoxY + 4; y < kBoxY + kBoxH - 4; ++y) pixels_[y * kW + caret] = 0;
    SDL_UpdateTexture(texture_, nullptr, pixels_.data(), kW * static_cast<int>(sizeof(uint32_t)));
    SDL_RenderClear(renderer_);
    SDL_RenderCopy(renderer_, texture_, nullptr, nullptr);
    SDL_RenderPresent(renderer_);
}

}  // namespace kb
