#include "platform/web/web_address_window.h"

#include <emscripten.h>

#include <string>

#include "shell/ustr.h"

namespace kb {

// The box is the page's element #address (web/shell.html); the page hands its Enter and Escape
// to kanaburst_address_key.
void WebAddressWindow::Show() {
    EM_ASM({
        const box = document.getElementById('address');
        box.hidden = false;
        box.focus();
    });
}

void WebAddressWindow::Hide() {
    EM_ASM({
        document.getElementById('address').hidden = true;
        document.getElementById('canvas').focus();
    });
}

bool WebAddressWindow::Visible() const {
    return EM_ASM_INT({ return document.getElementById('address').hidden ? 0 : 1; }) != 0;
}

std::u16string WebAddressWindow::Text() const {
    const int length =
        EM_ASM_INT({ return lengthBytesUTF8(document.getElementById('address').value); });
    std::string text(static_cast<size_t>(length) + 1, '\0');
    EM_ASM({ stringToUTF8(document.getElementById('address').value, $0, $1); }, text.data(),
           length + 1);
    text.resize(static_cast<size_t>(length));
    return FromUtf8(text);
}

void WebAddressWindow::SetText(const std::u16string& text) {
    EM_ASM({ document.getElementById('address').value = UTF8ToString($0); }, ToUtf8(text).c_str());
}

}  // namespace kb
