#include "effects.h"

namespace kb::sfx {

std::vector<Effect> all_effects() {
    return {{"fire.wav", make_fire()},   {"exp.wav", make_exp()},
            {"exp2.wav", make_exp2()},   {"spup.wav", make_spup()},
            {"open.wav", make_open()},   {"select.wav", make_select()},
            {"frame.wav", make_frame()}, {"encounter.wav", make_encounter()},
            {"er.wav", make_er()},       {"Hit.wav", make_hit()}};
}

}  // namespace kb::sfx
