#include "platform/sdl/mixer_audio.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <atomic>

namespace kb {

namespace {
int mixerUsers = 0;
int g_rate = 44100;
int g_bytesPerFrame = 4;
std::atomic<uint64_t> g_framesMixed{0};

// Runs on the audio thread after each mix, with the mixer's lock held: nothing but the count.
void CountFrames(int, void*, int len, void*) {
    g_framesMixed.fetch_add(static_cast<uint64_t>(len / g_bytesPerFrame));
}
// The power of two nearest to 1024 frames at 44100 a second, at this rate.
int BufferFrames(int rate) {
    const double wanted = 1024.0 * rate / 44100;
    int frames = 256;
    while (frames < 16384 && frames * 1.5 < wanted) frames *= 2;
    return frames;
}
}  // namespace

void SetMixerRate(int rate) {
    g_rate = rate;
}

bool OpenMixer() {
    if (mixerUsers > 0) {
        ++mixerUsers;
        return true;
    }
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
    // MIDI must be ready before the device opens: SDL_mixer prepares its MIDI player then.
    // TiMidity is ruled out so that every machine plays through FluidSynth and our bank.
    SDL_SetHint("SDL_MIXER_DISABLE_TIMIDITY", "1");
    SDL_SetHint("SDL_MIXER_DISABLE_NATIVEMIDI", "1");
    Mix_SetSoundFonts(kMidiSoundFont);
    Mix_Init(MIX_INIT_MID);
    if (Mix_OpenAudio(g_rate, AUDIO_S16SYS, 2, BufferFrames(g_rate)) != 0) {
        Mix_Quit();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    int rate = 0, channels = 0;
    Uint16 format = 0;
    Mix_QuerySpec(&rate, &format, &channels);
    g_bytesPerFrame = SDL_AUDIO_BITSIZE(format) / 8 * channels;
    Mix_RegisterEffect(MIX_CHANNEL_POST, CountFrames, nullptr, nullptr);
    mixerUsers = 1;
    return true;
}

void CloseMixer() {
    if (mixerUsers == 0 || --mixerUsers > 0) return;
    Mix_UnregisterEffect(MIX_CHANNEL_POST, CountFrames);
    Mix_CloseAudio();
    Mix_Quit();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

uint64_t MixerFramesMixed() {
    return g_framesMixed.load();
}

}  // namespace kb
