#include "shell/ustr.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>

namespace kb {

namespace {

void PushCodePoint(std::u16string& out, char32_t cp) {
    if (cp >= 0x10000) {
        cp -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
        out.push_back(static_cast<char16_t>(cp));
    }
}

bool IsLeadByte(unsigned char b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}
bool IsTrailByte(unsigned char b) {
    return b >= 0x40 && b <= 0xFC && b != 0x7F;
}

// Runs iconv over the whole input; at every place it cannot convert, bad(in, left) writes a
// stand-in to out and says how many input bytes it stands for.
template <typename Bad>
std::string Iconv(const char* to, const char* from, std::string_view input, Bad bad) {
    std::string out;
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return out;
    char* in = const_cast<char*>(input.data());
    std::size_t inLeft = input.size();
    std::string buffer(4096, '\0');
    while (inLeft > 0) {
        char* at = buffer.data();
        std::size_t room = buffer.size();
        const bool stopped = iconv(cd, &in, &inLeft, &at, &room) == static_cast<std::size_t>(-1);
        const int why = errno;
        out.append(buffer.data(), buffer.size() - room);
        if (stopped && why != E2BIG) {
            const std::size_t used = std::min<std::size_t>(bad(in, inLeft, out), inLeft);
            in += used;
            inLeft -= used;
        }
    }
    iconv_close(cd);
    return out;
}

}  // namespace

std::u16string FromUtf8(std::string_view s) {
    static constexpr char32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};  // no overlong forms
    std::u16string out;
    out.reserve(s.size());
    std::size_t i = 0;
    while (i < s.size()) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        std::size_t len = c < 0x80           ? 1
                          : (c >> 5) == 0x6  ? 2
                          : (c >> 4) == 0xE  ? 3
                          : (c >> 3) == 0x1E ? 4
                                             : 0;
        char32_t cp = len == 1 ? c : c & (0x7F >> len);
        for (std::size_t k = 1; k < len; ++k) {
            if (i + k >= s.size() || (s[i + k] & 0xC0) != 0x80) {
                len = 0;
                break;
            }
            cp = cp << 6 | (s[i + k] & 0x3F);
        }
        if (len == 0 || cp < kLeast[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp < 0xE000)) {
            cp = 0xFFFD;
            len = 1;
        }
        i += len;
        PushCodePoint(out, cp);
    }
    return out;
}

std::u16string FromCp932(std::string_view bytes) {
    const std::string utf16 =
        Iconv("UTF-16LE", "CP932", bytes, [](const char* in, std::size_t left, std::string& out) {
            out += "\xFB\x30";  // kCp932Unknown, little-endian
            return IsLeadByte(static_cast<unsigned char>(in[0])) && left > 1 &&
                           IsTrailByte(static_cast<unsigned char>(in[1]))
                       ? 2
                       : 1;
        });
    std::u16string text(utf16.size() / 2, u'\0');
    for (std::size_t i = 0; i < text.size(); ++i)
        text[i] = static_cast<char16_t>(static_cast<unsigned char>(utf16[2 * i]) |
                                        static_cast<unsigned char>(utf16[2 * i + 1]) << 8);
    return text;
}

std::string ToCp932(std::u16string_view text) {
    std::string utf16;
    utf16.reserve(text.size() * 2);
    for (char16_t c : text) {
        utf16.push_back(static_cast<char>(c & 0xFF));
        utf16.push_back(static_cast<char>(c >> 8));
    }
    return Iconv(
        "CP932", "UTF-16LE", utf16, [](const char* in, std::size_t left, std::string& out) {
            out += '?';
            // A character beyond U+FFFF is two units, and one "?".
            const auto unit = [&](std::size_t at) {
                return static_cast<unsigned char>(in[at]) | static_cast<unsigned char>(in[at + 1])
                                                                << 8;
            };
            return left >= 4 && unit(0) >= 0xD800 && unit(0) < 0xDC00 && unit(2) >= 0xDC00 &&
                           unit(2) < 0xE000
                       ? 4
                       : 2;
        });
}

std::string ToUtf8(std::u16string_view s) {
    std::string out;
    out.reserve(s.size() * 3);
    for (size_t i = 0; i < s.size(); ++i) {
        char32_t cp = s[i];
        if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < s.size() && s[i + 1] >= 0xDC00 &&
            s[i + 1] < 0xE000) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (s[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp < 0xE000) {
            cp = 0xFFFD;  // a lone surrogate has no UTF-8 form
        }
        if (cp < 0x80) {
            out.push_back(static_cast<char>(cp));
        } else if (cp < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        }
    }
    return out;
}

std::u16string Num(long long value) {
    std::string s = std::to_string(value);
    return std::u16string(s.begin(), s.end());
}

std::u16string UpperAscii(std::u16string_view text) {
    std::u16string out(text);
    for (char16_t& c : out)
        if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - 32);
    return out;
}

std::u16string LowerAscii(std::u16string_view text) {
    std::u16string out(text);
    for (char16_t& c : out)
        if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c + 32);
    return out;
}

}  // namespace kb
