#include "typing/roma_to_kana.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

namespace kb {
namespace {

struct Case {
    std::u16string_view keys;
    std::u16string_view kana;
};

// Every key the conversion knows, with its kana written out by hand.
const std::vector<Case> kSingleKeyCases = {
    {u"a", u"あ"}, {u"i", u"い"}, {u"u", u"う"}, {u"e", u"え"}, {u"o", u"お"}, {u"0", u"０"},
    {u"1", u"１"}, {u"2", u"２"}, {u"3", u"３"}, {u"4", u"４"}, {u"5", u"５"}, {u"6", u"６"},
    {u"7", u"７"}, {u"8", u"８"}, {u"9", u"９"}, {u",", u"、"}, {u".", u"。"}, {u"?", u"？"},
    {u"!", u"！"}, {u"-", u"ー"}, {u"~", u"～"}, {u"+", u"＋"}, {u"*", u"＊"}, {u"/", u"・"},
};

const std::vector<Case> kTwoLetterCases = {
    {u"ka", u"か"},   {u"ki", u"き"},   {u"ku", u"く"},   {u"ke", u"け"},   {u"ko", u"こ"},
    {u"sa", u"さ"},   {u"si", u"し"},   {u"su", u"す"},   {u"se", u"せ"},   {u"so", u"そ"},
    {u"ta", u"た"},   {u"ti", u"ち"},   {u"tu", u"つ"},   {u"te", u"て"},   {u"to", u"と"},
    {u"na", u"な"},   {u"ni", u"に"},   {u"nu", u"ぬ"},   {u"ne", u"ね"},   {u"no", u"の"},
    {u"ha", u"は"},   {u"hi", u"ひ"},   {u"hu", u"ふ"},   {u"he", u"へ"},   {u"ho", u"ほ"},
    {u"ma", u"ま"},   {u"mi", u"み"},   {u"mu", u"む"},   {u"me", u"め"},   {u"mo", u"も"},
    {u"ya", u"や"},   {u"yi", u"い"},   {u"yu", u"ゆ"},   {u"ye", u"いぇ"}, {u"yo", u"よ"},
    {u"ra", u"ら"},   {u"ri", u"り"},   {u"ru", u"る"},   {u"re", u"れ"},   {u"ro", u"ろ"},
    {u"wa", u"わ"},   {u"wi", u"うぃ"}, {u"wu", u"う"},   {u"we", u"うぇ"}, {u"wo", u"を"},
    {u"la", u"ぁ"},   {u"li", u"ぃ"},   {u"lu", u"ぅ"},   {u"le", u"ぇ"},   {u"lo", u"ぉ"},
    {u"ba", u"ば"},   {u"bi", u"び"},   {u"bu", u"ぶ"},   {u"be", u"べ"},   {u"bo", u"ぼ"},
    {u"ca", u"か"},   {u"ci", u"し"},   {u"cu", u"く"},   {u"ce", u"せ"},   {u"co", u"こ"},
    {u"da", u"だ"},   {u"di", u"ぢ"},   {u"du", u"づ"},   {u"de", u"で"},   {u"do", u"ど"},
    {u"fa", u"ふぁ"}, {u"fi", u"ふぃ"}, {u"fu", u"ふ"},   {u"fe", u"ふぇ"}, {u"fo", u"ふぉ"},
    {u"ga", u"が"},   {u"gi", u"ぎ"},   {u"gu", u"ぐ"},   {u"ge", u"げ"},   {u"go", u"ご"},
    {u"ja", u"じゃ"}, {u"ji", u"じ"},   {u"ju", u"じゅ"}, {u"je", u"じぇ"}, {u"jo", u"じょ"},
    {u"pa", u"ぱ"},   {u"pi", u"ぴ"},   {u"pu", u"ぷ"},   {u"pe", u"ぺ"},   {u"po", u"ぽ"},
    {u"qa", u"くぁ"}, {u"qi", u"くぃ"}, {u"qu", u"く"},   {u"qe", u"くぇ"}, {u"qo", u"くぉ"},
    {u"va", u"ヴぁ"}, {u"vi", u"ヴぃ"}, {u"vu", u"ヴ"},   {u"ve", u"ヴぇ"}, {u"vo", u"ヴぉ"},
    {u"xa", u"ぁ"},   {u"xi", u"ぃ"},   {u"xu", u"ぅ"},   {u"xe", u"ぇ"},   {u"xo", u"ぉ"},
    {u"za", u"ざ"},   {u"zi", u"じ"},   {u"zu", u"ず"},   {u"ze", u"ぜ"},   {u"zo", u"ぞ"},
    {u"nn", u"ん"},
};

const std::vector<Case> kYCombinationCases = {
    {u"kya", u"きゃ"}, {u"kyi", u"きぃ"}, {u"kyu", u"きゅ"}, {u"kye", u"きぇ"}, {u"kyo", u"きょ"},
    {u"cya", u"ちゃ"}, {u"cyi", u"ちぃ"}, {u"cyu", u"ちゅ"}, {u"cye", u"ちぇ"}, {u"cyo", u"ちょ"},
    {u"sya", u"しゃ"}, {u"syi", u"しぃ"}, {u"syu", u"しゅ"}, {u"sye", u"しぇ"}, {u"syo", u"しょ"},
    {u"tya", u"ちゃ"}, {u"tyi", u"ちぃ"}, {u"tyu", u"ちゅ"}, {u"tye", u"ちぇ"}, {u"tyo", u"ちょ"},
    {u"nya", u"にゃ"}, {u"nyi", u"にぃ"}, {u"nyu", u"にゅ"}, {u"nye", u"にぇ"}, {u"nyo", u"にょ"},
    {u"hya", u"ひゃ"}, {u"hyi", u"ひぃ"}, {u"hyu", u"ひゅ"}, {u"hye", u"ひぇ"}, {u"hyo", u"ひょ"},
    {u"fya", u"ふゃ"}, {u"fyi", u"ふぃ"}, {u"fyu", u"ふゅ"}, {u"fye", u"ふぇ"}, {u"fyo", u"ふょ"},
    {u"mya", u"みゃ"}, {u"myi", u"みぃ"}, {u"myu", u"みゅ"}, {u"mye", u"みぇ"}, {u"myo", u"みょ"},
    {u"rya", u"りゃ"}, {u"ryi", u"りぃ"}, {u"ryu", u"りゅ"}, {u"rye", u"りぇ"}, {u"ryo", u"りょ"},
    {u"bya", u"びゃ"}, {u"byi", u"びぃ"}, {u"byu", u"びゅ"}, {u"bye", u"びぇ"}, {u"byo", u"びょ"},
    {u"dya", u"ぢゃ"}, {u"dyi", u"ぢぃ"}, {u"dyu", u"ぢゅ"}, {u"dye", u"ぢぇ"}, {u"dyo", u"ぢょ"},
    {u"gya", u"ぎゃ"}, {u"gyi", u"ぎぃ"}, {u"gyu", u"ぎゅ"}, {u"gye", u"ぎぇ"}, {u"gyo", u"ぎょ"},
    {u"jya", u"じゃ"}, {u"jyi", u"じぃ"}, {u"jyu", u"じゅ"}, {u"jye", u"じぇ"}, {u"jyo", u"じょ"},
    {u"pya", u"ぴゃ"}, {u"pyi", u"ぴぃ"}, {u"pyu", u"ぴゅ"}, {u"pye", u"ぴぇ"}, {u"pyo", u"ぴょ"},
    {u"qya", u"くゃ"}, {u"qyi", u"くぃ"}, {u"qyu", u"くゅ"}, {u"qye", u"くぇ"}, {u"qyo", u"くょ"},
    {u"lya", u"ゃ"},   {u"lyi", u"ぃ"},   {u"lyu", u"ゅ"},   {u"lye", u"ぇ"},   {u"lyo", u"ょ"},
    {u"xya", u"ゃ"},   {u"xyi", u"ぃ"},   {u"xyu", u"ゅ"},   {u"xye", u"ぇ"},   {u"xyo", u"ょ"},
};

const std::vector<Case> kLongKeyCases = {
    {u"sha", u"しゃ"}, {u"shi", u"し"},   {u"shu", u"しゅ"}, {u"she", u"しぇ"}, {u"sho", u"しょ"},
    {u"cha", u"ちゃ"}, {u"chi", u"ち"},   {u"chu", u"ちゅ"}, {u"che", u"ちぇ"}, {u"cho", u"ちょ"},
    {u"dha", u"でゃ"}, {u"dhi", u"でぃ"}, {u"dhu", u"でゅ"}, {u"dhe", u"でぇ"}, {u"dho", u"でょ"},
    {u"tsa", u"つぁ"}, {u"tsi", u"つぃ"}, {u"tsu", u"つ"},   {u"tse", u"つぇ"}, {u"tso", u"つぉ"},
    {u"tha", u"てゃ"}, {u"thi", u"てぃ"}, {u"thu", u"てゅ"}, {u"the", u"てぇ"}, {u"tho", u"てょ"},
    {u"wha", u"うぁ"}, {u"whi", u"うぃ"}, {u"whu", u"う"},   {u"whe", u"うぇ"}, {u"who", u"うぉ"},
    {u"ltu", u"っ"},   {u"xtu", u"っ"},   {u"ltsu", u"っ"},
};

std::vector<Case> AllKeys() {
    std::vector<Case> all;
    for (const auto* table :
         {&kSingleKeyCases, &kTwoLetterCases, &kYCombinationCases, &kLongKeyCases}) {
        all.insert(all.end(), table->begin(), table->end());
    }
    return all;
}

// Readable in a failure message, whatever the characters.
std::string Show(std::u16string_view s) {
    return testing::PrintToString(std::u16string(s));
}

std::u16string Upper(std::u16string_view s) {
    std::u16string out(s);
    for (char16_t& c : out) {
        if (c >= u'a' && c <= u'z') c -= u'a' - u'A';
    }
    return out;
}

void ExpectAll(const std::vector<Case>& cases) {
    for (const Case& c : cases) {
        EXPECT_EQ(RomaToKana(c.keys), c.kana) << "keys: " << Show(c.keys);
    }
}

TEST(RomaToKanaTest, TablesHaveEveryKey) {
    EXPECT_EQ(kSingleKeyCases.size(), 24u);
    EXPECT_EQ(kTwoLetterCases.size(), 106u);
    EXPECT_EQ(kYCombinationCases.size(), 85u);
    EXPECT_EQ(kLongKeyCases.size(), 33u);
}

TEST(RomaToKanaTest, SingleKeys) {
    ExpectAll(kSingleKeyCases);
}
TEST(RomaToKanaTest, TwoLetterKeys) {
    ExpectAll(kTwoLetterCases);
}
TEST(RomaToKanaTest, YCombinations) {
    ExpectAll(kYCombinationCases);
}
TEST(RomaToKanaTest, ThreeAndFourLetterKeys) {
    ExpectAll(kLongKeyCases);
}

TEST(RomaToKanaTest, CaseIsIgnoredForEveryKey) {
    for (const Case& c : AllKeys()) {
        const std::u16string upper = Upper(c.keys);
        EXPECT_EQ(RomaToKana(upper), c.kana) << "keys: " << Show(upper);
        std::u16string mixed(c.keys);
        mixed.back() = Upper(mixed.substr(mixed.size() - 1))[0];
        EXPECT_EQ(RomaToKana(mixed), c.kana) << "keys: " << Show(mixed);
    }
}

// Doubling the first key adds the small "っ" to every kana, except for
// keys that start with n: "nn" is ん, never a doubled letter.
TEST(RomaToKanaTest, DoubledFirstKeyAddsSmallTsu) {
    for (const Case& c : AllKeys()) {
        const std::u16string doubled = std::u16string(1, c.keys[0]) + std::u16string(c.keys);
        const std::u16string expected = c.keys[0] == u'n' ? u"" : u"っ" + std::u16string(c.kana);
        EXPECT_EQ(RomaToKana(doubled), expected) << "keys: " << Show(doubled);
    }
}

TEST(RomaToKanaTest, SingleConsonantsGiveNothing) {
    for (char16_t c = u'a'; c <= u'z'; ++c) {
        if (std::u16string_view(u"aiueo").find(c) != std::u16string_view::npos) continue;
        EXPECT_EQ(RomaToKana(std::u16string(1, c)), u"") << "key: " << Show(std::u16string(1, c));
    }
}

TEST(RomaToKanaTest, Traps) {
    // clang-format off
    const std::vector<Case> cases = {
        // Nothing, or not yet a whole unit.
        {u"", u""}, {u"k", u""}, {u"ky", u""}, {u"sh", u""}, {u"ts", u""}, {u"ch", u""},
        // ん needs nn, and n is never a doubled letter, in either case.
        {u"n", u""}, {u"nn", u"ん"}, {u"NN", u"ん"}, {u"nna", u""}, {u"nk", u""}, {u"nka", u""},
        {u"KA", u"か"}, {u"Ka", u"か"},
        // A doubled first letter, compared in lower case, adds っ to a real kana only.
        {u"kka", u"っか"}, {u"kKa", u"っか"}, {u"ttsu", u"っつ"}, {u"cchi", u"っち"},
        {u"kkya", u"っきゃ"}, {u"kk", u""}, {u"kkk", u""},
        // Only one letter is ever taken off.
        {u"kkka", u""},
        // Four letters that are not ltsu.
        {u"tchi", u""},
        {u"ltsu", u"っ"}, {u"lltsu", u"っっ"},
        // Doubling applies to every key but n: vowels, digits, y.
        {u"aa", u"っあ"}, {u"11", u"っ１"}, {u"yya", u"っや"},
        {u"kya", u"きゃ"}, {u"cya", u"ちゃ"}, {u"tya", u"ちゃ"}, {u"fyi", u"ふぃ"}, {u"xyo", u"ょ"},
        // No zy, vy, wy or vowel+y series.
        {u"zya", u""}, {u"vya", u""}, {u"wya", u""}, {u"aya", u""},
        // A prefix is never converted on its own.
        {u"kak", u""}, {u"kaa", u""}, {u"shaa", u""},
        // Too long, also after taking off a doubled letter.
        {u"ltsuu", u""}, {u"kkyaa", u""}, {u"lltsuu", u""}, {u"abcde", u""}, {u"ltsux", u""},
        // Full-width letters are not keys.
        {u"ｋａ", u""},
    };
    // clang-format on
    ExpectAll(cases);
}

}  // namespace
}  // namespace kb
