#include "text/ustr.h"

#include <cstddef>
#include <cstdint>
#include <optional>

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

// The code page 932 table made by tools/cp932 from a converter that follows Windows, built into
// the program so that every platform converts alike (its layout is described there).
constexpr unsigned char kCp932Table[] = {
#include "cp932_table.inc"
};
constexpr std::size_t kTrailCount = 0xFC - 0x40 + 1;
constexpr std::size_t kDoublesAt = 256;
constexpr std::size_t kWrittenAt = kDoublesAt + 60 * kTrailCount;

uint16_t TableAt(std::size_t entry) {
    return static_cast<uint16_t>(kCp932Table[2 * entry] | kCp932Table[2 * entry + 1] << 8);
}

std::size_t LeadIndex(unsigned char lead) {
    return lead <= 0x9F ? lead - 0x81u : lead - 0xE0u + 31;
}

// The code Windows writes for a character; nullopt when it has none.
std::optional<uint16_t> Cp932Code(char16_t c) {
    std::size_t lo = 0, hi = TableAt(kWrittenAt);
    while (lo < hi) {
        const std::size_t mid = (lo + hi) / 2;
        const uint16_t at = TableAt(kWrittenAt + 1 + 2 * mid);
        if (at == c) return TableAt(kWrittenAt + 2 + 2 * mid);
        if (at < c)
            lo = mid + 1;
        else
            hi = mid;
    }
    return std::nullopt;
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
    std::u16string text;
    text.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size();) {
        const unsigned char b = static_cast<unsigned char>(bytes[i]);
        if (IsLeadByte(b) && i + 1 < bytes.size() &&
            IsTrailByte(static_cast<unsigned char>(bytes[i + 1]))) {
            const auto trail = static_cast<unsigned char>(bytes[i + 1]);
            const uint16_t c = TableAt(kDoublesAt + LeadIndex(b) * kTrailCount + (trail - 0x40u));
            text.push_back(c != 0 ? static_cast<char16_t>(c) : kCp932Unknown);
            i += 2;
            continue;
        }
        const uint16_t c = TableAt(b);
        text.push_back(c != 0 || b == 0 ? static_cast<char16_t>(c) : kCp932Unknown);
        ++i;
    }
    return text;
}

std::string ToCp932(std::u16string_view text) {
    std::string bytes;
    bytes.reserve(text.size() * 2);
    for (std::size_t i = 0; i < text.size(); ++i) {
        // A character beyond U+FFFF is two units, and one "?".
        if (text[i] >= 0xD800 && text[i] < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] < 0xE000) {
            bytes += '?';
            ++i;
            continue;
        }
        const std::optional<uint16_t> code = Cp932Code(text[i]);
        if (!code) {
            bytes += '?';
        } else {
            if (*code > 0xFF) bytes += static_cast<char>(*code >> 8);
            bytes += static_cast<char>(*code & 0xFF);
        }
    }
    return bytes;
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
