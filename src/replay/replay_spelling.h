#pragma once
// How a replay is spelt, shared by its writer and its reader (replay_text.h shows it whole).
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "replay/replay.h"
#include "typing/key_codes.h"

namespace kb::spelling {

inline constexpr std::string_view kMagic = "kanaburst-replay";
inline constexpr size_t kLineWidth = 100;  // lines of steps and entries are broken after this
inline constexpr int kLastSecond = 59;
inline constexpr long kMaxFps = 1000;
inline constexpr int kMaxReadingLength = 1024;

// The keys a player presses most, with one character for each way they go.
struct KeyPair {
    int code;
    char down, up;
};
inline constexpr KeyPair kKeyPairs[] = {
    {kVkReturn, '(', ')'}, {kVkBack, '<', '>'},     {kVkUp, '{', '}'},
    {kVkDown, ';', ':'},   {kVkOemMinus, '-', '='},
};

// What the player or the peer does, as against what the clock does: between two of these
// written side by side, one frame runs.
inline bool IsEvent(ReplayStep::Kind k) {
    switch (k) {
        case ReplayStep::kKeyDown:
        case ReplayStep::kKeyUp:
        case ReplayStep::kArrival:
        case ReplayStep::kSendComplete:
        case ReplayStep::kConnectionRequest:
        case ReplayStep::kConsole:
            return true;
        default:
            return false;
    }
}

// A text written as it is: not empty, no blank, quote, backslash, # or control character.
inline bool Bare(std::string_view bytes) {
    if (bytes.empty()) return false;
    for (unsigned char c : bytes)
        if (c <= 0x20 || c == 0x7F || c == '"' || c == '\\' || c == '#') return false;
    return true;
}

// A check value as it is written: eight hexadecimal digits.
inline std::string Hex8(uint32_t v) {
    char buf[9];
    std::snprintf(buf, sizeof buf, "%08x", v);
    return buf;
}

// FNV-1a, 32 bits.
inline uint32_t Fnv(uint32_t h, std::string_view text) {
    for (unsigned char c : text) h = (h ^ c) * 16777619u;
    return h;
}
inline constexpr uint32_t kFnvStart = 2166136261u;

}  // namespace kb::spelling
