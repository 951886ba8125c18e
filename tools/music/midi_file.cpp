#include "midi_file.h"

#include <algorithm>
#include <stdexcept>

namespace kb::midi {
namespace {

void PutBe(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes) {
    for (int i = bytes - 1; i >= 0; --i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

void PutVarlen(std::vector<std::uint8_t>& out, std::uint32_t value) {
    std::uint8_t groups[5];
    int count = 0;
    do {
        groups[count++] = static_cast<std::uint8_t>(value & 0x7f);
        value >>= 7;
    } while (value != 0);
    while (count > 1) out.push_back(static_cast<std::uint8_t>(groups[--count] | 0x80));
    out.push_back(groups[0]);
}

std::uint8_t DataByte(int value) {
    if (value < 0 || value > 127) throw std::out_of_range("MIDI data byte out of range");
    return static_cast<std::uint8_t>(value);
}

std::uint8_t Status(int kind, int channel) {
    if (channel < 0 || channel > 15) throw std::out_of_range("MIDI channel out of range");
    return static_cast<std::uint8_t>(kind | channel);
}

std::vector<std::uint8_t> Meta(std::uint8_t type, const std::vector<std::uint8_t>& data) {
    std::vector<std::uint8_t> bytes{0xff, type};
    PutVarlen(bytes, static_cast<std::uint32_t>(data.size()));
    bytes.insert(bytes.end(), data.begin(), data.end());
    return bytes;
}

}  // namespace

Track::Track(const std::string& name) {
    Add(0, Order::kMeta, Meta(0x03, std::vector<std::uint8_t>(name.begin(), name.end())));
}

void Track::Add(Tick at, Order order, std::vector<std::uint8_t> bytes) {
    events_.push_back({at, order, std::move(bytes)});
}

void Track::Tempo(Tick at, int beatsPerMinute) {
    const auto micros = static_cast<std::uint32_t>(60'000'000 / beatsPerMinute);
    std::vector<std::uint8_t> data;
    PutBe(data, micros, 3);
    Add(at, Order::kMeta, Meta(0x51, data));
}

void Track::TimeSignature(Tick at, int numerator, int denominator) {
    int power = 0;
    while ((1 << power) < denominator) ++power;
    // 24 MIDI clocks per metronome click, 8 thirty-seconds per quarter.
    Add(at, Order::kMeta, Meta(0x58, {DataByte(numerator), DataByte(power), 24, 8}));
}

void Track::Program(Tick at, int channel, int gmProgram) {
    Add(at, Order::kControl, {Status(0xc0, channel), DataByte(gmProgram)});
}

void Track::Control(Tick at, int channel, int controller, int value) {
    Add(at, Order::kControl, {Status(0xb0, channel), DataByte(controller), DataByte(value)});
}

void Track::Note(Tick at, Tick length, int channel, int key, int velocity) {
    if (length == 0) throw std::invalid_argument("note without length");
    Add(at, Order::kNoteOn, {Status(0x90, channel), DataByte(key), DataByte(velocity)});
    Add(at + length, Order::kNoteOff, {Status(0x80, channel), DataByte(key), 64});
}

std::vector<std::uint8_t> Track::Encode(Tick end) const {
    std::vector<Event> sorted = events_;
    std::stable_sort(sorted.begin(), sorted.end(), [](const Event& a, const Event& b) {
        return a.at != b.at ? a.at < b.at : a.order < b.order;
    });
    std::vector<std::uint8_t> body;
    Tick now = 0;
    for (const Event& e : sorted) {
        if (e.at > end) throw std::logic_error("event after the end of the piece");
        PutVarlen(body, e.at - now);
        body.insert(body.end(), e.bytes.begin(), e.bytes.end());
        now = e.at;
    }
    PutVarlen(body, end - now);
    const std::vector<std::uint8_t> endOfTrack = Meta(0x2f, {});
    body.insert(body.end(), endOfTrack.begin(), endOfTrack.end());

    std::vector<std::uint8_t> chunk{'M', 'T', 'r', 'k'};
    PutBe(chunk, static_cast<std::uint32_t>(body.size()), 4);
    chunk.insert(chunk.end(), body.begin(), body.end());
    return chunk;
}

std::vector<std::uint8_t> EncodeFile(const std::vector<Track>& tracks, Tick end) {
    std::vector<std::uint8_t> out{'M', 'T', 'h', 'd'};
    PutBe(out, 6, 4);
    PutBe(out, 1, 2);  // format 1: simultaneous tracks
    PutBe(out, static_cast<std::uint32_t>(tracks.size()), 2);
    PutBe(out, kTicksPerQuarter, 2);
    for (const Track& track : tracks) {
        const std::vector<std::uint8_t> chunk = track.Encode(end);
        out.insert(out.end(), chunk.begin(), chunk.end());
    }
    return out;
}

}  // namespace kb::midi
