#pragma once
// A started game for the battle tests: virtual clock, a program directory with nothing in it
// (so no music or word list is found), and every traced effect line kept in order.
#include <string>
#include <string_view>
#include <vector>

#include "platform/clock.h"
#include "shell/form.h"
#include "shell/game.h"

namespace kb::test {

class BattleGame {
  public:
    BattleGame() : g(MakeServices()) { Form_Load(g); }

    // Puts the game in the middle of a match with empty tables.
    void StartMatch(Long mode, Long fps = 15) {
        g.s.SceneNo = kSceneMatch;
        g.s.GameMode = mode;
        g.s.StartCount = 0;
        g.s.SpeedBonus = 0;
        g.loop.Fps = fps;
        for (auto* table : {&g.s.MyMisState, &g.s.MyMisX, &g.s.MyMisY, &g.s.MyMisPower,
                            &g.s.EnMisState, &g.s.EnMisX, &g.s.EnMisY, &g.s.EnMisPower})
            table->fill(0);
    }

    VirtualClock clock;
    std::vector<std::string> trace;
    Game g;

  private:
    Services MakeServices() {
        Services sv;
        sv.clock = &clock;
        sv.programDir = "/nonexistent/kanaburst-battle-test";
        sv.trace = [this](std::string_view line) { trace.emplace_back(line); };
        return sv;
    }
};

}  // namespace kb::test
