#pragma once
#include <string>

namespace kb {

// Modal message boxes with one OK button; the call returns when the box is closed.
class Dialogs {
  public:
    enum class Icon { kNone, kWarning };
    virtual ~Dialogs() = default;
    // Shows text in a box titled title and returns once the player has closed it.
    virtual void MessageBox(const std::u16string& title, const std::u16string& text,
                            Icon icon = Icon::kNone) = 0;
};

class NullDialogs : public Dialogs {
  public:
    void MessageBox(const std::u16string&, const std::u16string&, Icon) override {}
};

}  // namespace kb
