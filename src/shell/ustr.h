#pragma once
// Game text is UTF-16, because the game counts characters in UTF-16 units.
#include <string>
#include <string_view>

namespace kb {

std::u16string FromUtf8(std::string_view utf8);
std::string ToUtf8(std::u16string_view text);

// Decimal text of a number, as the game prints counters.
std::u16string Num(long long value);

// Upper-cases ASCII letters only; kana and other text stay as they are.
std::u16string UpperAscii(std::u16string_view text);
std::u16string LowerAscii(std::u16string_view text);

}  // namespace kb
