#pragma once
// Room codes: twelve digits, shown and read aloud in three groups ("4821 7730 1294"). Digits
// with blanks are never a host name or an address, a phone keyboard types them, and twelve of
// them (some 40 bits: the fingerprint of the host's key, room_crypto.h) keep strangers from
// wandering into a room by guessing.
#include <string>
#include <string_view>

namespace kb {

inline constexpr size_t kRoomCodeDigits = 12;

// The digits of a code the player typed, with blanks or hyphens anywhere and blanks around;
// empty when the text is no room code.
std::string RoomCodeIn(std::string_view typed);
// The code as the screen shows it: "4821 7730 1294".
std::string ShownRoomCode(std::string_view digits);

}  // namespace kb
