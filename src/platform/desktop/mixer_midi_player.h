#pragma once
// MIDI pieces played by SDL_mixer through FluidSynth with the General MIDI bank.
//
// Loading a piece builds a whole synthesiser with the bank (25 to 230 ms here), longer than a
// frame may take, so a worker thread loads it while the game goes on; a piece asked to play
// before it is ready starts as soon as it is, and counts as playing meanwhile.
//
// A piece ends at its written end, measured on the output's mixed frames. FluidSynth itself
// reports a piece playing until its last voice has died away (6 to 9 s past the end of the
// match pieces), which would be as long a silence before every loop. A rewind at or
// after the end keeps the synthesiser, and the next play starts it from the top at once. This
// SDL_mixer's FluidSynth player cannot seek, so a rewind part-way (never made by the game's own
// commands) loads the piece afresh from the bytes kept since it was opened. Everything but
// loading and freeing runs on the caller's thread, and every call returns within a few
// milliseconds.
#include <SDL_mixer.h>

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/midi_player.h"

namespace kb {

class MixerMidiPlayer : public MidiPlayer {
  public:
    // Starts the worker that loads and frees the synthesisers.
    MixerMidiPlayer();
    ~MixerMidiPlayer() override;
    MixerMidiPlayer(const MixerMidiPlayer&) = delete;
    MixerMidiPlayer& operator=(const MixerMidiPlayer&) = delete;

    // False as well when there is no audio device or no bank to play with.
    bool Open(const std::string& path) override;
    void Play() override;
    void Stop() override;
    void Rewind() override;
    bool Playing() override;
    void Close() override;

    // How long the last finished load took on the worker, in milliseconds.
    double LastLoadMilliseconds();
    // Loads begun since the player was made.
    int Loads();

  private:
    struct Job {
        uint64_t piece = 0;                                 // load this piece ...
        std::shared_ptr<const std::vector<uint8_t>> bytes;  // ... from these bytes
        Mix_Music* discard = nullptr;                       // or free this one
    };
    // The worker: loads the pieces and frees the synthesisers it is handed, in turn.
    void Work();
    // Hands the open piece to the worker to load (as a piece of its own).
    void LoadLocked();
    // Stops the piece and hands its synthesiser to the worker to free.
    void DropLocked();
    // Starts the loaded piece from its top and counts its frames from now.
    void StartLocked();
    // Pauses the piece where it is, keeping the frames it has played.
    void HoldLocked();
    // Whether the piece has played up to its written end.
    bool PastEndLocked();

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Job> jobs_;
    bool quit_ = false;

    bool mixerOpen_ = false;
    uint64_t piece_ = 0;  // counts loads; a load finished for an older one is thrown away
    std::shared_ptr<const std::vector<uint8_t>> bytes_;
    Mix_Music* music_ = nullptr;
    bool loading_ = false;
    bool wantPlay_ = false;
    bool started_ = false;  // it has sounded since it was loaded, so is no longer at its start
    bool paused_ = false;
    double lastLoadMs_ = 0;
    int loads_ = 0;

    // Where the piece stands, in frames of the output's clock (MixerFramesMixed).
    uint64_t endFrame_ = 0;      // its written length; 0 when unknown (FluidSynth then says)
    uint64_t playedFrames_ = 0;  // sounded before the last pause
    uint64_t resumedAt_ = 0;     // the clock when it last started or resumed

    std::thread worker_;  // last: it starts once everything above exists
};

}  // namespace kb
