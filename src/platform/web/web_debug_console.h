#pragma once
// The debug console in a browser page: the log, the command box and COPY as page elements under
// the canvas (web/shell.html), kept in memory as the headless console keeps them. Enter in the
// box, COPY and the close button go to the game through the page's exported functions.
#include "platform/debug_console.h"

namespace kb {

class WebDebugConsole : public HeadlessDebugConsole {
  public:
    void Unload() override;
    void Show() override;
    void AppendLog(std::u16string_view entry) override;
    std::u16string CommandText() const override;
    void SetCommandText(const std::u16string& text) override;
    void SetClipboardText(const std::u16string& text) override;
};

}  // namespace kb
