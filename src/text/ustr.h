#pragma once
// Game text is UTF-16, because the game counts characters in UTF-16 units.
#include <string>
#include <string_view>

namespace kb {

// Bytes that are no UTF-8 become U+FFFD, one for each byte.
std::u16string FromUtf8(std::string_view utf8);
std::string ToUtf8(std::u16string_view text);

// Code page 932 (Shift-JIS as Windows has it): the text of the word list and of the network.
// As Windows converts it, bytes that are no character become kCp932Unknown and reading goes on
// behind them: a lead byte with a trail byte that names nothing is one such character, any
// other bad byte is one on its own, so the ASCII digits behind a bad byte are never lost.
inline constexpr char16_t kCp932Unknown = u'\u30FB';  // ・
std::u16string FromCp932(std::string_view bytes);
// A character that code page 932 cannot write becomes "?".
std::string ToCp932(std::u16string_view text);

// Decimal text of a number, as the game prints counters.
std::u16string Num(long long value);

// Upper-cases ASCII letters only; kana and other text stay as they are.
std::u16string UpperAscii(std::u16string_view text);
std::u16string LowerAscii(std::u16string_view text);

}  // namespace kb
