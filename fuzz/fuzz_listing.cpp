// Any message in the lobby, read as a room's listing: whatever a stranger writes, a listing
// that is taken names a room by its twelve digits, says it waited no more than a day, and
// shows names that are printable text of at most 24 characters, cleaned once and for all.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/room/room_lobby.h"
#include "text/ustr.h"

namespace {

// At most `chars` characters, none of them a control character, in UTF-8 as it reads back.
void CheckShown(const std::string& text) {
    if (kb::ToUtf8(kb::FromUtf8(text)) != text) std::abort();
    size_t chars = 0;
    for (unsigned char c : text) {
        if (c < 0x20 || c == 0x7F) std::abort();
        chars += (c & 0xC0) != 0x80;
    }
    if (chars > kb::kListedNameChars || kb::ListableText(text) != text) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    const size_t split = std::min<size_t>(data[0], bytes.size());
    const std::string_view topic = bytes.substr(0, split), payload = bytes.substr(split);
    CheckShown(kb::ListableText(payload));
    const auto entry = kb::ReadListing(topic, payload);
    if (!entry) return 0;
    if (entry->code.size() != 12 || topic != "lobby/" + entry->code) std::abort();
    if (entry->code.find_first_not_of("0123456789") != std::string::npos) std::abort();
    if (entry->waited < 0 || entry->waited > 24 * 3600 || entry->name.empty()) std::abort();
    CheckShown(entry->name);
    CheckShown(entry->words);
    return 0;
}
