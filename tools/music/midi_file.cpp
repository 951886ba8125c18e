#include "midi_file.h"

#include <algorithm>
#include <stdexcept>

namespace kb::midi {
namespace {

void put_be(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes) {
    for (int i = bytes - 1; i >= 0; --i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

void put_varlen(std::vector<std::uint8_t>& out, std::uint32_t value) {
    std::uint8_t groups[5];
    int count = 0;
    do {
        groups[count++] = static_cast<std::uint8_t>(value & 0x7f);
        value >>= 7;
    } while (value != 0);
    while (count > 1) out.push_back(static_cast<std::uint8_t>(groups[--count] | 0x80));
    out.push_back(groups[0]);
}

std::uint8_t data_byte(int value) {
    if (value < 0 || value > 127) throw std::out_of_range("MIDI data byte out of range");
    return static_cast<std::uint8_t>(value);
}

std::uint8_t status(int kind, int channel) {
    if (channel < 0 || channel > 15) throw std::out_of_range("MIDI channel out of range");
    return static_cast<std::uint8_t>(kind | channel);
}

std::vector<std::uint8_t> meta(std::uint8_t type, const std::vector<std::uint8_t>& data) {
    std::vector<std::uint8_t> bytes{0xff, type};
    put_varlen(bytes, static_cast<std::uint32_t>(data.size()));
    bytes.insert(bytes.end(), data.begin(), data.end());
    return bytes;
}

}  // namespace

Track::Track(const std::string& name) {
    add(0, Order::kMeta, meta(0x03, std::vector<std::uint8_t>(name.begin(), name.end())));
}

void Track::add(Tick at, Order order, std::vector<std::uint8_t> bytes) {
    events_.push_back({at, order, std::move(bytes)});
}

void Track::tempo(Tick at, int beats_per_minute) {
    const auto micros = static_cast<std::uint32_t>(60'000'000 / beats_per_minute);
    std::vector<std::uint8_t> data;
    put_be(data, micros, 3);
    add(at, Order::kMeta, meta(0x51, data));
}

void Track::time_signature(Tick at, int numerator, int denominator) {
    int power = 0;
    while ((1 << power) < denominator) ++power;
    // 24 MIDI clocks per metronome click, 8 thirty-seconds per quarter.
    add(at, Order::kMeta, meta(0x58, {data_byte(numerator), data_byte(power), 24, 8}));
}

void Track::program(Tick at, int channel, int gm_program) {
    add(at, Order::kControl, {status(0xc0, channel), data_byte(gm_program)});
}

void Track::control(Tick at, int channel, int controller, int value) {
    add(at, Order::kControl, {status(0xb0, channel), data_byte(controller), data_byte(value)});
}

void Track::note(Tick at, Tick length, int channel, int key, int velocity) {
    if (length == 0) throw std::invalid_argument("note without length");
    add(at, Order::kNoteOn, {status(0x90, channel), data_byte(key), data_byte(velocity)});
    add(at + length, Order::kNoteOff, {status(0x80, channel), data_byte(key), 64});
}

std::vector<std::uint8_t> Track::encode(Tick end) const {
    std::vector<Event> sorted = events_;
    std::stable_sort(sorted.begin(), sorted.end(), [](const Event& a, const Event& b) {
        return a.at != b.at ? a.at < b.at : a.order < b.order;
    });
    std::vector<std::uint8_t> body;
    Tick now = 0;
    for (const Event& e : sorted) {
        if (e.at > end) throw std::logic_error("event after the end of the piece");
        put_varlen(body, e.at - now);
        body.insert(body.end(), e.bytes.begin(), e.bytes.end());
        now = e.at;
    }
    put_varlen(body, end - now);
    const std::vector<std::uint8_t> end_of_track = meta(0x2f, {});
    body.insert(body.end(), end_of_track.begin(), end_of_track.end());

    std::vector<std::uint8_t> chunk{'M', 'T', 'r', 'k'};
    put_be(chunk, static_cast<std::uint32_t>(body.size()), 4);
    chunk.insert(chunk.end(), body.begin(), body.end());
    return chunk;
}

std::vector<std::uint8_t> encode_file(const std::vector<Track>& tracks, Tick end) {
    std::vector<std::uint8_t> out{'M', 'T', 'h', 'd'};
    put_be(out, 6, 4);
    put_be(out, 1, 2);  // format 1: simultaneous tracks
    put_be(out, static_cast<std::uint32_t>(tracks.size()), 2);
    put_be(out, kTicksPerQuarter, 2);
    for (const Track& track : tracks) {
        const std::vector<std::uint8_t> chunk = track.encode(end);
        out.insert(out.end(), chunk.begin(), chunk.end());
    }
    return out;
}

}  // namespace kb::midi
