#include "platform/web/page_elements.h"

#include <cstdlib>

#include "platform/web/page_script.h"
#include "text/ustr.h"

namespace kb {

std::u16string PageInputText(const char* id) {
    char* text = kb_input_text(id);
    std::u16string value = FromUtf8(text);
    std::free(text);
    return value;
}

void SetPageInputText(const char* id, const std::u16string& text) {
    kb_set_input_text(id, ToUtf8(text).c_str());
}

}  // namespace kb
