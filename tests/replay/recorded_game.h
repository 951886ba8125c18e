#pragma once
// A game in the test's process whose matches are recorded as the window program records them:
// the recorder is its clock (over a virtual one) and hears its every input. It is started as
// the window starts (Form_Load, on the words written into its directory), runs frames 67 ms
// apart as the loop does, and keeps the state of every frame as the driver prints it.
#include <string>
#include <string_view>
#include <vector>

#include "app/sim_state.h"
#include "platform/clock.h"
#include "replay/recorder.h"
#include "shell/form.h"
#include "shell/main_loop.h"
#include "test_game.h"

namespace kb::test {

class RecordedGame {
  public:
    // extra: services of the test's own (sockets); words: str.dat, none when empty.
    explicit RecordedGame(Services extra = {}, std::string_view words = {})
        : t(WithRecorder(std::move(extra))) {
        recorder.Attach(t.g);
        recorder.onRecorded = [this](const std::string& text) { replays.push_back(text); };
        if (!words.empty()) t.WriteFile("str.dat", words);
        started = Form_Load(t.g);
    }

    // One frame, as the loop runs it 67 ms after the last; its state is kept.
    void Frame() {
        clock.Advance(67);
        FramePass(t.g, clock.TimeGetTime());
        states.push_back(StateJson(t.g));
    }
    // n frames.
    void Frames(int n) {
        for (int i = 0; i < n; ++i) Frame();
    }
    // The last replay recorded; empty for none.
    std::string LastReplay() const { return replays.empty() ? "" : replays.back(); }

    VirtualClock clock;
    Recorder recorder{clock};
    TestGame t;
    bool started = false;
    std::vector<std::string> replays;
    std::vector<std::string> states;

  private:
    Services WithRecorder(Services sv) {
        sv.clock = &recorder;
        return sv;
    }
};

}  // namespace kb::test
