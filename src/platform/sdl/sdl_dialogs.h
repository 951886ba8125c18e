#pragma once
#include "platform/dialogs.h"

struct SDL_Window;

namespace kb {

// SDL's modal message box, parented to the main window when there is one; its title and text
// also go to standard error, and under a headless video driver only there.
class SdlDialogs : public Dialogs {
  public:
    // Boxes over parent (none: on their own), which may come later.
    explicit SdlDialogs(SDL_Window* parent = nullptr) : parent_(parent) {}
    void SetParent(SDL_Window* parent) { parent_ = parent; }
    void MessageBox(const std::u16string& title, const std::u16string& text, Icon icon) override;

  private:
    SDL_Window* parent_;
};

}  // namespace kb
