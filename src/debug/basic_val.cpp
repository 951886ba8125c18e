#include "debug/basic_val.h"

#include <cstdlib>
#include <string>

namespace kb {

double Val(std::u16string_view text) {
    // Gather the number's characters in the C locale's format, then let strtod read them.
    std::string number;
    enum { kSign, kInteger, kFraction, kExponentSign, kExponent } part = kSign;
    for (char16_t c : text) {
        if (c == u' ' || c == u'\t' || c == u'\n') continue;
        const bool digit = c >= u'0' && c <= u'9';
        if (digit) {
            if (part == kSign) part = kInteger;
            if (part == kExponentSign) part = kExponent;
        } else if ((c == u'+' || c == u'-') && (part == kSign || part == kExponentSign)) {
            part = part == kSign ? kInteger : kExponent;
        } else if (c == u'.' && (part == kSign || part == kInteger)) {
            part = kFraction;
        } else if ((c == u'E' || c == u'e' || c == u'D' || c == u'd') &&
                   (part == kInteger || part == kFraction)) {
            part = kExponentSign;
            c = u'e';
        } else {
            break;
        }
        number += static_cast<char>(c);
    }
    // strtod stops by itself before a dangling sign, point or exponent mark.
    return std::strtod(number.c_str(), nullptr);
}

}  // namespace kb
