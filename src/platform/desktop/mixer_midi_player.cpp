#include "platform/desktop/mixer_midi_player.h"

#include <chrono>
#include <cmath>
#include <filesystem>

#include "platform/sdl/mixer_audio.h"

namespace kb {

MixerMidiPlayer::MixerMidiPlayer() : worker_([this] { Work(); }) {}

MixerMidiPlayer::~MixerMidiPlayer() {
    {
        std::lock_guard lock(mutex_);
        DropLocked();
        quit_ = true;
    }
    wake_.notify_one();
    worker_.join();
    if (mixerOpen_) CloseMixer();
}

void MixerMidiPlayer::Work() {
    for (;;) {
        Job job;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return quit_ || !jobs_.empty(); });
            if (jobs_.empty()) return;
            job = std::move(jobs_.front());
            jobs_.pop_front();
            if (!job.discard && job.piece != piece_) continue;  // dropped before it began
        }
        if (job.discard) {
            Mix_FreeMusic(job.discard);
            continue;
        }
        const auto begin = std::chrono::steady_clock::now();
        Mix_Music* music = Mix_LoadMUS_RW(
            SDL_RWFromConstMem(job.bytes->data(), static_cast<int>(job.bytes->size())), 1);
        const std::chrono::duration<double, std::milli> took =
            std::chrono::steady_clock::now() - begin;
        std::unique_lock lock(mutex_);
        lastLoadMs_ = took.count();
        if (job.piece != piece_) {
            lock.unlock();
            if (music) Mix_FreeMusic(music);
            continue;
        }
        music_ = music;
        loading_ = false;
        if (music_ && wantPlay_) StartLocked();
    }
}

void MixerMidiPlayer::LoadLocked() {
    ++piece_;
    ++loads_;
    loading_ = true;
    started_ = false;
    paused_ = false;
    jobs_.push_back({piece_, bytes_, nullptr});
    wake_.notify_one();
}

void MixerMidiPlayer::DropLocked() {
    ++piece_;
    loading_ = false;
    wantPlay_ = false;
    started_ = false;
    paused_ = false;
    if (!music_) return;
    Mix_HaltMusic();
    jobs_.push_back({0, nullptr, music_});  // freeing a synthesiser takes a few ms: not here
    music_ = nullptr;
    wake_.notify_one();
}

void MixerMidiPlayer::StartLocked() {
    if (Mix_PlayMusic(music_, 0) != 0) return;
    started_ = true;
    playedFrames_ = 0;
    // Read after the start: a buffer mixed in between makes the end come a buffer late, never
    // early, so no end of a piece is ever cut.
    resumedAt_ = MixerFramesMixed();
}

void MixerMidiPlayer::HoldLocked() {
    playedFrames_ += MixerFramesMixed() - resumedAt_;  // read first: late rather than early
    Mix_PauseMusic();
    paused_ = true;
}

bool MixerMidiPlayer::PastEndLocked() {
    if (endFrame_ == 0 || !started_) return false;
    const uint64_t played = playedFrames_ + (paused_ ? 0 : MixerFramesMixed() - resumedAt_);
    return played >= endFrame_;
}

bool MixerMidiPlayer::Open(const std::string& path) {
    std::vector<uint8_t> bytes;
    std::error_code ec;
    if (!ReadMidiFile(path, bytes) || !std::filesystem::is_regular_file(kMidiSoundFont, ec))
        return false;
    if (!mixerOpen_) mixerOpen_ = OpenMixer();
    if (!mixerOpen_) return false;
    int rate = 0;
    Mix_QuerySpec(&rate, nullptr, nullptr);
    std::lock_guard lock(mutex_);
    DropLocked();
    endFrame_ = static_cast<uint64_t>(std::llround(MidiLengthMs(bytes) * rate / 1000));
    bytes_ = std::make_shared<const std::vector<uint8_t>>(std::move(bytes));
    LoadLocked();
    return true;
}

void MixerMidiPlayer::Play() {
    std::lock_guard lock(mutex_);
    wantPlay_ = true;
    if (!music_) return;  // starts when the load is done (or never, if it failed)
    if (paused_) {
        Mix_ResumeMusic();
        resumedAt_ = MixerFramesMixed();
        paused_ = false;
    } else if (!Mix_PlayingMusic()) {
        StartLocked();
    }
}

void MixerMidiPlayer::Stop() {
    std::lock_guard lock(mutex_);
    wantPlay_ = false;
    if (music_ && !paused_ && Mix_PlayingMusic()) HoldLocked();
}

void MixerMidiPlayer::Rewind() {
    std::lock_guard lock(mutex_);
    wantPlay_ = false;
    if (!started_) return;  // still at its start
    if (music_ && (PastEndLocked() || (!paused_ && !Mix_PlayingMusic()))) {
        // Over: halted there, FluidSynth has nothing left to play of it, and the next play
        // starts it from the top on the same synthesiser.
        Mix_HaltMusic();
        paused_ = false;
        started_ = false;
        return;
    }
    DropLocked();  // part-way: no seeking, so loaded afresh
    LoadLocked();
}

bool MixerMidiPlayer::Playing() {
    std::lock_guard lock(mutex_);
    if (!wantPlay_) return false;
    return loading_ || (music_ && !paused_ && Mix_PlayingMusic() && !PastEndLocked());
}

void MixerMidiPlayer::Close() {
    std::lock_guard lock(mutex_);
    DropLocked();
    bytes_.reset();
}

double MixerMidiPlayer::LastLoadMilliseconds() {
    std::lock_guard lock(mutex_);
    return lastLoadMs_;
}

int MixerMidiPlayer::Loads() {
    std::lock_guard lock(mutex_);
    return loads_;
}

}  // namespace kb
