#pragma once
// Watching a replay: its frames paced in real time at 1x, 2x or 4x, paused, stepped, skipped
// ahead, left with Escape. The watcher's keys steer the watching and never reach the game:
// the game's keys are the recorded ones.
#include <cstdint>
#include <string>

#include "replay/playback.h"
#include "screens/surface.h"

namespace kb {

class ReplayViewer {
  public:
    explicit ReplayViewer(Playback& p) : p_(p) {}

    // A key pressed while watching (a Windows virtual-key code): Space pauses and goes on,
    // 1, 2 and 4 set the speed, Right runs one frame while paused, End skips to the match's
    // end (and, once there, to the replay's), Escape leaves.
    void KeyDown(int keyCode);
    // Runs the frames that are due at real time now (milliseconds); returns how long until the
    // next one is.
    uint32_t Tick(uint32_t now);

    bool Closed() const { return closed_; }
    bool Paused() const { return paused_; }
    int Speed() const { return speed_; }
    // What the watcher is told in the corner of the picture.
    std::u16string Status() const;

  private:
    // Times the frames from now on afresh: after a pause, a change of speed or a skip.
    void Rebase() { based_ = false; }

    Playback& p_;
    int speed_ = 1;
    bool paused_ = false;
    bool closed_ = false;
    bool based_ = false;
    uint32_t origin_ = 0;  // real time of the frame count below
    long originFrame_ = 0;
};

// The picture of the replay with the status in its top right corner, on a copy: the game's
// own picture stays exactly as the match showed it.
void ComposeWithStatus(const Surface& display, std::u16string_view status, Surface& out);

}  // namespace kb
