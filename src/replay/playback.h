#pragma once
// Plays a replay in a game of its own: the same routines, screens and sounds as the match had,
// fed the recorded steps in their order, on a clock that shows the recorded seconds. Nothing
// goes on the network: its connection takes every message and sends none.
#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "platform/dialogs.h"
#include "platform/fonts.h"
#include "platform/socket_control.h"
#include "platform/sound.h"
#include "replay/replay.h"
#include "shell/game.h"

namespace kb {

// The clock of a replay: the recorded second, and time that moves a frame interval a frame.
class ReplayClock : public Clock {
  public:
    uint32_t TimeGetTime() override { return now_; }
    int WallSecond() override { return second_; }
    uint32_t RandomSeed() override { return 0; }
    // A date for what the game keeps of the match, which a replay keeps nowhere.
    WallTime Now() override { return {}; }
    void Advance(uint32_t ms) { now_ += ms; }         // a frame interval on
    void SetSecond(int second) { second_ = second; }  // the second the clock now shows

  private:
    uint32_t now_ = 3600000;
    int second_ = 0;
};

// The connection of a replay: the recorded bytes come in, and what the game sends goes nowhere;
// a send the recording saw refused is refused again.
class ReplaySocket : public NullSocketControl {
  public:
    bool SendData(const std::string&) override { return !std::exchange(refuseNext_, false); }
    std::string GetData() override { return std::exchange(incoming_, {}); }
    SocketState State() const override { return SocketState::kConnected; }
    std::string LocalIP() override { return {}; }

    void Receive(std::string bytes) { incoming_ = std::move(bytes); }  // what GetData gives
    void RefuseNext() { refuseNext_ = true; }                          // the next SendData fails

  private:
    std::string incoming_;
    bool refuseNext_ = false;
};

class Playback {
  public:
    // base: what the machine lends the game being played (typeface, pictures, sound, music,
    // the program's files, the trace); its clock, sockets and windows are the replay's own.
    Playback(Replay replay, Services base);
    ~Playback();
    Playback(const Playback&) = delete;
    Playback& operator=(const Playback&) = delete;

    // Loads the game as the recording found it and runs the step that began the match. False,
    // with the reason, when the game cannot start or the replay does not begin a match.
    bool Start(std::string& why);
    // Runs the steps up to and including the next frame. False when no frame is left.
    bool NextFrame();
    // Runs every step before step number `step` of the replay (a run of frames is one step).
    void RunTo(size_t step);
    // Jumps ahead, the skipped frames unseen and unheard, and shows the landing frame in full:
    // to the first frame after the match was decided, or to the last frame when it never was.
    void SkipToDecision();
    // The same, to the last frame.
    void SkipToEnd();

    bool AtEnd() const;
    long FramesRun() const { return framesRun_; }
    long FramesTotal() const { return framesTotal_; }
    Game& game() { return *game_; }
    // Called after every frame that runs.
    std::function<void()> onFrame;

  private:
    class Watch;
    class Quiet;
    // A step other than a frame, done as the game met it.
    void RunStep(const ReplayStep& s);
    // One frame on the replay's clock, and the frame rate measured at its end.
    void RunFrame();
    // The replay's entries into the word list; false, with the reason, when the list the
    // game comes with is not the one the replay names entries of.
    bool LoadWords(std::string& why);
    void LoadStart();
    // Frames run unseen while `more` holds and more than one frame is left; then one in full.
    void SkipWhile(const std::function<bool()>& more);

    Replay replay_;
    Services base_;
    ReplayClock clock_;
    ReplaySocket winsock_, winsockL_;
    NullDialogs dialogs_;
    NullFontEngine quietFonts_;
    SilentSoundDevice quietSound_;
    std::unique_ptr<Watch> watch_;
    std::unique_ptr<Game> game_;
    size_t step_ = 0;      // the next step to run
    long doneInStep_ = 0;  // frames of it already run, when it is a run of frames
    long framesRun_ = 0;
    long framesTotal_ = 0;
};

}  // namespace kb
