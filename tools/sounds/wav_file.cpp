#include "wav_file.h"

#include <cstddef>

namespace kb::sfx {
namespace {

constexpr std::size_t kHeaderSize = 44;

void PutU16(std::vector<std::uint8_t>& out, std::uint32_t v) {
    out.push_back(static_cast<std::uint8_t>(v & 0xff));
    out.push_back(static_cast<std::uint8_t>((v >> 8) & 0xff));
}

void PutU32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    PutU16(out, v & 0xffff);
    PutU16(out, v >> 16);
}

void PutTag(std::vector<std::uint8_t>& out, const char (&tag)[5]) {
    out.insert(out.end(), tag, tag + 4);
}

std::uint32_t GetU16(const std::vector<std::uint8_t>& in, std::size_t at) {
    return static_cast<std::uint32_t>(in[at] | (in[at + 1] << 8));
}

std::uint32_t GetU32(const std::vector<std::uint8_t>& in, std::size_t at) {
    return GetU16(in, at) | (GetU16(in, at + 2) << 16);
}

bool HasTag(const std::vector<std::uint8_t>& in, std::size_t at, const char (&tag)[5]) {
    for (std::size_t i = 0; i < 4; ++i) {
        if (in[at + i] != static_cast<std::uint8_t>(tag[i])) return false;
    }
    return true;
}

}  // namespace

std::vector<std::uint8_t> EncodeWav(const std::vector<std::int16_t>& samples) {
    const auto dataBytes = static_cast<std::uint32_t>(samples.size() * 2);
    std::vector<std::uint8_t> out;
    out.reserve(kHeaderSize + dataBytes);
    PutTag(out, "RIFF");
    PutU32(out, 36 + dataBytes);
    PutTag(out, "WAVE");
    PutTag(out, "fmt ");
    PutU32(out, 16);  // size of the PCM format block
    PutU16(out, 1);   // PCM
    PutU16(out, 1);   // mono
    PutU32(out, kSampleRate);
    PutU32(out, kSampleRate * 2);  // bytes per second
    PutU16(out, 2);                // bytes per frame
    PutU16(out, 16);               // bits per sample
    PutTag(out, "data");
    PutU32(out, dataBytes);
    for (std::int16_t s : samples) PutU16(out, static_cast<std::uint16_t>(s));
    return out;
}

std::vector<std::int16_t> DecodeWav(const std::vector<std::uint8_t>& image, std::string& error) {
    if (image.size() < kHeaderSize || !HasTag(image, 0, "RIFF") || !HasTag(image, 8, "WAVE") ||
        !HasTag(image, 12, "fmt ") || !HasTag(image, 36, "data")) {
        error = "not a plain RIFF WAVE image";
        return {};
    }
    if (GetU32(image, 4) != image.size() - 8) {
        error = "RIFF size does not match the file length";
        return {};
    }
    if (GetU32(image, 16) != 16 || GetU16(image, 20) != 1 || GetU16(image, 22) != 1 ||
        GetU32(image, 24) != kSampleRate || GetU16(image, 34) != 16) {
        error = "not 16-bit mono PCM at 22050 Hz";
        return {};
    }
    const std::uint32_t dataBytes = GetU32(image, 40);
    if (dataBytes % 2 != 0 || dataBytes != image.size() - kHeaderSize) {
        error = "data chunk size does not match the file length";
        return {};
    }
    std::vector<std::int16_t> samples(dataBytes / 2);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        samples[i] = static_cast<std::int16_t>(GetU16(image, kHeaderSize + 2 * i));
    }
    return samples;
}

}  // namespace kb::sfx
