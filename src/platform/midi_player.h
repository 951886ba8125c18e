#pragma once
// The MIDI sequencer behind the music commands: one piece at a time.
#include <cstdint>
#include <string>
#include <vector>

namespace kb {

class MidiPlayer {
  public:
    virtual ~MidiPlayer() = default;
    // Takes the piece at path, held at its start; false when it cannot be a MIDI file.
    virtual bool Open(const std::string& path) = 0;
    virtual void Play() = 0;     // from where it stands
    virtual void Stop() = 0;     // holds where it stands
    virtual void Rewind() = 0;   // back to the start, stopped
    virtual bool Playing() = 0;  // asked to play and not yet at its end
    virtual void Close() = 0;
};

// The whole file, when it starts like a standard MIDI file.
bool ReadMidiFile(const std::string& path, std::vector<uint8_t>& bytes);

// How long a standard MIDI file runs as written, in milliseconds: from its start to the end of
// its longest track, through its tempo changes. 0 when the bytes cannot be read as one.
double MidiLengthMs(const std::vector<uint8_t>& bytes);

// Plays nothing and never reaches an end by itself: the headless driver and tests say when a
// piece ends, so that every run takes the same course.
class SilentMidiPlayer : public MidiPlayer {
  public:
    bool Open(const std::string& path) override;
    void Play() override { playing_ = true; }
    void Stop() override { playing_ = false; }
    void Rewind() override { playing_ = false; }
    bool Playing() override { return playing_; }
    void Close() override { playing_ = false; }
    // The open piece has reached its end (the driver says when).
    void EndPiece() { playing_ = false; }

  private:
    bool playing_ = false;
};

}  // namespace kb
