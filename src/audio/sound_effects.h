#pragma once
// Sound-effect slots on the sound library.
#include <cstdint>
#include <string>

#include "shell/game.h"

namespace kb {

// The slots of SeBuf that seInit fills, by what they sound for. Launches and power-ups have a
// slot per side, both loaded from one file, so that the two sides' sounds do not cut each
// other off.
inline constexpr int kSeMyLaunch = 0;      // fire.wav: the player launches a missile
inline constexpr int kSeEnLaunch = 1;      // fire.wav: the opponent launches one
inline constexpr int kSeCollision = 2;     // exp.wav: two missiles meet in a lane
inline constexpr int kSeBaseHit = 3;       // exp2.wav: a missile gets through to a base
inline constexpr int kSeMyPowerUp = 4;     // spup.wav: the player's flying missile speeds up
inline constexpr int kSeEnPowerUp = 5;     // spup.wav: the opponent's flying missile speeds up
inline constexpr int kSeSpeedUp = 6;       // open.wav: every missile gets faster
inline constexpr int kSeMove = 7;          // select.wav: Up or Down moves the cursor or the lane
inline constexpr int kSeMatchStart = 8;    // frame.wav: every match start
inline constexpr int kSeNetworkStart = 9;  // encounter.wav: a network match starts
inline constexpr int kSeMiss = 10;         // er.wav: a typing miss, a change of difficulty
// Hit.wav, one accepted kana: five copies played in turn, so that quick keystrokes overlap
// instead of cutting each other off.
inline constexpr int kSeHitFirst = 11;
inline constexpr int kSeHitSlots = 5;
inline constexpr int kSeLoadedSlots = 16;  // slots 0..15; the others stay empty

// Pans for PlaySe, from full left to full right: the player's events sound on the right, the
// opponent's on the left.
inline constexpr int kPanFullLeft = -10000;
inline constexpr int kPanFullRight = 10000;
inline constexpr int kPanEnBase = -8000;  // the player's missile hits the base on the left
inline constexpr int kPanMyBase = 8000;   // the opponent's missile hits the base on the right

// Starts the sound library at start-up; without a device it says so once and the game is silent.
void SndInit(Game& g);
// Loads a wave file into a buffer: its handle, or 0 for a file that is missing (silently) or
// cannot be read (with the library's box).
int32_t SndLoad(Game& g, const std::string& path, int32_t flags);
// Plays a buffer at a pan and at the base rate moved by shift hertz.
void SndPlayEx(Game& g, int32_t handle, int32_t value, int32_t pan, int32_t shift);
// Shuts the library down, if it started.
void SndTerm(Game& g);
// The sound library's message box.
void SndError(Game& g, const std::u16string& text);
// Fills slots 0 to 15 from their wave files at start-up.
void seInit(Game& g);
// Plays a slot panned to one side at the game's lowered rate (launches, hits, collisions).
void PlaySe(Game& g, int slot, int pan);
// Plays a slot centred at its own rate (keys, menu, match starts).
void PlayNormal(Game& g, int slot);
// Stops a slot's buffer so that playing it again restarts the sound.
void StopSe(Game& g, int slot);
// Frees the loaded slots up to the first empty one, then shuts the library down.
void FreeSounds(Game& g);

}  // namespace kb
