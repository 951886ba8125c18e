// Placeholders until sound and music land.
#include "audio/music.h"
#include "audio/sound_effects.h"

namespace kb {
void SndInit(Game&) {}
int32_t SndLoad(Game&, const std::string&, int32_t) { return 0; }
void SndPlayEx(Game&, int32_t, int32_t, int32_t, int32_t) {}
void SndTerm(Game&) {}
void SndError(Game&, const std::u16string&) {}
void seInit(Game&) {}
void PlaySe(Game&, int, int) {}
void PlayNormal(Game&, int) {}
void StopSe(Game&, int) {}
void FreeSounds(Game&) {}
void MusicPlay(Game&, const std::string&) {}
void MusicPause(Game&) {}
void MusicLoop(Game&) {}
void MusicClose(Game&) {}
}  // namespace kb
