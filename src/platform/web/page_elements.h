#pragma once
// The text of the page's input elements (web/shell.html), by element id.
#include <string>

namespace kb {

std::u16string PageInputText(const char* id);
void SetPageInputText(const char* id, const std::u16string& text);

}  // namespace kb
