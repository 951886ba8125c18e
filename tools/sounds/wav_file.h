#pragma once
// 16-bit mono PCM wave files at the one rate every effect of the game is made at.
#include <cstdint>
#include <string>
#include <vector>

namespace kb::sfx {

inline constexpr int kSampleRate = 22050;

// The complete RIFF image of a mono 16-bit PCM sound at kSampleRate.
std::vector<std::uint8_t> EncodeWav(const std::vector<std::int16_t>& samples);

// Reads back a file written by EncodeWav. Fills `error` and gives an empty
// vector when the image is not 16-bit mono PCM at kSampleRate.
std::vector<std::int16_t> DecodeWav(const std::vector<std::uint8_t>& image, std::string& error);

}  // namespace kb::sfx
