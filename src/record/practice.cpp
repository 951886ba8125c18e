#include "record/practice.h"

#include <algorithm>
#include <set>

#include "record/kana_tally.h"
#include "record/match_record.h"
#include "text/ustr.h"

namespace kb {

std::vector<WordEntry> PracticeWords(const std::vector<WordEntry>& words,
                                     const std::vector<std::u16string>& weakKana,
                                     std::size_t maxWords) {
    const std::set<std::u16string> weak(weakKana.begin(), weakKana.end());
    struct Candidate {
        std::size_t index;
        double richness;  // weak kana over all kana of the reading
        std::set<std::u16string> holds;
    };
    std::vector<Candidate> candidates;
    for (std::size_t i = 0; i < words.size(); ++i) {
        const auto kana = SplitKana(words[i].reading);
        Candidate c{i, 0.0, {}};
        int hits = 0;
        for (const auto& k : kana)
            if (weak.count(k)) {
                ++hits;
                c.holds.insert(k);
            }
        if (hits == 0) continue;
        c.richness = static_cast<double>(hits) / static_cast<double>(kana.size());
        candidates.push_back(std::move(c));
    }
    std::stable_sort(
        candidates.begin(), candidates.end(),
        [](const Candidate& a, const Candidate& b) { return a.richness > b.richness; });

    std::vector<bool> taken(candidates.size(), false);
    std::vector<WordEntry> out;
    for (bool progress = true; progress;) {
        progress = false;
        for (const std::u16string& k : weakKana) {
            if (out.size() >= maxWords) break;
            for (std::size_t c = 0; c < candidates.size(); ++c) {
                if (taken[c] || !candidates[c].holds.count(k)) continue;
                taken[c] = true;
                out.push_back(words[candidates[c].index]);
                progress = true;
                break;
            }
        }
    }
    return out;
}

std::string WordsDigest(const std::vector<WordEntry>& words) {
    uint64_t h = 14695981039346656037ull;
    auto mix = [&h](const std::string& bytes) {
        for (unsigned char c : bytes) {
            h ^= c;
            h *= 1099511628211ull;
        }
    };
    for (const WordEntry& w : words) mix(ToUtf8(w.display) + '\t' + ToUtf8(w.reading) + '\n');
    return Hex16(h);
}

}  // namespace kb
