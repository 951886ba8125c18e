#include "platform/web/web_address_window.h"

#include <emscripten.h>

#include "platform/web/page_elements.h"

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
    return PageInputText("address");
}

void WebAddressWindow::SetText(const std::u16string& text) {
    SetPageInputText("address", text);
}

}  // namespace kb
