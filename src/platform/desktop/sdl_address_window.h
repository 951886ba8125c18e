#pragma once
// The address window as a small SDL window of its own: one text box that takes typing,
// Backspace and pasting. Enter is left to the game, which the caller routes it to.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/address_window.h"

struct SDL_Window;
struct SDL_Renderer;
struct SDL_Texture;
union SDL_Event;

namespace kb {

class FontEngine;

class SdlAddressWindow : public AddressWindow {
  public:
    // Draws its text with fonts; no window exists before Create.
    explicit SdlAddressWindow(FontEngine& fonts) : fonts_(fonts) {}
    ~SdlAddressWindow() override;
    SdlAddressWindow(const SdlAddressWindow&) = delete;
    SdlAddressWindow& operator=(const SdlAddressWindow&) = delete;

    // Creates the window, hidden.
    bool Create(const std::string& caption, std::string& error);
    // The window's SDL id, 0 before Create.
    uint32_t Id() const;
    // Edits the text for an event of this window (text input, Backspace, Ctrl+V, closing);
    // text input is on while the window has the focus.
    void HandleEvent(const SDL_Event& ev);

    void Show() override;
    void Hide() override;
    bool Visible() const override { return visible_; }
    std::u16string Text() const override { return text_; }
    void SetText(const std::u16string& text) override;

  private:
    // Draws the box and its text into the window.
    void Redraw();

    FontEngine& fonts_;
    SDL_Window* window_ = nullptr;
    SDL_Renderer* renderer_ = nullptr;
    SDL_Texture* texture_ = nullptr;
    std::vector<uint32_t> pixels_;
    bool visible_ = false;
    bool focused_ = false;
    std::u16string text_;
};

}  // namespace kb
