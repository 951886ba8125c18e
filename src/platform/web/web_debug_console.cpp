#include "platform/web/web_debug_console.h"

#include <emscripten.h>

#include <string>

#include "shell/ustr.h"

namespace kb {

void WebDebugConsole::Unload() {
    HeadlessDebugConsole::Unload();
    EM_ASM({
        document.getElementById('console').hidden = true;
        document.getElementById('console-log').textContent = '';
        document.getElementById('console-command').value = '';
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
    const int length =
        EM_ASM_INT({ return lengthBytesUTF8(document.getElementById('console-command').value); });
    std::string text(static_cast<size_t>(length) + 1, '\0');
    EM_ASM({ stringToUTF8(document.getElementById('console-command').value, $0, $1); }, text.data(),
           length + 1);
    text.resize(static_cast<size_t>(length));
    return FromUtf8(text);
}

void WebDebugConsole::SetCommandText(const std::u16string& text) {
    HeadlessDebugConsole::SetCommandText(text);
    EM_ASM({ document.getElementById('console-command').value = UTF8ToString($0); },
           ToUtf8(text).c_str());
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
