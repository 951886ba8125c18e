#pragma once
// The one SDL_mixer output that the sound effects and the music share. Each user opens it and
// closes it again; the device itself closes with the last user. Main thread only.
#include <cstdint>

namespace kb {

// The General MIDI bank of the Debian package timgm6mb-soundfont.
inline constexpr const char* kMidiSoundFont = "/usr/share/sounds/sf2/TimGM6mb.sf2";

// The rate the output is asked for when it opens: 44100 unless a program says otherwise first
// (the page, whose effects' output runs at their own rate). Its buffers last about 23 ms at any
// rate, so that a sound starts as soon after its key everywhere.
void SetMixerRate(int rate);

// False when there is no audio device: the caller then goes on silent.
bool OpenMixer();
void CloseMixer();

// Frames the output has mixed since the program started, counted on the audio thread as each
// buffer is mixed (a buffer at a time): the clock that music positions are measured on.
uint64_t MixerFramesMixed();

}  // namespace kb
