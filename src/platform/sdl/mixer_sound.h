#pragma once
// The sound-effect library on SDL_mixer. Every buffer owns one mixer channel, so stopping or
// restarting one buffer never cuts another; a buffer that is still sounding plays on when it
// is played again (the game stops it first when it wants a restart).
//
// Pan -10000..10000 follows a linear balance law: the side a sound leans to stays at full
// level and the other side falls in a straight line to silence at full pan, so a centred
// PlayEx sounds exactly like Play. The frequency is the rate the recorded samples are played
// at: a sound recorded at 22050 Hz and played at 14000 Hz lasts 22050/14000 times as long and
// sounds lower. Each buffer keeps its samples rendered at every rate asked for so far.
#include <cstdint>
#include <map>
#include <memory>

#include "platform/sound.h"

namespace kb {

class MixerSoundDevice : public SoundDevice {
  public:
    // Nothing opens before Initialize.
    MixerSoundDevice();
    ~MixerSoundDevice() override;
    MixerSoundDevice(const MixerSoundDevice&) = delete;
    MixerSoundDevice& operator=(const MixerSoundDevice&) = delete;

    int32_t Initialize() override;
    int32_t CreateBuffer(int32_t device, const uint8_t* image, size_t size, int32_t flags) override;
    void Play(int32_t buffer) override;
    void PlayEx(int32_t buffer, int32_t value, int32_t pan, int32_t frequency) override;
    void Stop(int32_t buffer) override;
    void Free(int32_t buffer) override;
    void Terminate(int32_t device) override;

  private:
    struct Buffer;
    // The buffer of a handle, null for none.
    Buffer* Find(int32_t handle);
    // The lowest mixer channel no buffer owns.
    int UnusedChannel() const;
    // Plays the buffer's samples as rendered for that rate, on its own channel.
    void Start(Buffer& b, int frequency);

    bool open_ = false;
    int32_t lastBuffer_ = 0;
    std::map<int32_t, std::unique_ptr<Buffer>> buffers_;
};

}  // namespace kb
