#include "record/kana_tally.h"

#include <algorithm>

namespace kb {

namespace {

// What was typed instead is kept as the buffer was, cut to this many keys.
constexpr std::size_t kSampleKeys = 8;
// Different slips kept per kana and match; further ones still count as misses.
constexpr std::size_t kSamplesPerKana = 8;

}  // namespace

bool JoinsPrevious(char16_t c) {
    return std::u16string_view(u"ぁぃぅぇぉゃゅょゎ").find(c) != std::u16string_view::npos;
}

int KanaStart(std::u16string_view reading, int pos) {
    if (pos > 0 && pos < static_cast<int>(reading.size()) && JoinsPrevious(reading[pos]) &&
        !JoinsPrevious(reading[pos - 1]))
        return pos - 1;
    return pos;
}

std::vector<std::u16string> SplitKana(std::u16string_view reading) {
    std::vector<std::u16string> out;
    for (std::size_t i = 0; i < reading.size(); ++i) {
        if (!out.empty() && KanaStart(reading, static_cast<int>(i)) != static_cast<int>(i))
            out.back() += reading[i];
        else
            out.emplace_back(1, reading[i]);
    }
    return out;
}

void KanaTally::Clear() {
    kana_.clear();
    missedStart_ = -1;
}

void KanaTally::Accepted(std::u16string_view reading, int from, int n) {
    const int size = static_cast<int>(reading.size());
    for (int end = from + 1; end <= from + n && end <= size; ++end) {
        // A kana is typed when its last character is: where the next kana starts, or at the end.
        if (end < size && KanaStart(reading, end) != end) continue;
        const int start = KanaStart(reading, end - 1);
        ++kana_[std::u16string(reading.substr(start, end - start))].typed;
        if (start == missedStart_) missedStart_ = -1;
    }
}

void KanaTally::Missed(std::u16string_view reading, int pos, std::u16string_view typed) {
    if (pos < 0 || pos >= static_cast<int>(reading.size())) return;
    const int start = KanaStart(reading, pos);
    if (start == missedStart_) return;
    missedStart_ = start;
    int end = start + 1;
    if (end < static_cast<int>(reading.size()) && KanaStart(reading, end) == start) ++end;
    Tally& t = kana_[std::u16string(reading.substr(start, end - start))];
    ++t.missed;
    const std::u16string sample(typed.substr(0, kSampleKeys));
    if (t.instead.count(sample) || t.instead.size() < kSamplesPerKana) ++t.instead[sample];
}

std::vector<KanaCount> KanaTally::Counts() const {
    std::vector<KanaCount> out;
    for (const auto& [kana, t] : kana_) {
        KanaCount c{kana, t.typed, t.missed, {t.instead.begin(), t.instead.end()}};
        std::stable_sort(c.instead.begin(), c.instead.end(),
                         [](const auto& a, const auto& b) { return a.second > b.second; });
        out.push_back(std::move(c));
    }
    return out;
}

}  // namespace kb
