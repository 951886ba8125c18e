#pragma once
// A match against the computer on a word list, the typist playing the player's side: it only
// stops the computer's missiles until `winFrom` frames have run, then fires every word. The
// match is recorded as the window program records it.
#include <string>
#include <string_view>

#include "replay/recorder.h"
#include "replay/typist.h"
#include "shell/form.h"
#include "shell/main_loop.h"
#include "test_game.h"
#include "test_keys.h"

namespace kb::test {

struct LongMatch {
    std::string replay;
    int playSec = 0;  // the match's length as its result screen counts it
    std::u16string result;
    std::string finalState;  // the game as the replay ends, for playing back against
};

// menuNo: the computer's speed, 0 to 4; stateOf: how the final state is told, if at all.
template <typename StateOf>
LongMatch RecordLongMatch(std::string_view words, int menuNo, long winFrom, StateOf stateOf) {
    VirtualClock clock;
    Recorder recorder(clock);
    Services sv;
    sv.clock = &recorder;
    TestGame t(sv);
    recorder.Attach(t.g);
    LongMatch m;
    recorder.onRecorded = [&](const std::string& text) {
        m.replay = text;
        m.finalState = stateOf(t.g);
    };
    t.WriteFile("str.dat", words);
    Form_Load(t.g);
    auto frame = [&] {
        clock.Advance(67);
        FramePass(t.g, clock.TimeGetTime());
    };
    frame();
    for (int i = 0; i < menuNo; ++i) Press(t.g, kVkDown);
    Press(t.g, kVkReturn);
    Typist typist;
    for (long n = 0; n < winFrom * 3 && t.g.s.SceneNo != kSceneOver; ++n) {
        typist.Act(t.g, n, winFrom);
        frame();
    }
    m.playSec = t.g.s.PlaySec;
    m.result = t.g.s.GameResult;
    for (int i = 0; i < 45; ++i) frame();  // the explosion and the wave, then the figures
    recorder.Finish();
    return m;
}

}  // namespace kb::test
