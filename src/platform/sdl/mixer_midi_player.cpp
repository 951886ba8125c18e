#include "platform/sdl/mixer_midi_player.h"

#include <chrono>
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
    if (Mix_PlayMusic(music_, 0) == 0) started_ = true;
}

bool MixerMidiPlayer::Open(const std::string& path) {
    std::vector<uint8_t> bytes;
    std::error_code ec;
    if (!ReadMidiFile(path, bytes) || !std::filesystem::is_regular_file(kMidiSoundFont, ec))
        return false;
    if (!mixerOpen_) mixerOpen_ = OpenMixer();
    if (!mixerOpen_) return false;
    std::lock_guard lock(mutex_);
    DropLocked();
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
        paused_ = false;
    } else if (!Mix_PlayingMusic()) {
        StartLocked();
    }
}

void MixerMidiPlayer::Stop() {
    std::lock_guard lock(mutex_);
    wantPlay_ = false;
    if (music_ && !paused_ && Mix_PlayingMusic()) {
        Mix_PauseMusic();
        paused_ = true;
    }
}

void MixerMidiPlayer::Rewind() {
    std::lock_guard lock(mutex_);
    wantPlay_ = false;
    if (!started_) return;  // still at its start
    DropLocked();
    LoadLocked();
}

bool MixerMidiPlayer::Playing() {
    std::lock_guard lock(mutex_);
    if (!wantPlay_) return false;
    return loading_ || (music_ && !paused_ && Mix_PlayingMusic());
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

}  // namespace kb
