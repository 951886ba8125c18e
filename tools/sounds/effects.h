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

std::vector<std::int16_t> MakeFire();       // launch whoosh
std::vector<std::int16_t> MakeExp();        // two missiles collide
std::vector<std::int16_t> MakeExp2();       // a missile reaches a base
std::vector<std::int16_t> MakeSpup();       // a flying missile speeds up
std::vector<std::int16_t> MakeOpen();       // the speed level rises
std::vector<std::int16_t> MakeSelect();     // menu or lane cursor moves
std::vector<std::int16_t> MakeFrame();      // match start
std::vector<std::int16_t> MakeEncounter();  // a network match starts
std::vector<std::int16_t> MakeEr();         // typing miss
std::vector<std::int16_t> MakeHit();        // each accepted kana

// All ten, under the file names the game loads.
std::vector<Effect> AllEffects();

}  // namespace kb::sfx
