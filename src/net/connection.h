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
// Whether the client is still typing the server's address.
bool AddressWindowVisible(const Game& g);
// A client knocks on the listening server: taken, and greeted with "00", while the server waits.
void WinsockL_ConnectionRequest(Game& g, int32_t requestID);
// A key in the address window: Enter with an address starts connecting and hides the window.
void Text1_KeyDown(Game& g, int keyCode, int shift);
// Closes the data connection (and an address window still open).
void CloseWinsock(Game& g);
// Stops listening.
void CloseWinsockL(Game& g);
// This machine's address as the title shows it.
std::u16string LocalIP(Game& g);
// The code of the room the waiting server opened on the relay; empty for none.
std::u16string RoomCode(const Game& g);
// What keeps the server's rooms or the client's connection from working (the relay out of
// reach, no room with the code typed), for the connection screen; empty while all is well.
std::u16string NetworkProblem(const Game& g);
// Delivers the sockets' events; called between frames.
void PollNetwork(Game& g);
// The client's time-out: box, log, close, back to the title.
void ConnectionTimeOut(Game& g);

}  // namespace kb
