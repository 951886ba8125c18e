#pragma once
// Records made by hand for the tests, how failing tests show them, and a check of text.
#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <string>
#include <type_traits>
#include <vector>

#include "record/match_record.h"
#include "test_game.h"
#include "text/ustr.h"

namespace kb {

inline void PrintTo(const KanaCount& k, std::ostream* os) {
    *os << ToUtf8(k.kana) << " " << k.missed << "/" << k.typed;
    for (const auto& [typed, n] : k.instead) *os << " " << ToUtf8(typed) << "x" << n;
}

inline void PrintTo(const MatchRecord& m, std::ostream* os) {
    *os << m.id << " at " << m.at << " " << m.opponent << m.speed << " level " << m.level << " "
        << m.result << " keys " << m.keys << " misses " << m.misses << " kana " << m.kana.size();
}

namespace test {

// Whether `text` holds `part`; a failure shows both.
template <typename Text>
::testing::AssertionResult Holds(const Text& text, const std::type_identity_t<Text>& part) {
    if (text.find(part) != Text::npos) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "no " << ::testing::PrintToString(part) << " in " << ::testing::PrintToString(text);
}

// A computer match at time `at` (seconds after 2026-01-01) with the given kana.
inline MatchRecord Match(int64_t at, std::string result = "WIN", std::vector<KanaCount> kana = {},
                         int speed = 3, int level = 1) {
    MatchRecord m;
    m.id = Hex16(static_cast<uint64_t>(at) * 2654435761u + 17);
    m.at = 1767225600 + at;
    m.utcOffset = 540;
    m.opponent = "com";
    m.speed = speed;
    m.level = level;
    m.list = u"str.dat";
    m.digest = "0123456789abcdef";
    m.result = std::move(result);
    m.playSec = 60;
    m.keys = 120;
    m.misses = 4;
    m.score = 120;
    m.rate = 193;
    m.ratio = 3000;
    m.kana = std::move(kana);
    return m;
}

}  // namespace test
}  // namespace kb
