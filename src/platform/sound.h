#pragma once
// The sound-effect library the game plays its wave slots through. Handles are 32-bit;
// handle 0 means "nothing" and every operation ignores it.
#include <cstddef>
#include <cstdint>
#include <string>

namespace kb {

class SoundDevice {
  public:
    virtual ~SoundDevice() = default;
    virtual int32_t Initialize() = 0;  // device handle, 0 on failure
    // A playable buffer from a whole wave file image; the device keeps its own copy.
    virtual int32_t CreateBuffer(int32_t device, const uint8_t* image, size_t size,
                                 int32_t flags) = 0;
    // Plays the buffer centred, at its recorded frequency; nothing while it still plays.
    virtual void Play(int32_t buffer) = 0;
    // pan -10000 (left) .. 10000 (right); frequency in hertz.
    virtual void PlayEx(int32_t buffer, int32_t value, int32_t pan, int32_t frequency) = 0;
    // Stops the buffer where it is; nothing when it is silent.
    virtual void Stop(int32_t buffer) = 0;
    // Forgets the buffer; its handle names nothing afterwards.
    virtual void Free(int32_t buffer) = 0;
    // Closes the device and every buffer still on it.
    virtual void Terminate(int32_t device) = 0;
};

// Hands out handles and plays nothing: the headless driver and tests use it.
class SilentSoundDevice : public SoundDevice {
  public:
    int32_t Initialize() override { return 1; }
    int32_t CreateBuffer(int32_t device, const uint8_t*, size_t size, int32_t) override {
        return device != 0 && size > 0 ? ++last_ : 0;
    }
    void Play(int32_t) override {}
    void PlayEx(int32_t, int32_t, int32_t, int32_t) override {}
    void Stop(int32_t) override {}
    void Free(int32_t) override {}
    void Terminate(int32_t) override {}

  private:
    int32_t last_ = 0;
};

// The music command interface: text commands such as "play Media"; returns 0 on success.
class MusicDevice {
  public:
    virtual ~MusicDevice() = default;
    // Runs one command; answer holds what a query returns.
    virtual int32_t SendString(const std::string& command, std::string& answer) = 0;
};

class NullMusicDevice : public MusicDevice {
  public:
    int32_t SendString(const std::string&, std::string& answer) override {
        answer.clear();
        return 1;
    }
};

}  // namespace kb
