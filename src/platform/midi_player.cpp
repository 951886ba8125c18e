#include "platform/midi_player.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <utility>

namespace kb {

bool ReadMidiFile(const std::string& path, std::vector<uint8_t>& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    static constexpr uint8_t kHeader[] = {'M', 'T', 'h', 'd'};
    return !in.bad() && bytes.size() >= sizeof kHeader &&
           std::equal(std::begin(kHeader), std::end(kHeader), bytes.begin());
}

namespace {

// Reads the file's numbers big-endian and its variable-length numbers; any read past the end
// marks the whole read bad.
struct MidiReader {
    const std::vector<uint8_t>& b;
    size_t at = 0, end = 0;
    bool bad = false;
    uint32_t Byte() {
        if (at >= end) {
            bad = true;
            return 0;
        }
        return b[at++];
    }
    uint32_t Fixed(int n) {
        uint32_t v = 0;
        while (n-- > 0) v = v << 8 | Byte();
        return v;
    }
    uint32_t Var() {
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i) {
            const uint32_t c = Byte();
            v = v << 7 | (c & 0x7F);
            if (!(c & 0x80)) return v;
        }
        bad = true;
        return v;
    }
    void Skip(uint32_t n) {
        if (n > end - at) bad = true;
        at = bad ? end : at + n;
    }
};

}  // namespace

double MidiLengthMs(const std::vector<uint8_t>& bytes) {
    MidiReader r{bytes, 0, bytes.size()};
    if (r.Fixed(4) != 0x4D546864) return 0;  // "MThd"
    const uint32_t headerLength = r.Fixed(4);
    if (headerLength < 6) return 0;
    r.Fixed(4);  // format and track count: every track counts, whatever they say
    const uint32_t division = r.Fixed(2);
    r.Skip(headerLength - 6);
    if (r.bad || division == 0) return 0;
    std::vector<std::pair<uint64_t, uint32_t>> tempos;  // tick, microseconds a quarter note
    uint64_t lastTick = 0;
    while (!r.bad && r.at + 8 <= bytes.size()) {
        const uint32_t kind = r.Fixed(4), length = r.Fixed(4);
        if (length > bytes.size() - r.at) return 0;
        if (kind != 0x4D54726B) {  // not "MTrk": skipped
            r.Skip(length);
            continue;
        }
        MidiReader t{bytes, r.at, r.at + length};
        r.Skip(length);
        uint64_t tick = 0;
        uint32_t status = 0;
        while (!t.bad && t.at < t.end) {
            tick += t.Var();
            uint32_t c = t.Byte();
            if (c == 0xFF) {
                const uint32_t type = t.Byte(), n = t.Var();
                if (type == 0x51 && n == 3) {
                    tempos.emplace_back(tick, t.Fixed(3));
                } else {
                    t.Skip(n);
                }
                if (type == 0x2F) break;  // end of track
            } else if (c == 0xF0 || c == 0xF7) {
                t.Skip(t.Var());
            } else {
                if (c & 0x80) {
                    status = c;
                    c = t.Byte();
                } else if (status == 0) {
                    return 0;  // data without a status
                }
                if ((status & 0xE0) != 0xC0) t.Byte();  // all but program and pressure take two
            }
        }
        if (t.bad) return 0;
        lastTick = std::max(lastTick, tick);
    }
    if (r.bad) return 0;
    if (division & 0x8000) {  // frames a second and ticks a frame: no tempo applies
        const int fps = -static_cast<int8_t>(division >> 8);
        return fps > 0 && (division & 0xFF) ? 1000.0 * lastTick / (fps * (division & 0xFF)) : 0;
    }
    std::stable_sort(tempos.begin(), tempos.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    double us = 0;
    uint64_t from = 0;
    uint32_t tempo = 500000;  // 120 beats a minute until told otherwise
    for (const auto& [at, value] : tempos) {
        if (at >= lastTick) break;
        us += static_cast<double>(at - from) * tempo / division;
        from = at;
        tempo = value;
    }
    us += static_cast<double>(lastTick - from) * tempo / division;
    return us / 1000;
}

bool SilentMidiPlayer::Open(const std::string& path) {
    std::vector<uint8_t> bytes;
    playing_ = false;
    return ReadMidiFile(path, bytes);
}

}  // namespace kb
