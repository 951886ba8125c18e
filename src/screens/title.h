#pragma once
// The title screen and its one-line menu.
#include <cstdint>
#include <string>

#include "shell/game.h"

namespace kb {

// Each title frame: the title, the menu line and the credit (the connection screen instead while
// a network match is being set up); a released Enter or Space carries out the menu item.
void Dis_Title(Game& g);
// Carries out a menu item as a released Enter on it does (a program started to host or to join
// at once).
void ChooseMenuItem(Game& g, int item);

}  // namespace kb
