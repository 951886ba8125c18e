#include "platform/sdl/mixer_audio.h"

#include <SDL.h>
#include <SDL_mixer.h>

namespace kb {

namespace {
int g_users = 0;
}  // namespace

bool OpenMixer() {
    if (g_users > 0) {
        ++g_users;
        return true;
    }
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
    // MIDI must be ready before the device opens: SDL_mixer prepares its MIDI player then.
    // TiMidity is ruled out so that every machine plays through FluidSynth and our bank.
    SDL_SetHint("SDL_MIXER_DISABLE_TIMIDITY", "1");
    SDL_SetHint("SDL_MIXER_DISABLE_NATIVEMIDI", "1");
    Mix_SetSoundFonts(kMidiSoundFont);
    Mix_Init(MIX_INIT_MID);
    if (Mix_OpenAudio(44100, AUDIO_S16SYS, 2, 1024) != 0) {
        Mix_Quit();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    g_users = 1;
    return true;
}

void CloseMixer() {
    if (g_users == 0 || --g_users > 0) return;
    Mix_CloseAudio();
    Mix_Quit();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

}  // namespace kb
