// Our converters: UTF-8 for the state printer, the driver and every text box; code page 932
// for the word list and the wire.
#include "text/ustr.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

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

// Where Windows' code page 932 differs from plain Shift-JIS, and its extensions, both ways.
TEST(Cp932, WindowsMappingsBothWaysAndStandIns) {
    for (const auto& [bytes, text] : std::vector<std::pair<std::string, std::u16string>>{
             {"\x81\x60\x81\x7C", u"～－"},  // not 〜 and −
             {"\x87\x40\xFA\x40", u"①ⅰ"},    // NEC row 13, IBM extension
             {"\x81\xE0\xB1", u"≒ｱ"},        // ≒ also has an NEC code, 0x8790
             {"\x82\xA9\x8A\x60", u"か柿"}}) {
        EXPECT_EQ(FromCp932(bytes), text);
        EXPECT_EQ(ToCp932(text), bytes);
    }
    EXPECT_EQ(FromCp932("\x87\x90\xED\x40"), u"≒纊");
    // A lead byte with a trail that names nothing is one stand-in; other bad bytes one each.
    EXPECT_EQ(FromCp932("\x85\x40"
                        "1\x80\xA0\xFD"
                        "2\x81"),
              u"・1・・・2・");
    EXPECT_EQ(ToCp932(u"¥\U0001F375\xD800韓"), "\x5C??\x8A\xD8");
}

}  // namespace
}  // namespace kb
