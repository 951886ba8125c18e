#pragma once
// Text notation for writing the pieces compactly in code.
//
// Melody:  "E5:4 C#5:2 r:2 Bb4:8"  note name with octave (C4 = 60) or r for a
//          rest, then the length in sixteenths.
// Chords:  "Am7 F:2 G7:2 C/E"      root, quality, optional /bass, then the
//          length in beats (default a whole 4/4 bar). Qualities: "" m 7 maj7
//          m7 6 m6 sus2 sus4 7sus4 add9 dim dim7 m7b5 aug.
#include <string_view>
#include <vector>

#include "midi_file.h"

namespace kb::midi {

inline constexpr Tick kSixteenth = kTicksPerQuarter / 4;
inline constexpr Tick kBeat = kTicksPerQuarter;
inline constexpr Tick kBar = 4 * kBeat;

constexpr Tick Bar(int index) {
    return static_cast<Tick>(index) * kBar;
}

struct MelodyNote {
    int key;  // -1 for a rest
    Tick start;
    Tick length;
};

struct Chord {
    int root;                  // pitch class 0 (C) to 11 (B)
    int bass;                  // pitch class of the lowest note
    std::vector<int> classes;  // pitch classes from the root upwards, root first
    Tick start;
    Tick length;
};

int KeyNumber(std::string_view name);
std::vector<MelodyNote> ParseMelody(std::string_view text, Tick start);
std::vector<Chord> ParseChords(std::string_view text, Tick start);

// The chord's pitch classes as keys in [low, low + 12), lowest first.
std::vector<int> CloseVoicing(const Chord& chord, int low);
// Root in [low, low + 12), then the chord tones upwards over three octaves.
std::vector<int> SpreadVoicing(const Chord& chord, int low);
// The pitch class `pc` as the key in [low, low + 12).
int KeyInRange(int pc, int low);

}  // namespace kb::midi
