#include "typing/word_file.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

namespace kb {
namespace {

using Entries = std::vector<std::pair<std::u16string, std::u16string>>;

struct Case {
    const char* name;
    std::string_view bytes;
    Entries entries;
    bool failed;
    std::u16string lastDisplay;
    bool whole = true;  // false: a read error cut the bytes short
};

void ExpectParsed(const Case& c) {
    SCOPED_TRACE(c.name);
    const WordFileResult result = ParseWordFile(c.bytes, c.whole);
    EXPECT_EQ(result.entries, c.entries);
    EXPECT_EQ(result.failed, c.failed);
    EXPECT_EQ(result.lastDisplay, c.lastDisplay);
}

const Entries kDogCat = {{u"dog", u"inu"}, {u"cat", u"neko"}};

TEST(ParseWordFileTest, RecordsAndLineEnds) {
    const std::vector<Case> cases = {
        {"CR LF", "dog,inu\r\ncat,neko\r\n", kDogCat, false, u"cat"},
        {"no final line end", "dog,inu\r\ncat,neko", kDogCat, false, u"cat"},
        {"LF only", "dog,inu\ncat,neko\n", kDogCat, false, u"cat"},
        {"CR only", "dog,inu\rcat,neko\r", kDogCat, false, u"cat"},
        {"mixed line ends", "dog,inu\ncat,neko\r\n", kDogCat, false, u"cat"},
        {"empty file", "", {}, false, u""},
        {"only blank lines", "\r\n\r\n  \r\n", {}, false, u""},
        // Fields are one flat run read in pairs, not lines.
        {"pair over two lines", "dog\r\ninu\r\n", {{u"dog", u"inu"}}, false, u"dog"},
        {"third field starts the next pair",
         "dog,inu,cat\r\nneko,fox\r\n",
         {{u"dog", u"inu"}, {u"cat", u"neko"}},
         true,
         u"fox"},
    };
    for (const Case& c : cases) ExpectParsed(c);
}

TEST(ParseWordFileTest, QuotesAndBlanks) {
    const std::vector<Case> cases = {
        {"quoted fields", "\"dog\",\"inu\"\r\n", {{u"dog", u"inu"}}, false, u"dog"},
        {"comma inside quotes", "\"a,b\",\"c,d\"\r\n", {{u"a,b", u"c,d"}}, false, u"a,b"},
        {"one field quoted", "dog,\"inu\"\r\n\"cat\",neko\r\n", kDogCat, false, u"cat"},
        {"text after the closing quote is dropped",
         "\"dog\"gy ,\"inu\" x\r\n",
         {{u"dog", u"inu"}},
         false,
         u"dog"},
        {"blanks inside quotes kept",
         " \" dog \" ,\"\tinu\"\r\n",
         {{u" dog ", u"\tinu"}},
         false,
         u" dog "},
        {"unquoted fields trimmed", "  dog\t , \t inu  \r\n", {{u"dog", u"inu"}}, false, u"dog"},
        {"inner blanks kept", "hot dog,ho tto\r\n", {{u"hot dog", u"ho tto"}}, false, u"hot dog"},
        {"quote inside an unquoted field kept",
         "dog\"s,inu\r\n",
         {{u"dog\"s", u"inu"}},
         false,
         u"dog\"s"},
        {"unclosed quote ends at its line",
         "\"dog,inu\r\ncat,neko\r\n",
         {{u"dog,inu", u"cat"}},
         true,
         u"neko"},
    };
    for (const Case& c : cases) ExpectParsed(c);
}

TEST(ParseWordFileTest, QuotedLineEqualsUnquotedLine) {
    const std::vector<std::pair<std::string_view, std::string_view>> lines = {
        {"dog,inu\r\n", "\"dog\",\"inu\"\r\n"},
        {"\x8a\xbf\x8e\x9a,\x82\xa9\x82\xf1\x82\xb6\r\n",
         "\"\x8a\xbf\x8e\x9a\",\"\x82\xa9\x82\xf1\x82\xb6\"\r\n"},
        {"a b,c\r\n", "\"a b\",\"c\"\r\n"},
    };
    for (const auto& [plain, quoted] : lines) {
        const WordFileResult a = ParseWordFile(plain);
        const WordFileResult b = ParseWordFile(quoted);
        EXPECT_EQ(a.entries, b.entries) << plain;
        EXPECT_EQ(a.entries.size(), 1u) << plain;
        EXPECT_FALSE(b.failed) << quoted;
    }
}

TEST(ParseWordFileTest, SkippedPairsAndBlankLines) {
    const std::vector<Case> cases = {
        {"empty reading", "dog,\r\ncat,neko\r\n", {{u"cat", u"neko"}}, false, u"cat"},
        {"empty display", ",inu\r\ncat,neko\r\n", {{u"cat", u"neko"}}, false, u"cat"},
        {"both empty", ",\r\ncat,neko\r\n", {{u"cat", u"neko"}}, false, u"cat"},
        {"quoted empty",
         "\"\",inu\r\ncat,\"\"\r\nfox,kitsune\r\n",
         {{u"fox", u"kitsune"}},
         false,
         u"fox"},
        {"blank only", "   ,\t\r\ncat,neko\r\n", {{u"cat", u"neko"}}, false, u"cat"},
        {"last pair skipped", "dog,inu\r\ncat,\r\n", {{u"dog", u"inu"}}, false, u"cat"},
        {"blank lines everywhere", "\r\ndog,inu\r\n\r\n \t \r\ncat,neko\r\n\r\n\r\n", kDogCat,
         false, u"cat"},
        {"blank lines with LF", "\ndog,inu\n\n\ncat,neko\n\n", kDogCat, false, u"cat"},
        {"blank line inside a pair", "dog\r\n\r\ninu\r\n", {{u"dog", u"inu"}}, false, u"dog"},
        {"trailing blanks after the last line", "dog,inu\r\ncat,neko\r\n   ", kDogCat, false,
         u"cat"},
    };
    for (const Case& c : cases) ExpectParsed(c);
}

TEST(ParseWordFileTest, FileEndingInsidePairFails) {
    const std::vector<Case> cases = {
        {"last line one field", "dog,inu\r\ncat\r\n", {{u"dog", u"inu"}}, true, u"cat"},
        {"last line one field, no line end", "dog,inu\r\ncat", {{u"dog", u"inu"}}, true, u"cat"},
        {"last line one field, blank lines after",
         "dog,inu\r\ncat\r\n\r\n",
         {{u"dog", u"inu"}},
         true,
         u"cat"},
        {"last line ends in a comma", "dog,inu\r\ncat,", {{u"dog", u"inu"}}, true, u"cat"},
        {"only line one field", "\x8a\xbf\x8e\x9a\r\n", {}, true, u"漢字"},
        {"quoted one field", "dog,inu\r\n\"c,at\"\r\n", {{u"dog", u"inu"}}, true, u"c,at"},
        // A read error ends the load where it struck, even between two lines.
        {"read error after a line", "dog,inu\r\n", {{u"dog", u"inu"}}, true, u"dog", false},
        {"read error inside a reading",
         "dog,inu\r\ncat,ne",
         {{u"dog", u"inu"}},
         true,
         u"cat",
         false},
        {"read error before anything", "", {}, true, u"", false},
    };
    for (const Case& c : cases) ExpectParsed(c);
}

TEST(ParseWordFileTest, Encodings) {
    const std::vector<Case> cases = {
        {"CP932",
         "\x8a\xbf\x8e\x9a,\x82\xa9\x82\xf1\x82\xb6\r\n",
         {{u"漢字", u"かんじ"}},
         false,
         u"漢字"},
        // 0x5C is a trail byte here, and the backslash on its own.
        {"CP932 trail byte 5C",
         "\x95\x5c,\x82\xd0\x82\xe5\x82\xa4\r\n\\,\x83\x5c\r\n",
         {{u"表", u"ひょう"}, {u"\\", u"ソ"}},
         false,
         u"\\"},
        {"CP932 half-width katakana",
         "\xb6\xc5,\x82\xa9\x82\xc8\r\n",
         {{u"ｶﾅ", u"かな"}},
         false,
         u"ｶﾅ"},
        {"UTF-8 with BOM",
         "\xEF\xBB\xBF漢字,かんじ\r\n犬,いぬ\r\n",
         {{u"漢字", u"かんじ"}, {u"犬", u"いぬ"}},
         false,
         u"犬"},
        {"BOM then quoted field",
         "\xEF\xBB\xBF\"漢字\",かんじ",
         {{u"漢字", u"かんじ"}},
         false,
         u"漢字"},
        {"BOM only", "\xEF\xBB\xBF", {}, false, u""},
        // Bytes that are no text become stand-ins, one for a lead byte with a trail byte that
        // names nothing, one for each other bad byte, and the load goes on.
        {"bad bytes in code page 932",
         "c\x80t,ne\xFFko\r\n\xEB\x40\xE3\x30,\x85\x40\xA0\r\nfox,\x82",
         {{u"c・t", u"ne・ko"}, {u"・・0", u"・・"}, {u"fox", u"・"}},
         false,
         u"fox"},
        {"bad UTF-8 after BOM",
         "\xEF\xBB\xBF犬,\xC3(\r\n\xED\xA0\x80,\xE3\x81\r\n",
         {{u"犬", u"\uFFFD("}, {u"\uFFFD\uFFFD\uFFFD", u"\uFFFD\uFFFD"}},
         false,
         u"\uFFFD\uFFFD\uFFFD"},
    };
    for (const Case& c : cases) ExpectParsed(c);
}

std::string NumberedLines(int count) {
    std::string text;
    for (int i = 0; i < count; ++i) {
        text += "w" + std::to_string(i) + ",r" + std::to_string(i) + "\r\n";
    }
    return text;
}

TEST(ParseWordFileTest, KeepsOnlyTheFirst3001Entries) {
    const WordFileResult result = ParseWordFile(NumberedLines(3005));
    ASSERT_EQ(result.entries.size(), 3001u);
    EXPECT_FALSE(result.failed);
    EXPECT_EQ(result.entries.front(), std::make_pair(std::u16string(u"w0"), std::u16string(u"r0")));
    EXPECT_EQ(result.entries.back(),
              std::make_pair(std::u16string(u"w3000"), std::u16string(u"r3000")));
    EXPECT_EQ(result.lastDisplay, u"w3000");
}

TEST(ParseWordFileTest, CapCountsUsableEntriesOnly) {
    const WordFileResult result = ParseWordFile("skip,\r\n\r\n" + NumberedLines(3002));
    ASSERT_EQ(result.entries.size(), 3001u);
    EXPECT_EQ(result.entries.back().first, u"w3000");
}

TEST(ParseWordFileTest, NothingAfterTheCapIsRead) {
    EXPECT_FALSE(ParseWordFile(NumberedLines(3001) + "half\r\n").failed);
    EXPECT_FALSE(ParseWordFile(NumberedLines(3001) + "bad,\xFF\r\n").failed);
    const WordFileResult below = ParseWordFile(NumberedLines(3000) + "half\r\n");
    EXPECT_TRUE(below.failed);
    EXPECT_EQ(below.entries.size(), 3000u);
}

}  // namespace
}  // namespace kb
