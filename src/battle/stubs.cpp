// Placeholders until the battle lands.
#include "battle/computer.h"
#include "battle/explosions.h"
#include "battle/missiles.h"

namespace kb {
void Init_Mis(Game&) {}
void Fire_Mis(Game&, int, int) {}
void MOV_MIS(Game&) {}
void Com_Init(Game&) {}
void Com_AI(Game&) {}
void ExpInit(Game&, int, int) {}
void MOV_EXP(Game&) {}
void DIS_IM(Game&) {}
}  // namespace kb
