#pragma once
// The address window in a browser page: a text box under the canvas (the page has one canvas
// for every window). Enter and Escape typed in it go to the game as the desktop's box sends them.
#include <string>

#include "platform/address_window.h"

namespace kb {

class WebAddressWindow : public AddressWindow {
  public:
    void Show() override;
    void Hide() override;
    bool Visible() const override;
    std::u16string Text() const override;
    void SetText(const std::u16string& text) override;
};

}  // namespace kb
