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

int ClampVelocity(int velocity) {
    return std::clamp(velocity, 1, 127);
}

int OnBeat(Tick at, int velocity) {
    return at % kBeat == 0 ? velocity + 6 : velocity;
}

int HitVelocity(char c, int velocity) {
    if (c == 'X') return velocity + 18;
    if (c != 'x' && std::islower(static_cast<unsigned char>(c))) return velocity - 22;
    return velocity;
}

bool IsHit(char c) {
    return c != '.' && c != '-';
}

// Calls `play` for every hit of `pattern` inside the chords' spans, with the
// hit's length running over the '-' steps that follow it within the chord.
void ForEachHit(const std::vector<Chord>& chords, std::string_view pattern,
                const std::function<void(const Chord&, char, Tick, Tick)>& play) {
    const auto stepChar = [&](Tick at) { return pattern[(at / kSixteenth) % pattern.size()]; };
    for (const Chord& chord : chords) {
        const Tick end = chord.start + chord.length;
        for (Tick at = chord.start; at < end; at += kSixteenth) {
            const char c = stepChar(at);
            if (!IsHit(c)) continue;
            Tick length = kSixteenth;
            while (at + length < end && stepChar(at + length) == '-') length += kSixteenth;
            play(chord, c, at, length);
        }
    }
}

Tick Gated(Tick length, int percent) {
    return std::max<Tick>(1, length * percent / 100);
}

}  // namespace

Part::Part(const Instrument& instrument) : track_(instrument.name), channel_(instrument.channel) {
    track_.Program(0, channel_, instrument.program);
    track_.Control(0, channel_, kVolume, instrument.volume);
    track_.Control(0, channel_, kPan, instrument.pan);
    track_.Control(0, channel_, kReverb, instrument.reverb);
}

void Part::Note(Tick at, Tick length, int key, int velocity) {
    track_.Note(at, length, channel_, key, ClampVelocity(velocity));
}

void Part::Melody(std::string_view text, Tick start, int bars, int velocity, int gatePercent) {
    const std::vector<MelodyNote> notes = ParseMelody(text, start);
    const Tick end = notes.empty() ? start : notes.back().start + notes.back().length;
    if (end != start + Bar(bars)) {
        throw std::logic_error("melody at tick " + std::to_string(start) + " does not fill " +
                               std::to_string(bars) + " bars");
    }
    for (const MelodyNote& n : notes) {
        if (n.key >= 0)
            Note(n.start, Gated(n.length, gatePercent), n.key, OnBeat(n.start, velocity));
    }
}

void Part::Pads(const std::vector<Chord>& chords, int low, int velocity) {
    for (const Chord& chord : chords) {
        for (int key : CloseVoicing(chord, low)) Note(chord.start, chord.length, key, velocity);
    }
}

void Part::Stabs(const std::vector<Chord>& chords, std::string_view rhythm, int low, int velocity,
                 Voicing voicing) {
    ForEachHit(chords, rhythm, [&](const Chord& chord, char c, Tick at, Tick length) {
        const int root = KeyInRange(chord.root, low);
        const std::vector<int> keys = voicing == Voicing::kPower
                                          ? std::vector<int>{root, root + 7, root + 12}
                                          : CloseVoicing(chord, low);
        for (int key : keys) {
            Note(at, Gated(length, 85), key, OnBeat(at, HitVelocity(c, velocity)));
        }
    });
}

void Part::Arpeggio(const std::vector<Chord>& chords, std::string_view steps, int low,
                    int velocity) {
    ForEachHit(chords, steps, [&](const Chord& chord, char c, Tick at, Tick length) {
        const std::vector<int> keys = SpreadVoicing(chord, low);
        const auto index = static_cast<std::size_t>(c - '0');
        Note(at, Gated(length, 95), keys.at(index), OnBeat(at, velocity));
    });
}

void Part::Bass(const std::vector<Chord>& chords, std::string_view steps, int low, int velocity) {
    ForEachHit(chords, steps, [&](const Chord& chord, char c, Tick at, Tick length) {
        const int bassKey = KeyInRange(chord.bass, low);
        int key = bassKey;
        switch (std::toupper(static_cast<unsigned char>(c))) {
            case 'F':
                key = KeyInRange((chord.root + 7) % 12, bassKey + 1);
                break;
            case 'O':
                key = bassKey + 12;
                break;
            default:
                break;
        }
        Note(at, Gated(length, 90), key, OnBeat(at, HitVelocity(c, velocity)));
    });
}

void Part::Drums(Tick start, int bars,
                 std::initializer_list<std::pair<int, std::string_view>> lines, int velocity) {
    const Tick end = start + static_cast<Tick>(bars) * kBar;
    for (const auto& [key, pattern] : lines) {
        for (Tick at = start; at < end; at += kSixteenth) {
            const char c = pattern[((at - start) / kSixteenth) % pattern.size()];
            if (IsHit(c)) Note(at, kSixteenth, key, HitVelocity(c, velocity));
        }
    }
}

Track MakeConductor(const std::string& title, int beatsPerMinute) {
    Track conductor(title);
    conductor.TimeSignature(0, 4, 4);
    conductor.Tempo(0, beatsPerMinute);
    return conductor;
}

std::vector<std::uint8_t> EncodePiece(const Track& conductor,
                                      std::initializer_list<const Part*> parts, Tick end) {
    std::vector<Track> tracks{conductor};
    for (const Part* part : parts) tracks.push_back(part->AsTrack());
    return EncodeFile(tracks, end);
}

}  // namespace kb::midi
