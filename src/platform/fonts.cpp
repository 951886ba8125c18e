#include "platform/fonts.h"

namespace kb {

void NullFontEngine::Measure(std::u16string_view text, int points, bool, int& w, int& h) {
    const int cell = (points * 96 + 36) / 72;  // pixel size at 96 dpi
    w = 0;
    for (char16_t c : text) w += c < 0x100 ? cell / 2 : cell;
    h = cell;
}

const TextRun& NullFontEngine::Render(std::u16string_view, int, bool) {
    return empty_;
}

}  // namespace kb
