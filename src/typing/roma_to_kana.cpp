#include "typing/roma_to_kana.h"

#include <array>
#include <optional>

namespace kb {
namespace {

// Single keys and their kana, position for position (every kana here is one
// UTF-16 unit).
constexpr std::u16string_view kSingleKeys = u"aiueo0123456789,.?!-~+*/";
constexpr std::u16string_view kSingleKana = u"あいうえお０１２３４５６７８９、。？！ー～＋＊・";
static_assert(kSingleKeys.size() == kSingleKana.size());

constexpr std::u16string_view kVowels = u"aiueo";

// One row of a syllable table: the letters before the vowel, then the kana
// for a, i, u, e and o.
struct Row {
    std::u16string_view head;
    std::array<std::u16string_view, 5> kana;
};

constexpr Row kTwoLetterRows[] = {
    {u"k", {u"か", u"き", u"く", u"け", u"こ"}},
    {u"s", {u"さ", u"し", u"す", u"せ", u"そ"}},
    {u"t", {u"た", u"ち", u"つ", u"て", u"と"}},
    {u"n", {u"な", u"に", u"ぬ", u"ね", u"の"}},
    {u"h", {u"は", u"ひ", u"ふ", u"へ", u"ほ"}},
    {u"m", {u"ま", u"み", u"む", u"め", u"も"}},
    {u"y", {u"や", u"い", u"ゆ", u"いぇ", u"よ"}},
    {u"r", {u"ら", u"り", u"る", u"れ", u"ろ"}},
    {u"w", {u"わ", u"うぃ", u"う", u"うぇ", u"を"}},
    {u"l", {u"ぁ", u"ぃ", u"ぅ", u"ぇ", u"ぉ"}},
    {u"b", {u"ば", u"び", u"ぶ", u"べ", u"ぼ"}},
    {u"c", {u"か", u"し", u"く", u"せ", u"こ"}},
    {u"d", {u"だ", u"ぢ", u"づ", u"で", u"ど"}},
    {u"f", {u"ふぁ", u"ふぃ", u"ふ", u"ふぇ", u"ふぉ"}},
    {u"g", {u"が", u"ぎ", u"ぐ", u"げ", u"ご"}},
    {u"j", {u"じゃ", u"じ", u"じゅ", u"じぇ", u"じょ"}},
    {u"p", {u"ぱ", u"ぴ", u"ぷ", u"ぺ", u"ぽ"}},
    {u"q", {u"くぁ", u"くぃ", u"く", u"くぇ", u"くぉ"}},
    {u"v", {u"ヴぁ", u"ヴぃ", u"ヴ", u"ヴぇ", u"ヴぉ"}},
    {u"x", {u"ぁ", u"ぃ", u"ぅ", u"ぇ", u"ぉ"}},
    {u"z", {u"ざ", u"じ", u"ず", u"ぜ", u"ぞ"}},
};

// A letter followed by "y" and a vowel. Letters missing here (w, v, z, y,
// the vowels) have no such series.
constexpr Row kYCombinationRows[] = {
    {u"ky", {u"きゃ", u"きぃ", u"きゅ", u"きぇ", u"きょ"}},
    {u"cy", {u"ちゃ", u"ちぃ", u"ちゅ", u"ちぇ", u"ちょ"}},
    {u"sy", {u"しゃ", u"しぃ", u"しゅ", u"しぇ", u"しょ"}},
    {u"ty", {u"ちゃ", u"ちぃ", u"ちゅ", u"ちぇ", u"ちょ"}},
    {u"ny", {u"にゃ", u"にぃ", u"にゅ", u"にぇ", u"にょ"}},
    {u"hy", {u"ひゃ", u"ひぃ", u"ひゅ", u"ひぇ", u"ひょ"}},
    {u"fy", {u"ふゃ", u"ふぃ", u"ふゅ", u"ふぇ", u"ふょ"}},
    {u"my", {u"みゃ", u"みぃ", u"みゅ", u"みぇ", u"みょ"}},
    {u"ry", {u"りゃ", u"りぃ", u"りゅ", u"りぇ", u"りょ"}},
    {u"by", {u"びゃ", u"びぃ", u"びゅ", u"びぇ", u"びょ"}},
    {u"dy", {u"ぢゃ", u"ぢぃ", u"ぢゅ", u"ぢぇ", u"ぢょ"}},
    {u"gy", {u"ぎゃ", u"ぎぃ", u"ぎゅ", u"ぎぇ", u"ぎょ"}},
    {u"jy", {u"じゃ", u"じぃ", u"じゅ", u"じぇ", u"じょ"}},
    {u"py", {u"ぴゃ", u"ぴぃ", u"ぴゅ", u"ぴぇ", u"ぴょ"}},
    {u"qy", {u"くゃ", u"くぃ", u"くゅ", u"くぇ", u"くょ"}},
    {u"ly", {u"ゃ", u"ぃ", u"ゅ", u"ぇ", u"ょ"}},
    {u"xy", {u"ゃ", u"ぃ", u"ゅ", u"ぇ", u"ょ"}},
};

// The other three-letter keys; none of them is a y-combination.
constexpr Row kThreeLetterRows[] = {
    {u"sh", {u"しゃ", u"し", u"しゅ", u"しぇ", u"しょ"}},
    {u"ch", {u"ちゃ", u"ち", u"ちゅ", u"ちぇ", u"ちょ"}},
    {u"dh", {u"でゃ", u"でぃ", u"でゅ", u"でぇ", u"でょ"}},
    {u"ts", {u"つぁ", u"つぃ", u"つ", u"つぇ", u"つぉ"}},
    {u"th", {u"てゃ", u"てぃ", u"てゅ", u"てぇ", u"てょ"}},
    {u"wh", {u"うぁ", u"うぃ", u"う", u"うぇ", u"うぉ"}},
};

constexpr std::u16string_view kSmallTsu = u"っ";

// Keys are all ASCII, so lowering A-Z is all the case folding needed.
char16_t Lower(char16_t c) {
    return (c >= u'A' && c <= u'Z') ? c + (u'a' - u'A') : c;
}

template <std::size_t N>
std::optional<std::u16string_view> LookUp(const Row (&rows)[N], std::u16string_view key) {
    const std::size_t vowel = kVowels.find(key.back());
    if (vowel == std::u16string_view::npos) return std::nullopt;
    const std::u16string_view head = key.substr(0, key.size() - 1);
    for (const Row& row : rows) {
        if (row.head == head) return row.kana[vowel];
    }
    return std::nullopt;
}

std::u16string_view Convert(std::u16string_view s) {
    switch (s.size()) {
        case 1: {
            const std::size_t at = kSingleKeys.find(s[0]);
            return at == std::u16string_view::npos ? u"" : kSingleKana.substr(at, 1);
        }
        case 2:
            if (s == u"nn") return u"ん";
            return LookUp(kTwoLetterRows, s).value_or(u"");
        case 3: {
            std::u16string_view result = LookUp(kYCombinationRows, s).value_or(u"");
            if (s == u"ltu" || s == u"xtu") {
                result = kSmallTsu;
            } else if (auto key = LookUp(kThreeLetterRows, s)) {
                result = *key;
            }
            return result;
        }
        case 4:
            return s == u"ltsu" ? kSmallTsu : u"";
        default:
            return u"";
    }
}

}  // namespace

std::u16string RomaToKana(std::u16string_view buffer) {
    std::u16string s;
    s.reserve(buffer.size());
    for (char16_t c : buffer) s.push_back(Lower(c));

    // A doubled first letter stands for the small "っ"; "nn" is "ん" instead.
    // Only one letter is ever taken off, so "kkka" stays unconvertible.
    const bool doubled = s.size() >= 2 && s[0] == s[1] && s[0] != u'n';
    const std::u16string_view rest =
        doubled ? std::u16string_view(s).substr(1) : std::u16string_view(s);

    const std::u16string_view kana = Convert(rest);
    if (kana.empty()) return {};
    std::u16string result = doubled ? std::u16string(kSmallTsu) : std::u16string();
    result += kana;
    return result;
}

}  // namespace kb
