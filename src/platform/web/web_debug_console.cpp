#include "platform/web/web_debug_console.h"

#include <emscripten.h>

#include "platform/web/page_elements.h"
#include "text/ustr.h"

namespace kb {

void WebDebugConsole::Unload() {
    HeadlessDebugConsole::Unload();
    EM_ASM({
        document.getElementById('console').hidden = true;
        document.getElementById('console-log').textContent = "";
        document.getElementById('console-command').value = "";
        document.getElementById('canvas').focus();
    });
}

void WebDebugConsole::Show() {
    HeadlessDebugConsole::Show();
    EM_ASM({ document.getElementById('console').hidden = false; });
}

void WebDebugConsole::AppendLog(std::u16string_view entry) {
    HeadlessDebugConsole::AppendLog(entry);
    // The page's log shows the newest line at the bottom, in view.
    EM_ASM(
        {
            const log = document.getElementById('console-log');
            log.textContent += UTF8ToString($0) + '\n';
            log.scrollTop = log.scrollHeight;
        },
        ToUtf8(entry).c_str());
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
    EM_ASM(
        {
            if (navigator.clipboard) navigator.clipboard.writeText(UTF8ToString($0));
        },
        ToUtf8(text).c_str());
}

}  // namespace kb
