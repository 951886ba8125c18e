#pragma once
// The debug log window: the log, a one-line command box and a COPY button. The object lives for
// the whole run; the window it stands for comes and goes: created hidden at its first use,
// shown by the opening gesture, and gone with its log when the user closes it.
#include <string>
#include <string_view>

#include "platform/console_log.h"

namespace kb {

class DebugConsole {
  public:
    virtual ~DebugConsole() = default;

    // Creates the window hidden with an empty log; nothing when it is there already.
    virtual void Load() = 0;
    // Whether the window exists, shown or not.
    virtual bool Loaded() const = 0;
    // The user closed it: the window, its log and its command box are gone.
    virtual void Unload() = 0;
    // Brings the window up; Visible says whether it is up.
    virtual void Show() = 0;
    virtual bool Visible() const = 0;

    // Adds an entry at the foot of the log, and the log as it stands.
    virtual void AppendLog(std::u16string_view entry) = 0;
    virtual const ConsoleLog& Log() const = 0;

    // What the command box holds, and replacing it.
    virtual std::u16string CommandText() const = 0;
    virtual void SetCommandText(const std::u16string& text) = 0;

    // Puts plain text on the system clipboard.
    virtual void SetClipboardText(const std::u16string& text) = 0;
};

// Holds everything in memory; its clipboard only remembers the last text put there. The
// headless driver and the tests use it, and so does any game given no window of its own.
class HeadlessDebugConsole : public DebugConsole {
  public:
    void Load() override { loaded_ = true; }
    bool Loaded() const override { return loaded_; }
    void Unload() override {
        loaded_ = visible_ = false;
        log_.Clear();
        command_.clear();
    }
    void Show() override { loaded_ = visible_ = true; }
    bool Visible() const override { return visible_; }

    void AppendLog(std::u16string_view entry) override { log_.Append(entry); }
    const ConsoleLog& Log() const override { return log_; }

    std::u16string CommandText() const override { return command_; }
    void SetCommandText(const std::u16string& text) override { command_ = text; }

    void SetClipboardText(const std::u16string& text) override { clipboard = text; }
    std::u16string clipboard;

  private:
    bool loaded_ = false, visible_ = false;
    ConsoleLog log_;
    std::u16string command_;
};

}  // namespace kb
