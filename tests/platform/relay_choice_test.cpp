// Which relay a room meets on: the same for its host and its guest, desktop or page.
#include "platform/room/relay_choice.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kb::test {
namespace {

TEST(RelayChoice, ListsAsGiven) {
    const struct {
        const char* text;
        std::vector<std::string> relays;
    } rows[] = {
        {"", {}},
        {" , ,", {}},
        {"mqtt://a:1883", {"mqtt://a:1883"}},
        {"ws://a:9001/,wss://b/", {"ws://a:9001/", "wss://b/"}},
        {" a , b,,\tc ", {"a", "b", "c"}},
        {"a,", {"a"}},
    };
    for (const auto& row : rows) EXPECT_EQ(RelayList(row.text), row.relays) << row.text;
}

// The code's last six digits modulo the number of relays.
TEST(RelayChoice, ARoomsCodePicksItsRelay) {
    const struct {
        const char* code;
        size_t relays;
        size_t picked;
    } rows[] = {
        {"482177301294", 1, 0}, {"482177301294", 2, 0},  // 301294 is even
        {"482177301294", 3, 1},                          // 301294 = 3 x 100431 + 1
        {"482177301295", 2, 1}, {"000000000007", 4, 3},
        {"999999999999", 7, 0},  // 999999 = 7 x 142857
        {"123456789012", 5, 2},  // 789012: only the last six digits count
        {"999999789012", 5, 2}, {"123456789012", 1000000, 789012},
        {"12345", 2, 0},         // too short to pick
        {"12345678901x", 3, 0},  // no code
        {"482177301294", 0, 0},
    };
    for (const auto& row : rows)
        EXPECT_EQ(RelayForRoom(row.code, row.relays), row.picked) << row.code << " " << row.relays;
}

}  // namespace
}  // namespace kb::test
