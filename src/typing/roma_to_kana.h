#pragma once

#include <string>
#include <string_view>

namespace kb {

// Converts the whole typing buffer to one kana unit: a kana, a kana with a
// small kana ("きゃ"), either of them led by the small "っ" of a doubled first
// letter, or one of the marks and full-width digits. Returns "" when the
// buffer is not (or not yet) such a unit; a prefix is never converted on its
// own. Letter case is ignored.
std::u16string RomaToKana(std::u16string_view buffer);

}  // namespace kb
