#include "part.h"

#include <algorithm>
#include <cctype>
#include <functional>
#include <stdexcept>
#include <string>

namespace kb::midi {
namespace {

constexpr int kVolume = 7;
constexpr int kPan = 10;
constexpr int kReverb = 91;

int clamp_velocity(int velocity) {
    return std::clamp(velocity, 1, 127);
}

int on_beat(Tick at, int velocity) {
    return at % kBeat == 0 ? velocity + 6 : velocity;
}

int hit_velocity(char c, int velocity) {
    if (c == 'X') return velocity + 18;
    if (c != 'x' && std::islower(static_cast<unsigned char>(c))) return velocity - 22;
    return velocity;
}

bool is_hit(char c) {
    return c != '.' && c != '-';
}

// Calls `play` for every hit of `pattern` inside the chords' spans, with the
// hit's length running over the '-' steps that follow it within the chord.
void for_each_hit(const std::vector<Chord>& chords, std::string_view pattern,
                  const std::function<void(const Chord&, char, Tick, Tick)>& play) {
    const auto step_char = [&](Tick at) { return pattern[(at / kSixteenth) % pattern.size()]; };
    for (const Chord& chord : chords) {
        const Tick end = chord.start + chord.length;
        for (Tick at = chord.start; at < end; at += kSixteenth) {
            const char c = step_char(at);
            if (!is_hit(c)) continue;
            Tick length = kSixteenth;
            while (at + length < end && step_char(at + length) == '-') length += kSixteenth;
            play(chord, c, at, length);
        }
    }
}

Tick gated(Tick length, int percent) {
    return std::max<Tick>(1, length * percent / 100);
}

}  // namespace

Part::Part(const Instrument& instrument) : track_(instrument.name), channel_(instrument.channel) {
    track_.program(0, channel_, instrument.program);
    track_.control(0, channel_, kVolume, instrument.volume);
    track_.control(0, channel_, kPan, instrument.pan);
    track_.control(0, channel_, kReverb, instrument.reverb);
}

void Part::note(Tick at, Tick length, int key, int velocity) {
    track_.note(at, length, channel_, key, clamp_velocity(velocity));
}

void Part::melody(std::string_view text, Tick start, int bars, int velocity, int gate_percent) {
    const std::vector<MelodyNote> notes = parse_melody(text, start);
    const Tick end = notes.empty() ? start : notes.back().start + notes.back().length;
    if (end != start + bar(bars)) {
        throw std::logic_error("melody at tick " + std::to_string(start) + " does not fill " +
                               std::to_string(bars) + " bars");
    }
    for (const MelodyNote& n : notes) {
        if (n.key >= 0)
            note(n.start, gated(n.length, gate_percent), n.key, on_beat(n.start, velocity));
    }
}

void Part::pads(const std::vector<Chord>& chords, int low, int velocity) {
    for (const Chord& chord : chords) {
        for (int key : close_voicing(chord, low)) note(chord.start, chord.length, key, velocity);
    }
}

void Part::stabs(const std::vector<Chord>& chords, std::string_view rhythm, int low, int velocity,
                 Voicing voicing) {
    for_each_hit(chords, rhythm, [&](const Chord& chord, char c, Tick at, Tick length) {
        const int root = key_in_range(chord.root, low);
        const std::vector<int> keys = voicing == Voicing::kPower
                                          ? std::vector<int>{root, root + 7, root + 12}
                                          : close_voicing(chord, low);
        for (int key : keys) {
            note(at, gated(length, 85), key, on_beat(at, hit_velocity(c, velocity)));
        }
    });
}

void Part::arpeggio(const std::vector<Chord>& chords, std::string_view steps, int low,
                    int velocity) {
    for_each_hit(chords, steps, [&](const Chord& chord, char c, Tick at, Tick length) {
        const std::vector<int> keys = spread_voicing(chord, low);
        const auto index = static_cast<std::size_t>(c - '0');
        note(at, gated(length, 95), keys.at(index), on_beat(at, velocity));
    });
}

void Part::bass(const std::vector<Chord>& chords, std::string_view steps, int low, int velocity) {
    for_each_hit(chords, steps, [&](const Chord& chord, char c, Tick at, Tick length) {
        const int bass_key = key_in_range(chord.bass, low);
        int key = bass_key;
        switch (std::toupper(static_cast<unsigned char>(c))) {
            case 'F':
                key = key_in_range((chord.root + 7) % 12, bass_key + 1);
                break;
            case 'O':
                key = bass_key + 12;
                break;
            default:
                break;
        }
        note(at, gated(length, 90), key, on_beat(at, hit_velocity(c, velocity)));
    });
}

void Part::drums(Tick start, int bars,
                 std::initializer_list<std::pair<int, std::string_view>> lines, int velocity) {
    const Tick end = start + static_cast<Tick>(bars) * kBar;
    for (const auto& [key, pattern] : lines) {
        for (Tick at = start; at < end; at += kSixteenth) {
            const char c = pattern[((at - start) / kSixteenth) % pattern.size()];
            if (is_hit(c)) note(at, kSixteenth, key, hit_velocity(c, velocity));
        }
    }
}

Track make_conductor(const std::string& title, int beats_per_minute) {
    Track conductor(title);
    conductor.time_signature(0, 4, 4);
    conductor.tempo(0, beats_per_minute);
    return conductor;
}

std::vector<std::uint8_t> encode_piece(const Track& conductor,
                                       std::initializer_list<const Part*> parts, Tick end) {
    std::vector<Track> tracks{conductor};
    for (const Part* part : parts) tracks.push_back(part->track());
    return encode_file(tracks, end);
}

}  // namespace kb::midi
