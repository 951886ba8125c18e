// Writes the code page 932 table the game converts with (src/text/cp932.tbl), taken from the
// C library's converter, which follows Windows: NEC and IBM extensions, 0x8160 as U+FF5E, and
// for a character with several codes the one Windows writes. The game carries the table itself
// because not every platform it runs on has this converter.
//
//   make_cp932_table OUT
//
// Layout, all 16-bit little-endian: 256 single bytes (0 where the byte is no character on its
// own, except byte 0 itself), then 60 lead bytes (0x81-0x9F, 0xE0-0xFC) x 189 trail bytes
// (0x40-0xFC) of double-byte characters (0 for none), then the number of written characters
// and that many pairs (character, code), sorted by character.
#include <iconv.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace {

// The UTF-16 unit the bytes convert to, or 0 when they are no single character.
uint16_t Decode(iconv_t cd, const std::string& bytes) {
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char* in = const_cast<char*>(bytes.data());
    size_t inLeft = bytes.size();
    char out[8];
    char* at = out;
    size_t room = sizeof out;
    if (iconv(cd, &in, &inLeft, &at, &room) == static_cast<size_t>(-1) || inLeft != 0 ||
        at - out != 2)
        return 0;
    return static_cast<uint16_t>(static_cast<unsigned char>(out[0]) |
                                 static_cast<unsigned char>(out[1]) << 8);
}

// The code Windows writes for a character, or 0 when it has none.
uint16_t Encode(iconv_t cd, uint16_t c) {
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char unit[2] = {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
    char* in = unit;
    size_t inLeft = 2;
    char out[4];
    char* at = out;
    size_t room = sizeof out;
    if (iconv(cd, &in, &inLeft, &at, &room) == static_cast<size_t>(-1)) return 0;
    if (at - out == 1) return static_cast<unsigned char>(out[0]);
    return static_cast<uint16_t>(static_cast<unsigned char>(out[0]) << 8 |
                                 static_cast<unsigned char>(out[1]));
}

void Put(std::string& file, uint16_t v) {
    file.push_back(static_cast<char>(v & 0xFF));
    file.push_back(static_cast<char>(v >> 8));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_cp932_table OUT\n");
        return 2;
    }
    iconv_t decoder = iconv_open("UTF-16LE", "CP932");
    iconv_t encoder = iconv_open("CP932", "UTF-16LE");
    if (decoder == reinterpret_cast<iconv_t>(-1) || encoder == reinterpret_cast<iconv_t>(-1)) {
        std::perror("iconv_open CP932");
        return 1;
    }
    std::string file;
    for (int b = 0; b < 256; ++b) Put(file, Decode(decoder, std::string(1, static_cast<char>(b))));
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
        if (lead > 0x9F && lead < 0xE0) continue;
        for (int trail = 0x40; trail <= 0xFC; ++trail) {
            const std::string pair = {static_cast<char>(lead), static_cast<char>(trail)};
            Put(file, Decode(decoder, pair));
        }
    }
    std::vector<std::pair<uint16_t, uint16_t>> written;
    for (int c = 0; c < 0x10000; ++c) {
        if (c >= 0xD800 && c < 0xE000) continue;
        const uint16_t code = Encode(encoder, static_cast<uint16_t>(c));
        if (code != 0 || c == 0) written.emplace_back(static_cast<uint16_t>(c), code);
    }
    Put(file, static_cast<uint16_t>(written.size()));
    for (const auto& [c, code] : written) {
        Put(file, c);
        Put(file, code);
    }
    iconv_close(decoder);
    iconv_close(encoder);
    std::FILE* out = std::fopen(argv[1], "wb");
    if (!out || std::fwrite(file.data(), 1, file.size(), out) != file.size() || std::fclose(out)) {
        std::perror(argv[1]);
        return 1;
    }
    std::printf("%s: %zu bytes, %zu written characters\n", argv[1], file.size(), written.size());
    return 0;
}
