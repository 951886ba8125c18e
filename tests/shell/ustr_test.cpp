// Our UTF-8 converter: the state printer, the driver and every text box go through it.
#include "shell/ustr.h"

#include <gtest/gtest.h>

namespace kb {
namespace {

TEST(Utf8, EveryLengthBothWaysAndWhatHasNoForm) {
    struct Case {
        std::string utf8;
        std::u16string utf16;
    };
    // One to four bytes; four bytes are a surrogate pair in UTF-16.
    for (const Case& c : std::vector<Case>{{"a", u"a"},
                                           {"\xC3\xA9", u"\u00E9"},
                                           {"\xE3\x81\x8B", u"か"},
                                           {"\xF0\x9F\x8D\xB5", u"\U0001F375"}}) {
        EXPECT_EQ(FromUtf8(c.utf8), c.utf16) << c.utf8;
        EXPECT_EQ(ToUtf8(c.utf16), c.utf8) << c.utf8;
    }
    // An overlong form, a cut sequence and an encoded surrogate become U+FFFD, byte by byte;
    // so does a lone surrogate on the way out.
    EXPECT_EQ(FromUtf8("\xC0\xAF"
                       "b\xE3\x81"),
              u"\uFFFD\uFFFDb\uFFFD\uFFFD");
    EXPECT_EQ(FromUtf8("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD");
    EXPECT_EQ(ToUtf8(std::u16string(1, u'\xD83C') + u"x"), "\xEF\xBF\xBDx");
}

}  // namespace
}  // namespace kb
