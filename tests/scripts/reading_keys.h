#pragma once
// Driver lines that type a reading the way a player would: one kana unit after another, each
// of whose keys converts to nothing until its last, so no unit is ever judged half typed.
#include <optional>
#include <string>

namespace kb::test {

struct TypedReading {
    std::string lines;  // `type ...` lines, and Shift held for "!" and "?"
    int keys = 0;       // letters that land in the typing buffer (what TypeCount adds up)
};

// nullopt when some character has no keys that type it.
std::optional<TypedReading> KeysForReading(const std::u16string& reading);

}  // namespace kb::test
