#include "scripts/reading_keys.h"

#include <map>
#include <vector>

#include "typing/roma_to_kana.h"

namespace kb::test {
namespace {

constexpr std::string_view kKeys = "abcdefghijklmnopqrstuvwxyz0123456789,.-/!?";
constexpr size_t kLongestUnit = 3;  // every kana the game can show has a unit this short

std::u16string Wide(const std::string& ascii) {
    return std::u16string(ascii.begin(), ascii.end());
}

// For every kana text a unit converts to, the shortest keys that give it.
const std::map<std::u16string, std::string>& Units() {
    static const std::map<std::u16string, std::string> kUnits = [] {
        std::map<std::u16string, std::string> out;
        std::vector<std::string> pending = {""};  // key runs that convert to nothing yet
        for (size_t length = 1; length <= kLongestUnit; ++length) {
            std::vector<std::string> next;
            for (const auto& head : pending) {
                for (char c : kKeys) {
                    const std::string keys = head + c;
                    const std::u16string kana = RomaToKana(Wide(keys));
                    if (kana.empty()) {
                        next.push_back(keys);
                    } else if (!out.contains(kana)) {
                        out.emplace(kana, keys);
                    }
                }
            }
            pending = std::move(next);
        }
        return out;
    }();
    return kUnits;
}

// "!" and "?" are typed with Shift held; everything else is a plain key.
std::string LinesFor(const std::string& keys) {
    std::string lines, plain;
    auto flush = [&] {
        if (!plain.empty()) lines += "type " + plain + "\n";
        plain.clear();
    };
    for (char c : keys) {
        if (c == '!' || c == '?') {
            flush();
            lines += std::string("down 16\nkey ") + (c == '!' ? "49" : "191") + "\nup 16\n";
        } else {
            plain += c;
        }
    }
    flush();
    return lines;
}

}  // namespace

std::optional<TypedReading> KeysForReading(const std::u16string& reading) {
    TypedReading out;
    for (size_t at = 0; at < reading.size();) {
        // The unit that takes the most of what is left: a kana with its small kana, or one
        // led by a doubled letter's っ.
        const std::string* best = nullptr;
        size_t taken = 0;
        for (const auto& [kana, keys] : Units()) {
            if (kana.size() > taken && reading.compare(at, kana.size(), kana) == 0) {
                best = &keys;
                taken = kana.size();
            }
        }
        if (!best) return std::nullopt;
        out.lines += LinesFor(*best);
        out.keys += static_cast<int>(best->size());
        at += taken;
    }
    return out;
}

}  // namespace kb::test
