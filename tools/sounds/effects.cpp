#include "effects.h"

namespace kb::sfx {

std::vector<Effect> AllEffects() {
    return {{"fire.wav", MakeFire()},   {"exp.wav", MakeExp()},
            {"exp2.wav", MakeExp2()},   {"spup.wav", MakeSpup()},
            {"open.wav", MakeOpen()},   {"select.wav", MakeSelect()},
            {"frame.wav", MakeFrame()}, {"encounter.wav", MakeEncounter()},
            {"er.wav", MakeEr()},       {"Hit.wav", MakeHit()}};
}

}  // namespace kb::sfx
