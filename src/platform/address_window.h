#pragma once
// The small window in which a client types the server's address: one text box.
#include <string>

namespace kb {

class AddressWindow {
  public:
    virtual ~AddressWindow() = default;
    // Shows the window with the keys in its box.
    virtual void Show() = 0;
    // Hides the window; the keys go back to the game.
    virtual void Hide() = 0;
    // True while the window is shown.
    virtual bool Visible() const = 0;
    // What the box holds.
    virtual std::u16string Text() const = 0;
    // Replaces what the box holds.
    virtual void SetText(const std::u16string& text) = 0;
};

// Holds the text and whether it is shown; the headless driver types into it.
class HeadlessAddressWindow : public AddressWindow {
  public:
    void Show() override { visible_ = true; }
    void Hide() override { visible_ = false; }
    bool Visible() const override { return visible_; }
    std::u16string Text() const override { return text_; }
    void SetText(const std::u16string& text) override { text_ = text; }

  private:
    bool visible_ = false;
    std::u16string text_;
};

}  // namespace kb
