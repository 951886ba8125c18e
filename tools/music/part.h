#pragma once
// One instrument of a piece and the ways it can play: melody lines, held
// chords, rhythmic stabs, broken chords, bass figures and drum grooves.
//
// Rhythm patterns have one character per sixteenth and repeat from the start
// of the piece, so a one-bar pattern lines up with every bar. Hits: X accent,
// x normal, o soft ('.' rest, '-' holds the previous hit). Arpeggio patterns
// use digits instead, indexing the chord's spread voicing; bass patterns use
// R (bass note), F (fifth), O (octave), lower case for a softer hit.
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "midi_file.h"
#include "notation.h"

namespace kb::midi {

struct Instrument {
    std::string name;
    int channel;
    int program;  // General MIDI program, 0-based
    int volume;
    int pan;  // 0 left, 64 centre, 127 right
    int reverb;
};

enum class Voicing {
    kClose,  // every chord tone within one octave above `low`
    kPower,  // root, fifth and octave: clean under distortion
};

class Part {
  public:
    explicit Part(const Instrument& instrument);

    const Track& AsTrack() const { return track_; }

    void Note(Tick at, Tick length, int key, int velocity);
    // A line that must fill exactly `bars` bars from `start`. Notes sound for
    // `gatePercent` of their written length, a little louder on the beat.
    void Melody(std::string_view text, Tick start, int bars, int velocity, int gatePercent = 92);
    void Pads(const std::vector<Chord>& chords, int low, int velocity);
    void Stabs(const std::vector<Chord>& chords, std::string_view rhythm, int low, int velocity,
               Voicing voicing = Voicing::kClose);
    void Arpeggio(const std::vector<Chord>& chords, std::string_view steps, int low, int velocity);
    void Bass(const std::vector<Chord>& chords, std::string_view steps, int low, int velocity);
    // `lines` pairs a GM drum key with its pattern; plays `bars` bars from `start`.
    void Drums(Tick start, int bars, std::initializer_list<std::pair<int, std::string_view>> lines,
               int velocity);

  private:
    Track track_;
    int channel_;
};

// The tempo and metre track of a 4/4 piece.
Track MakeConductor(const std::string& title, int beatsPerMinute);
// The file image of a piece: the conductor track, then one track per part.
std::vector<std::uint8_t> EncodePiece(const Track& conductor,
                                      std::initializer_list<const Part*> parts, Tick end);

// General MIDI drum keys used by the pieces.
namespace drum {
inline constexpr int kKick = 36;
inline constexpr int kSideStick = 37;
inline constexpr int kSnare = 38;
inline constexpr int kClap = 39;
inline constexpr int kLowTom = 45;
inline constexpr int kClosedHat = 42;
inline constexpr int kPedalHat = 44;
inline constexpr int kOpenHat = 46;
inline constexpr int kMidTom = 47;
inline constexpr int kHighTom = 50;
inline constexpr int kCrash = 49;
inline constexpr int kRide = 51;
inline constexpr int kTambourine = 54;
inline constexpr int kShaker = 70;  // maracas
}  // namespace drum

}  // namespace kb::midi
