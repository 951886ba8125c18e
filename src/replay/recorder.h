#pragma once
// Records every match the game plays as a replay. It hears each input as it comes in (the hooks
// of MatchRecorder) and is the game's clock, so that it knows the wall clock's second as every
// step read it: the second is taken once per step, at its first reading, and holds for the
// rest of the step.
#include <functional>
#include <optional>
#include <set>
#include <string>

#include "platform/clock.h"
#include "replay/replay.h"
#include "shell/game.h"
#include "shell/match_recorder.h"

namespace kb {

class Recorder : public MatchRecorder, public Clock {
  public:
    // machine: the clock the game reads through the recorder.
    explicit Recorder(Clock& machine) : machine_(machine) {}
    Recorder(const Recorder&) = delete;
    Recorder& operator=(const Recorder&) = delete;

    // Listens to g from now on. The game must read this recorder as its clock.
    void Attach(Game& g);
    // The program ends: the match being recorded is kept as far as it went.
    void Finish();
    // Whether a match is being recorded.
    bool Recording() const { return recording_; }

    // Each finished replay as text, for the program to keep: the one seam where replays leave.
    std::function<void(const std::string& text)> onRecorded;

    uint32_t TimeGetTime() override { return machine_.TimeGetTime(); }
    int WallSecond() override;
    uint32_t RandomSeed() override { return machine_.RandomSeed(); }
    WallTime Now() override { return machine_.Now(); }

    void Frame() override;
    void KeyDown(int keyCode) override;
    void KeyUp(int keyCode) override;
    void Arrival(const std::string& bytes) override;
    void SendComplete() override;
    void ConnectionRequest() override;
    void SendRefused() override { refused_ = true; }
    void ConsoleCommand(const std::u16string& text) override;
    void MatchStart() override;
    void BackToTitle() override;

  private:
    // A step begins: the one before it is complete and goes into the replay.
    void Step(ReplayStep step);
    // The step under way into the replay, after what the clock did before it.
    void Flush();
    // A step at the replay's end; frames after frames are one count.
    void Add(ReplayStep step);
    // What the game holds that the step about to run will read, in case it starts a match.
    void Snapshot();
    // What the step before has changed that later steps read: the frame rate, and the word
    // list entries the game has come to.
    void NoteAfterStep();
    // Ends the recording; the step under way is kept or left out.
    void End(bool keepStep);
    // A line that says what the match was, for the replay's first comment.
    std::string Note() const;

    Clock& machine_;
    Game* g_ = nullptr;

    // The step under way.
    ReplayStep step_;
    bool stepOpen_ = false;
    bool latched_ = false;  // the second has been read in this step
    int second_ = 0;
    bool refused_ = false;

    ReplayStart snapshot_;  // the game before the step under way
    bool recording_ = false;
    bool first_ = false;  // the step under way started the match
    Replay replay_;
    int lastSecond_ = 0;
    Long lastFps_ = 0;
    long frames_ = 0;
    long overFrames_ = 0;  // frames run since the match was decided
    std::set<int> playerEntries_, computerEntries_;
};

}  // namespace kb
