#pragma once
// The music command strings the game sends, interpreted for one MIDI piece under one alias:
//   open "PATH" alias NAME | play NAME | stop NAME | seek NAME to start |
//   status NAME mode (answers "playing" or "stopped") | close NAME
// Keywords and the alias are compared without regard to case. A command to an alias that is
// not open, or one the interpreter does not know, does nothing and returns non-zero.
#include <cstdint>
#include <string>

#include "platform/midi_player.h"
#include "platform/sound.h"

namespace kb {

enum MciResult : int32_t {
    kMciOk = 0,
    kMciUnknownCommand = 1,
    kMciBadArguments = 2,
    kMciNoSuchAlias = 3,
    kMciAliasInUse = 4,
    kMciCannotOpen = 5,
};

class MciMusicDevice : public MusicDevice {
  public:
    // Plays the pieces the commands open on player.
    explicit MciMusicDevice(MidiPlayer& player) : player_(player) {}
    int32_t SendString(const std::string& command, std::string& answer) override;

  private:
    MidiPlayer& player_;
    std::string alias_;  // empty while no piece is open
};

}  // namespace kb
