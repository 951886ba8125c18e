#include "platform/web/web_address_window.h"

#include "platform/web/page_elements.h"
#include "platform/web/page_script.h"

namespace kb {

// The box is the page's element #address (web/shell.html); the page hands its Enter and Escape
// to kanaburst_address_key.
void WebAddressWindow::Show() {
    kb_address_show(1);
}

void WebAddressWindow::Hide() {
    kb_address_show(0);
}

bool WebAddressWindow::Visible() const {
    return kb_address_shown() != 0;
}

std::u16string WebAddressWindow::Text() const {
    return PageInputText("address");
}

void WebAddressWindow::SetText(const std::u16string& text) {
    SetPageInputText("address", text);
}

}  // namespace kb
