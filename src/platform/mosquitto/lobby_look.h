#pragma once
// A look at a relay's lobby from the command line: the window program's --lobby and the
// driver's `lobby` line.
#include <string>
#include <vector>

#include "platform/room/room_lobby.h"

namespace kb {

// The public rooms waiting on the relay (its first, if several are given), longest waiting
// first; blocks for about two seconds. Empty with the reason in problem when the relay cannot
// be asked.
std::vector<LobbyEntry> LookAtLobby(const std::string& relay, std::string& problem);

}  // namespace kb
