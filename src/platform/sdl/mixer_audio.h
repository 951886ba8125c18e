#pragma once
// The one SDL_mixer output that the sound effects and the music share. Each user opens it and
// closes it again; the device itself closes with the last user. Main thread only.
namespace kb {

// The General MIDI bank of the Debian package timgm6mb-soundfont.
inline constexpr const char* kMidiSoundFont = "/usr/share/sounds/sf2/TimGM6mb.sf2";

// False when there is no audio device: the caller then goes on silent.
bool OpenMixer();
void CloseMixer();

}  // namespace kb
