#pragma once
// The game with everything real but the window and the clock: the typeface, pictures, the
// mixer's sound effects and the music commands, in a program directory of the test's own that
// starts as a copy of the bundled files. Music is synthesised only when a test asks for it
// (loading the sound bank costs seconds under the sanitizers); otherwise pieces are read and
// checked but not played. Tests spoil one file of `dir`, start, play, and check that every
// frame still reached the screen.
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/desktop/mixer_midi_player.h"
#include "platform/mci_commands.h"
#include "platform/midi_player.h"
#include "platform/sdl/mixer_sound.h"
#include "platform/sdl/sdl_images.h"
#include "platform/sdl/ttf_fonts.h"
#include "shell/game.h"
#include "test_game.h"

namespace kb::test {

class WholeGame {
  public:
    explicit WholeGame(bool synthesiseMusic = false);
    bool Start();  // Form_Load
    // Runs n frames 67 ms apart; false when one of them did not reach the screen.
    bool Frames(int n);
    // From the title: the first computer match, past its count-down, typing for a while; then
    // the match ends (if the computer has not ended it already) and the match-over effect and
    // the result screen run. Brief: straight into the match, a few frames of each scene.
    bool PlayAMatch(bool brief = false);
    // The message boxes shown so far, as "TITLE|TEXT".
    std::vector<std::string> Boxes() const;

    TempDir dir;
    TempDir own;  // the player's own folder, empty unless a test puts files there
    VirtualClock clock;
    std::vector<std::string> trace;

  private:
    TtfFontEngine fonts_;
    SdlImageLoader images_;
    MixerSoundDevice sound_;
    SilentMidiPlayer silentMidi_;
    std::unique_ptr<MixerMidiPlayer> mixerMidi_;
    std::unique_ptr<MciMusicDevice> music_;
    int refreshes_ = 0;

  public:
    std::unique_ptr<Game> g;  // last, so it goes before the services it uses
};

}  // namespace kb::test
