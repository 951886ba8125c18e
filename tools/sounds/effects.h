#pragma once
// The game's ten sound effects, each rendered as 16-bit samples at 22050 Hz.
//
// Launch, explosions and power-up are played back at 14000 Hz (about eight
// semitones lower and 1.6 times longer than written), so they are written
// brighter and quicker than they should sound. The other six play at their
// own rate.
#include <cstdint>
#include <string>
#include <vector>

namespace kb::sfx {

struct Effect {
    std::string file;
    std::vector<std::int16_t> samples;
};

std::vector<std::int16_t> make_fire();       // launch whoosh
std::vector<std::int16_t> make_exp();        // two missiles collide
std::vector<std::int16_t> make_exp2();       // a missile reaches a base
std::vector<std::int16_t> make_spup();       // a flying missile speeds up
std::vector<std::int16_t> make_open();       // the speed level rises
std::vector<std::int16_t> make_select();     // menu or lane cursor moves
std::vector<std::int16_t> make_frame();      // match start
std::vector<std::int16_t> make_encounter();  // a network match starts
std::vector<std::int16_t> make_er();         // typing miss
std::vector<std::int16_t> make_hit();        // each accepted kana

// All ten, under the file names the game loads.
std::vector<Effect> all_effects();

}  // namespace kb::sfx
