#include "wav_file.h"

#include <cstddef>

namespace kb::sfx {
namespace {

constexpr std::size_t kHeaderSize = 44;

void put_u16(std::vector<std::uint8_t>& out, std::uint32_t v) {
    out.push_back(static_cast<std::uint8_t>(v & 0xff));
    out.push_back(static_cast<std::uint8_t>((v >> 8) & 0xff));
}

void put_u32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    put_u16(out, v & 0xffff);
    put_u16(out, v >> 16);
}

void put_tag(std::vector<std::uint8_t>& out, const char (&tag)[5]) {
    out.insert(out.end(), tag, tag + 4);
}

std::uint32_t get_u16(const std::vector<std::uint8_t>& in, std::size_t at) {
    return static_cast<std::uint32_t>(in[at] | (in[at + 1] << 8));
}

std::uint32_t get_u32(const std::vector<std::uint8_t>& in, std::size_t at) {
    return get_u16(in, at) | (get_u16(in, at + 2) << 16);
}

bool has_tag(const std::vector<std::uint8_t>& in, std::size_t at, const char (&tag)[5]) {
    for (std::size_t i = 0; i < 4; ++i) {
        if (in[at + i] != static_cast<std::uint8_t>(tag[i])) return false;
    }
    return true;
}

}  // namespace

std::vector<std::uint8_t> encode_wav(const std::vector<std::int16_t>& samples) {
    const auto data_bytes = static_cast<std::uint32_t>(samples.size() * 2);
    std::vector<std::uint8_t> out;
    out.reserve(kHeaderSize + data_bytes);
    put_tag(out, "RIFF");
    put_u32(out, 36 + data_bytes);
    put_tag(out, "WAVE");
    put_tag(out, "fmt ");
    put_u32(out, 16);  // size of the PCM format block
    put_u16(out, 1);   // PCM
    put_u16(out, 1);   // mono
    put_u32(out, kSampleRate);
    put_u32(out, kSampleRate * 2);  // bytes per second
    put_u16(out, 2);                // bytes per frame
    put_u16(out, 16);               // bits per sample
    put_tag(out, "data");
    put_u32(out, data_bytes);
    for (std::int16_t s : samples) put_u16(out, static_cast<std::uint16_t>(s));
    return out;
}

std::vector<std::int16_t> decode_wav(const std::vector<std::uint8_t>& image, std::string& error) {
    if (image.size() < kHeaderSize || !has_tag(image, 0, "RIFF") || !has_tag(image, 8, "WAVE") ||
        !has_tag(image, 12, "fmt ") || !has_tag(image, 36, "data")) {
        error = "not a plain RIFF WAVE image";
        return {};
    }
    if (get_u32(image, 4) != image.size() - 8) {
        error = "RIFF size does not match the file length";
        return {};
    }
    if (get_u32(image, 16) != 16 || get_u16(image, 20) != 1 || get_u16(image, 22) != 1 ||
        get_u32(image, 24) != kSampleRate || get_u16(image, 34) != 16) {
        error = "not 16-bit mono PCM at 22050 Hz";
        return {};
    }
    const std::uint32_t data_bytes = get_u32(image, 40);
    if (data_bytes % 2 != 0 || data_bytes != image.size() - kHeaderSize) {
        error = "data chunk size does not match the file length";
        return {};
    }
    std::vector<std::int16_t> samples(data_bytes / 2);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        samples[i] = static_cast<std::int16_t>(get_u16(image, kHeaderSize + 2 * i));
    }
    return samples;
}

}  // namespace kb::sfx
