#include "platform/room/room_code.h"

namespace kb {

std::string RoomCodeIn(std::string_view typed) {
    std::string digits;
    for (char c : typed) {
        if (c >= '0' && c <= '9')
            digits += c;
        else if (c != ' ' && c != '-' && c != '\t')
            return "";
    }
    return digits.size() == kRoomCodeDigits ? digits : "";
}

std::string ShownRoomCode(std::string_view digits) {
    std::string shown;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && i % 4 == 0) shown += ' ';
        shown += digits[i];
    }
    return shown;
}

}  // namespace kb
