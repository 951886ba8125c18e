#include "debug/basic_val.h"

#include <gtest/gtest.h>

namespace kb {
namespace {

TEST(Val, ReadsTheLeadingNumberAsBasicDoes) {
    const struct {
        std::u16string_view text;
        double value;
    } cases[] = {
        {u"99", 99},   {u"9x", 9},     {u"x1", 0},  {u"", 0},        {u" 5", 5}, {u"5 ", 5},
        {u"1 2", 12},  {u"\t7", 7},    {u"\n4", 4}, {u"-1", -1},     {u"+3", 3}, {u"-", 0},
        {u"+-1", 0},   {u".5", 0.5},   {u"1.", 1},  {u"1.2.3", 1.2}, {u"1e", 1}, {u"1e2", 100},
        {u"1D2", 100}, {u"2e-1", 0.2}, {u"e5", 0},  {u"12abc", 12},  {u"&H", 0}, {u"0401", 401},
    };
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(Val(c.text), c.value) << std::string(c.text.begin(), c.text.end());
}

}  // namespace
}  // namespace kb
