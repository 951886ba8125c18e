#include "typing/word_file.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

namespace kb {
namespace {

using Entries = std::vector<std::pair<std::u16string, std::u16string>>;

const Entries kDogCat = {{u"dog", u"inu"}, {u"cat", u"neko"}};

TEST(ParseWordFileTest, FieldsPairsAndFailures) {
    struct Case {
        const char* name;
        std::string_view bytes;
        Entries entries;
        bool failed;
        std::u16string lastDisplay;
        bool whole = true;  // false: a read error cut the bytes short
    };
    // clang-format off
    const std::vector<Case> cases = {
        // Line ends: CR LF, LF or CR, the last one optional.
        {"CR LF", "dog,inu\r\ncat,neko\r\n", kDogCat, false, u"cat"},
        {"LF, CR", "dog,inu\ncat,neko\r", kDogCat, false, u"cat"},
        {"empty", "", {}, false, u""},
        // Fields are one flat run read in pairs, not lines.
        {"across lines", "dog,inu,cat\r\nneko,fox\r\n", kDogCat, true, u"fox"},
        // Quotes may hold commas and blanks; what follows the closing quote is dropped, and an
        // unclosed one ends at its line. Blanks around an unquoted field are trimmed.
        {"quotes", "\"a,b\"x ,\"c,d\"\r\n", {{u"a,b", u"c,d"}}, false, u"a,b"},
        {"blanks", " \" dog \" ,  hot  dog\t\r\n", {{u" dog ", u"hot  dog"}}, false, u" dog "},
        {"stray quote", "dog\"s,inu\r\n", {{u"dog\"s", u"inu"}}, false, u"dog\"s"},
        {"unclosed", "\"dog,inu\r\ncat,neko\r\n", {{u"dog,inu", u"cat"}}, true, u"neko"},
        // A pair with an empty field is skipped; blank lines give no field at all.
        {"empty fields", ",inu\r\n\"\",x\r\ncat,\r\nfox,fx\r\n", {{u"fox", u"fx"}}, false, u"fox"},
        {"blank lines", "\r\ndog\r\n \t \r\ninu\r\n\ncat,neko\r\n\r\n  ", kDogCat, false, u"cat"},
        // Ending inside a pair, or a read error, fails; the entries before stay.
        {"half a pair", "dog,inu\r\ncat\r\n\r\n", {{u"dog", u"inu"}}, true, u"cat"},
        {"last comma", "dog,inu\r\ncat,", {{u"dog", u"inu"}}, true, u"cat"},
        {"read error", "dog,inu\r\n", {{u"dog", u"inu"}}, true, u"dog", false},
        {"read error in a field", "dog,inu\r\ncat,ne", {{u"dog", u"inu"}}, true, u"cat", false},
        // Code page 932, with stand-ins for bytes that are no text, or UTF-8 after its mark.
        {"no text", "c\x80t,ne\xFFko", {{u"c・t", u"ne・ko"}}, false, u"c・t"},
        {"UTF-8", "\xEF\xBB\xBF\"漢字\",かんじ", {{u"漢字", u"かんじ"}}, false, u"漢字"},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const WordFileResult result = ParseWordFile(c.bytes, c.whole);
        EXPECT_EQ(result.entries, c.entries);
        EXPECT_EQ(result.failed, c.failed);
        EXPECT_EQ(result.lastDisplay, c.lastDisplay);
    }
}

// The shuffle's table holds 3001 entries: pairs skipped do not count, and nothing after the
// last kept entry is read, so a broken line there is no error.
TEST(ParseWordFileTest, KeepsTheFirst3001Entries) {
    std::string text = "skip,\r\n";
    for (int i = 0; i < 3001; ++i) text += "w" + std::to_string(i) + ",r\r\n";
    const WordFileResult full = ParseWordFile(text + "half\r\n");
    ASSERT_EQ(full.entries.size(), 3001u);
    EXPECT_EQ(full.entries.back().first, u"w3000");
    EXPECT_FALSE(full.failed);
    EXPECT_TRUE(ParseWordFile(text.substr(0, text.rfind("w3000")) + "half\r\n").failed);
}

}  // namespace
}  // namespace kb
