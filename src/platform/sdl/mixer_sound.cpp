#include "platform/sdl/mixer_sound.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <vector>

#include "platform/sdl/mixer_audio.h"

namespace kb {

namespace {

constexpr int32_t kDevice = 1;
// The range of playback rates the original library accepted.
constexpr int kMinFrequency = 100;
constexpr int kMaxFrequency = 200000;

// Samples in the device's format, and the chunk that plays them (it does not own them).
struct Rendering {
    std::vector<uint8_t> samples;
    Mix_Chunk* chunk = nullptr;
    Rendering() = default;
    Rendering(const Rendering&) = delete;
    Rendering& operator=(const Rendering&) = delete;
    ~Rendering() {
        if (chunk) Mix_FreeChunk(chunk);
    }
};

bool IsWaveImage(const uint8_t* image, size_t size) {
    return image && size >= 12 && size <= INT_MAX && std::memcmp(image, "RIFF", 4) == 0 &&
           std::memcmp(image + 8, "WAVE", 4) == 0;
}

void SetPan(int channel, int32_t pan) {
    pan = std::clamp(pan, -10000, 10000);
    const auto level = [](int32_t away) {
        return static_cast<Uint8>((255 * (10000 - away) + 5000) / 10000);
    };
    Mix_SetPanning(channel, level(std::max(pan, 0)), level(std::max(-pan, 0)));
}

}  // namespace

struct MixerSoundDevice::Buffer {
    SDL_AudioSpec recorded{};  // the wave as recorded
    std::vector<uint8_t> pcm;  // our own copy of the recorded samples
    int channel = 0;
    std::map<int, std::unique_ptr<Rendering>> byFrequency;

    // The samples as they sound when played at frequency, made on first use.
    Rendering* At(int frequency) {
        auto& slot = byFrequency[frequency];
        if (slot) return slot.get();
        int rate = 0, channels = 0;
        Uint16 format = 0;
        if (!Mix_QuerySpec(&rate, &format, &channels)) return nullptr;
        // Whole-buffer conversion: SDL's streaming resampler drops the last few hundred
        // frames of a sound.
        SDL_AudioCVT cvt;
        if (SDL_BuildAudioCVT(&cvt, recorded.format, recorded.channels, frequency, format,
                              static_cast<Uint8>(channels), rate) < 0)
            return nullptr;
        auto r = std::make_unique<Rendering>();
        r->samples.resize(pcm.size() * static_cast<size_t>(cvt.len_mult));
        std::copy(pcm.begin(), pcm.end(), r->samples.begin());
        cvt.buf = r->samples.data();
        cvt.len = static_cast<int>(pcm.size());
        if (SDL_ConvertAudio(&cvt) < 0) return nullptr;
        r->samples.resize(static_cast<size_t>(cvt.len_cvt));
        if (r->samples.empty()) return nullptr;
        r->chunk = Mix_QuickLoad_RAW(r->samples.data(), static_cast<Uint32>(r->samples.size()));
        if (!r->chunk) return nullptr;
        slot = std::move(r);
        return slot.get();
    }
};

MixerSoundDevice::MixerSoundDevice() = default;

MixerSoundDevice::~MixerSoundDevice() {
    Terminate(kDevice);
}

int32_t MixerSoundDevice::Initialize() {
    if (!open_) open_ = OpenMixer();
    return open_ ? kDevice : 0;
}

int32_t MixerSoundDevice::CreateBuffer(int32_t device, const uint8_t* image, size_t size,
                                       int32_t /*flags: nothing depends on them*/) {
    if (!open_ || device != kDevice || !IsWaveImage(image, size)) return 0;
    SDL_AudioSpec recorded{};
    Uint8* data = nullptr;
    Uint32 length = 0;
    SDL_RWops* rw = SDL_RWFromConstMem(image, static_cast<int>(size));
    if (!rw || !SDL_LoadWAV_RW(rw, 1, &recorded, &data, &length)) return 0;
    auto b = std::make_unique<Buffer>();
    b->recorded = recorded;
    b->pcm.assign(data, data + length);
    SDL_FreeWAV(data);
    if (b->pcm.empty() || !b->At(recorded.freq)) return 0;
    b->channel = UnusedChannel();
    if (b->channel >= Mix_AllocateChannels(-1)) Mix_AllocateChannels(b->channel + 16);
    buffers_[++lastBuffer_] = std::move(b);
    return lastBuffer_;
}

MixerSoundDevice::Buffer* MixerSoundDevice::Find(int32_t handle) {
    const auto it = buffers_.find(handle);
    return it == buffers_.end() ? nullptr : it->second.get();
}

int MixerSoundDevice::UnusedChannel() const {
    std::vector<bool> used(buffers_.size() + 1, false);
    for (const auto& [handle, b] : buffers_)
        if (b->channel < static_cast<int>(used.size()))
            used[static_cast<size_t>(b->channel)] = true;
    return static_cast<int>(std::find(used.begin(), used.end(), false) - used.begin());
}

void MixerSoundDevice::Start(Buffer& b, int frequency) {
    if (Rendering* r = b.At(frequency)) Mix_PlayChannel(b.channel, r->chunk, 0);
}

void MixerSoundDevice::Play(int32_t buffer) {
    Buffer* b = Find(buffer);
    if (!b || Mix_Playing(b->channel)) return;
    SetPan(b->channel, 0);
    Start(*b, b->recorded.freq);
}

void MixerSoundDevice::PlayEx(int32_t buffer, int32_t /*value: unused*/, int32_t pan,
                              int32_t frequency) {
    Buffer* b = Find(buffer);
    if (!b) return;
    SetPan(b->channel, pan);  // a sounding buffer takes the new pan at once and plays on
    if (!Mix_Playing(b->channel)) Start(*b, std::clamp(frequency, kMinFrequency, kMaxFrequency));
}

void MixerSoundDevice::Stop(int32_t buffer) {
    if (Buffer* b = Find(buffer)) Mix_HaltChannel(b->channel);
}

void MixerSoundDevice::Free(int32_t buffer) {
    Buffer* b = Find(buffer);
    if (!b) return;
    Mix_HaltChannel(b->channel);
    buffers_.erase(buffer);
}

void MixerSoundDevice::Terminate(int32_t device) {
    if (!open_ || device != kDevice) return;
    for (const auto& [handle, b] : buffers_) Mix_HaltChannel(b->channel);
    buffers_.clear();
    CloseMixer();
    open_ = false;
}

}  // namespace kb
