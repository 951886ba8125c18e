#pragma once
#include <string_view>

namespace kb {

// The number at the front of a text, read as BASIC's Val reads it: blanks (space, tab, line
// feed) are skipped wherever they stand, then an optional sign, digits, a decimal point and an
// exponent (E or D) are taken up to the first character that does not fit; a text that does
// not start with a number reads 0.
double Val(std::u16string_view text);

}  // namespace kb
