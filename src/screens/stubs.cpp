// Placeholders until the screens land.
#include "screens/connection_screen.h"
#include "screens/match_screen.h"
#include "screens/result_screen.h"
#include "screens/title.h"

namespace kb {
void Dis_Title(Game&) {}
void Dis_Mis(Game&) {}
void Dis_Str(Game&) {}
void DIS_Connection(Game&) {}
void Dis_Result(Game&) {}
}  // namespace kb
