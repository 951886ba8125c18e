#pragma once
// Joining two games as server and client.
#include <cstdint>
#include <string>

#include "shell/game.h"

namespace kb {

// Title item 7: listen on the game's port.
void StartServer(Game& g);
// Title item 8: show the address window.
void ShowAddressWindow(Game& g);
bool AddressWindowVisible(const Game& g);
void WinsockL_ConnectionRequest(Game& g, int32_t requestID);
void Text1_KeyDown(Game& g, int keyCode, int shift);
void CloseWinsock(Game& g);
void CloseWinsockL(Game& g);
// This machine's address as the title shows it.
std::u16string LocalIP(Game& g);
// Delivers the sockets' events; called between frames.
void PollNetwork(Game& g);
// The client's time-out: box, log, close, back to the title.
void ConnectionTimeOut(Game& g);

}  // namespace kb
