#pragma once
// The page's list of public rooms: a look at the relay's lobby, asked for by the page's lobby
// controls (web/page.js) and told back to the page when it is over.
#include <string>

namespace kb {

// Starts a look at the lobby of the relays (the first of them holds it); a look under way goes
// on instead.
void LookAtPageLobby(const std::string& relays);
// After every pass of the loop: moves the look on, and tells the page what it found once over.
void PumpPageLobby();

}  // namespace kb
