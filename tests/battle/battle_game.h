#pragma once
// A started game for the battle tests, on the shared test fixture (empty program directory,
// virtual clock, every traced effect line kept).
#include "shell/form.h"
#include "test_game.h"

namespace kb::test {

class BattleGame : public TestGame {
  public:
    BattleGame() { Form_Load(g); }

    // Puts the fresh game in the middle of a match, with nothing traced so far.
    void StartMatch(Long mode, Long fps = 15) {
        g.s.SceneNo = kSceneMatch;
        g.s.GameMode = mode;
        g.s.StartCount = 0;
        g.s.SpeedBonus = 0;
        g.loop.Fps = fps;
        trace.clear();
    }

    // The messages queued for the peer, in order (the first is the one on the wire).
    std::vector<std::u16string> Queued() const {
        std::vector<std::u16string> out;
        for (const auto& m : g.s.SendList)
            if (!m.empty()) out.push_back(m);
        return out;
    }
};

}  // namespace kb::test
