// Any bytes as str.dat. The parser must not crash and must keep its promises: never more
// entries than the shuffle's table holds, and no entry with an empty field.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "typing/word_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const kb::WordFileResult r =
        kb::ParseWordFile(std::string_view(reinterpret_cast<const char*>(data), size));
    if (r.entries.size() > kb::kMaxWordEntries) std::abort();
    for (const auto& [display, reading] : r.entries)
        if (display.empty() || reading.empty()) std::abort();
    return 0;
}
