// Checks a word list file the way the game will read it: code page 932 text,
// CR LF line ends, one "display,reading" record per line, every reading
// typeable with the romaji conversion, no display form twice, enough entries
// for a varied game and no more than the shuffle table can index.
//
// Usage: check_words [--min-entries N] str.dat
// Prints every fault with its line number and the length mix; exits 1 on a fault.

#include <iconv.h>

#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kb {
namespace {

constexpr std::size_t kMaxEntries = 3001;  // slots of the shuffle's permutation table

// Decodes CP932 bytes into code points; nothing when a byte sequence is not CP932.
std::optional<std::u32string> DecodeCp932(const std::string& bytes, std::size_t& badOffset) {
    iconv_t cd = iconv_open("UTF-32LE", "CP932");
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        std::perror("iconv_open CP932");
        return std::nullopt;
    }
    std::string in = bytes;
    std::string out(in.size() * 4 + 4, '\0');
    char* inPtr = in.data();
    char* outPtr = out.data();
    std::size_t inLeft = in.size();
    std::size_t outLeft = out.size();
    const std::size_t rc = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    iconv_close(cd);
    if (rc == static_cast<std::size_t>(-1)) {
        badOffset = in.size() - inLeft;
        return std::nullopt;
    }
    const std::size_t produced = out.size() - outLeft;
    std::u32string text;
    for (std::size_t i = 0; i + 3 < produced; i += 4) {
        const auto b = [&](std::size_t k) {
            return static_cast<char32_t>(static_cast<unsigned char>(out[i + k]));
        };
        text.push_back(b(0) | b(1) << 8 | b(2) << 16 | b(3) << 24);
    }
    return text;
}

std::string ToUtf8(std::u32string_view text) {
    std::string out;
    for (const char32_t c : text) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | c >> 6);
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | c >> 12);
            out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | c >> 18);
            out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
            out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

// The characters a player can type: what the romaji conversion produces, less
// ～ ＋ ＊, which it knows but which no key of the game's keyboard handling
// sends. Anything else in a reading leaves the word impossible to finish.
bool InReadingAlphabet(char32_t c) {
    if (c >= U'ぁ' && c <= U'ん') {
        return c != U'ゎ' && c != U'ゐ' && c != U'ゑ';
    }
    if (c >= U'０' && c <= U'９') {
        return true;
    }
    return std::u32string_view(U"ヴ、。？！ー・").find(c) != std::u32string_view::npos;
}

// CR and LF must only ever appear as a CR LF pair, and the last record must end
// with one. In CP932 neither byte can be the second byte of a double-byte
// character, so a byte scan is exact.
bool CheckLineEnds(const std::string& bytes) {
    bool ok = true;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const bool crOk = bytes[i] != '\r' || (i + 1 < bytes.size() && bytes[i + 1] == '\n');
        const bool lfOk = bytes[i] != '\n' || (i > 0 && bytes[i - 1] == '\r');
        if (!crOk || !lfOk) {
            std::cout << "byte " << i << ": lone " << (crOk ? "LF" : "CR")
                      << " (lines must end with CR LF)\n";
            ok = false;
        }
    }
    if (!bytes.empty() && bytes.back() != '\n') {
        std::cout << "last line does not end with CR LF\n";
        ok = false;
    }
    return ok;
}

struct LengthMix {
    std::size_t one = 0, shortWords = 0, medium = 0, longWords = 0;

    void Add(std::size_t length) {
        if (length <= 1) {
            ++one;
        } else if (length <= 4) {
            ++shortWords;
        } else if (length <= 7) {
            ++medium;
        } else {
            ++longWords;
        }
    }

    void Print(std::size_t total) const {
        const auto row = [total](const char* label, std::size_t n) {
            std::printf("  %-12s %5zu  (%4.1f%%)\n", label, n, total ? 100.0 * n / total : 0.0);
        };
        std::printf("reading length mix:\n");
        row("1 kana", one);
        row("2-4 kana", shortWords);
        row("5-7 kana", medium);
        row("8+ kana", longWords);
    }
};

// Checks one record; prints its faults and returns whether it is sound.
bool CheckRecord(std::size_t lineNo, std::u32string_view line, std::u32string& display,
                 std::u32string& reading) {
    const auto where = [lineNo] { return "line " + std::to_string(lineNo) + ": "; };
    const std::size_t comma = line.find(U',');
    if (comma == std::u32string_view::npos ||
        line.find(U',', comma + 1) != std::u32string_view::npos) {
        std::cout << where() << "expected exactly one comma: " << ToUtf8(line) << '\n';
        return false;
    }
    display = line.substr(0, comma);
    reading = line.substr(comma + 1);
    bool ok = true;
    if (display.empty() || reading.empty()) {
        std::cout << where() << "empty field: " << ToUtf8(line) << '\n';
        ok = false;
    }
    if (line.find(U'"') != std::u32string_view::npos) {
        std::cout << where()
                  << "double quote in record (the loader would strip it): " << ToUtf8(line) << '\n';
        ok = false;
    }
    for (const char32_t c : reading) {
        if (!InReadingAlphabet(c)) {
            std::cout << where() << "reading " << ToUtf8(reading) << " has untypeable character "
                      << ToUtf8(std::u32string(1, c)) << '\n';
            ok = false;
        }
    }
    return ok;
}

int Run(const std::string& path, std::size_t minEntries) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        std::cout << path << ": cannot open\n";
        return 1;
    }
    const std::string bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};

    bool ok = CheckLineEnds(bytes);
    std::size_t badOffset = 0;
    const std::optional<std::u32string> text = DecodeCp932(bytes, badOffset);
    if (!text) {
        std::cout << path << ": not code page 932 text (byte " << badOffset << ")\n";
        return 1;
    }

    std::map<std::u32string, std::size_t> firstLineOf;
    LengthMix mix;
    std::size_t entries = 0;
    std::size_t lineNo = 0;
    std::size_t pos = 0;
    while (pos < text->size()) {
        std::size_t end = text->find(U"\r\n", pos);
        if (end == std::u32string::npos) {
            end = text->size();
        }
        const std::u32string_view line = std::u32string_view(*text).substr(pos, end - pos);
        pos = end + 2;
        ++lineNo;

        std::u32string display, reading;
        if (!CheckRecord(lineNo, line, display, reading)) {
            ok = false;
            continue;
        }
        const auto [it, fresh] = firstLineOf.emplace(display, lineNo);
        if (!fresh) {
            std::cout << "line " << lineNo << ": display form " << ToUtf8(display)
                      << " already on line " << it->second << '\n';
            ok = false;
        }
        ++entries;
        mix.Add(reading.size());
    }

    std::printf("%zu entries\n", entries);
    mix.Print(entries);
    if (entries < minEntries) {
        std::cout << "too few entries: " << entries << " < " << minEntries << '\n';
        ok = false;
    }
    if (entries > kMaxEntries) {
        std::cout << "too many entries: " << entries << " > " << kMaxEntries << '\n';
        ok = false;
    }
    std::cout << (ok ? "OK\n" : "FAILED\n");
    return ok ? 0 : 1;
}

}  // namespace
}  // namespace kb

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    std::size_t minEntries = 1500;
    std::string path;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--min-entries" && i + 1 < args.size()) {
            minEntries = std::stoul(args[++i]);
        } else if (path.empty()) {
            path = args[i];
        } else {
            path.clear();
            break;
        }
    }
    if (path.empty()) {
        std::cerr << "usage: check_words [--min-entries N] str.dat\n";
        return 2;
    }
    return kb::Run(path, minEntries);
}
