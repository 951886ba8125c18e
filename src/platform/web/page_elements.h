#pragma once
// The text of the page's input elements (web/shell.html), by element id.
#include <string>

namespace kb {

// What the element with this id holds.
std::u16string PageInputText(const char* id);
// Replaces what the element with this id holds.
void SetPageInputText(const char* id, const std::u16string& text);

}  // namespace kb
