#pragma once
// The two missile tables: launch, reinforcement, flight, collisions, base hits.
#include <cstdint>
#include <string>

#include "shell/game.h"

namespace kb {

// What a lane of a missile table (MyMisState, EnMisState) holds.
inline constexpr Integer kMisEmpty = 0;
inline constexpr Integer kMisFlying = 1;
inline constexpr Integer kMisExploding = 2;  // MyMisPower / EnMisPower count its frames down

// The two sides, the pe of Fire_Mis and Explode.
inline constexpr int kMySide = 0;  // the player at this keyboard, base on the right
inline constexpr int kEnSide = 1;  // the computer or the peer, base on the left

// Empties both missile tables at every match start.
void Init_Mis(Game& g);
// A finished word of side pe fired into lane: launches a missile, or speeds up the one of that
// side already flying there; in a network match the player's own shots are sent to the peer.
void Fire_Mis(Game& g, int lane, int pe);
// Each match frame: moves the missiles, destroys pairs that meet and ends the match when one
// gets through (on a client, the server's messages decide those instead).
void MOV_MIS(Game& g);
// The missile of side pe flying in lane starts its explosion; an empty or exploding lane, and
// a side or lane that is none of the tables', are left as they are.
void Explode(Game& g, int pe, int lane);

}  // namespace kb
