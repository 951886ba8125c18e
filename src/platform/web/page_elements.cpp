#include "platform/web/page_elements.h"

#include <emscripten.h>

#include "text/ustr.h"

namespace kb {

std::u16string PageInputText(const char* id) {
    const int length = EM_ASM_INT(
        { return lengthBytesUTF8(document.getElementById(UTF8ToString($0)).value); }, id);
    std::string text(static_cast<size_t>(length) + 1, '\0');
    EM_ASM({ stringToUTF8(document.getElementById(UTF8ToString($0)).value, $1, $2); }, id,
           text.data(), length + 1);
    text.resize(static_cast<size_t>(length));
    return FromUtf8(text);
}

void SetPageInputText(const char* id, const std::u16string& text) {
    EM_ASM({ document.getElementById(UTF8ToString($0)).value = UTF8ToString($1); }, id,
           ToUtf8(text).c_str());
}

}  // namespace kb
