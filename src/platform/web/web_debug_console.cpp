#include "platform/web/web_debug_console.h"

#include "platform/web/page_elements.h"
#include "platform/web/page_script.h"
#include "text/ustr.h"

namespace kb {

void WebDebugConsole::Unload() {
    HeadlessDebugConsole::Unload();
    kb_console_close();
}

void WebDebugConsole::Show() {
    HeadlessDebugConsole::Show();
    kb_console_show();
}

void WebDebugConsole::AppendLog(std::u16string_view entry) {
    HeadlessDebugConsole::AppendLog(entry);
    kb_console_append(ToUtf8(entry).c_str());
}

std::u16string WebDebugConsole::CommandText() const {
    return PageInputText("console-command");
}

void WebDebugConsole::SetCommandText(const std::u16string& text) {
    HeadlessDebugConsole::SetCommandText(text);
    SetPageInputText("console-command", text);
}

void WebDebugConsole::SetClipboardText(const std::u16string& text) {
    HeadlessDebugConsole::SetClipboardText(text);
    kb_clipboard_write(ToUtf8(text).c_str());
}

}  // namespace kb
