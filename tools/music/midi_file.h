#pragma once
// A small standard MIDI file writer: format 1, one conductor track for tempo
// and metre, one track per instrument.
#include <cstdint>
#include <string>
#include <vector>

namespace kb::midi {

using Tick = std::uint32_t;

inline constexpr Tick kTicksPerQuarter = 480;
inline constexpr int kDrumChannel = 9;  // channel 10 as players number them

class Track {
  public:
    explicit Track(const std::string& name);

    void Tempo(Tick at, int beatsPerMinute);
    void TimeSignature(Tick at, int numerator, int denominator);
    void Program(Tick at, int channel, int gmProgram);
    void Control(Tick at, int channel, int controller, int value);
    void Note(Tick at, Tick length, int channel, int key, int velocity);

    // The MTrk chunk, closed by end-of-track at `end`. Every event must lie at
    // or before `end` so that looping players restart exactly on the beat.
    std::vector<std::uint8_t> Encode(Tick end) const;

  private:
    // Events at one tick are written meta first, then controls, then note-offs
    // before note-ons, so a repeated key is released before it is struck again.
    enum class Order { kMeta, kControl, kNoteOff, kNoteOn };
    struct Event {
        Tick at;
        Order order;
        std::vector<std::uint8_t> bytes;
    };
    void Add(Tick at, Order order, std::vector<std::uint8_t> bytes);

    std::vector<Event> events_;
};

// The complete file image: header chunk and every track, all ending at `end`.
std::vector<std::uint8_t> EncodeFile(const std::vector<Track>& tracks, Tick end);

}  // namespace kb::midi
