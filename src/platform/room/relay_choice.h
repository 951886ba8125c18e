#pragma once
// Rooms spread over several relays that never talk to each other: a room's code picks its relay,
// the same one for its host and its guest, on the desktop and in a page alike, as long as both
// list the same relays in the same order.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kb {

// The relays of a list as the player or the page gives it: addresses separated by commas, blanks
// around each dropped, empty ones left out.
std::vector<std::string> RelayList(std::string_view text);
// Which of `count` relays serves the room with this code (its digits): the number its last six
// digits make, modulo the count; 0 for a shorter code or no relays.
size_t RelayForRoom(std::string_view roomCode, size_t count);

}  // namespace kb
