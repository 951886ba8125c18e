#pragma once
// The music commands' sequencer in a browser page: the page's FluidSynth (web/music.js) plays
// the piece with the desktop's General MIDI bank.
#include <string>

#include "platform/midi_player.h"

namespace kb {

class WebMidiPlayer : public MidiPlayer {
  public:
    bool Open(const std::string& path) override;
    void Play() override;
    void Stop() override;
    void Rewind() override;
    bool Playing() override;
    void Close() override;
};

}  // namespace kb
