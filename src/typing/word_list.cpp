#include "typing/word_list.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <utility>
#include <vector>

#include "typing/word_file.h"

namespace kb {

void Read_File(Game& g) {
    std::ifstream in(ProgramFile(g, "str.dat"), std::ios::binary);
    if (!in) {
        // Nothing was read, so the box has no word to name.
        MsgBox(g, u"");
        return;
    }
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad()) {
        MsgBox(g, u"");
        return;
    }
    WordFileResult file = ParseWordFile(bytes);
    for (auto& [display, reading] : file.entries) addStr(g, std::move(display), std::move(reading));
    // The entries before the fault stay: a damaged list still gives a game.
    if (file.failed) MsgBox(g, file.lastDisplay);
}

void addStr(Game& g, std::u16string gStr, std::u16string yStr) {
    g.Goku.push_back(std::move(gStr));
    g.Yomi.push_back(std::move(yStr));
}

void rndSort(Game& g) {
    const int n = static_cast<int>(g.Goku.size());
    // A slot holding 0 counts as free, even when 0 was stored in it on purpose; the shuffle has
    // always worked this way and replays of old seeds depend on it.
    std::vector<int> table(std::max<std::size_t>(kMaxWordEntries, g.Goku.size()), 0);
    for (int i = 0; i < n; ++i) {
        const int r = RandomIndex(g, n);
        if (table[r] == 0) {
            table[r] = i;
            continue;
        }
        // Deliberately probes from i + 1, not r + 1, and stores r rather than i.
        for (int j = i + 1;; ++j) {
            if (j > n - 1) j = 0;
            if (table[j] == 0) {
                table[j] = r;
                break;
            }
        }
    }
    for (int i = 0; i < n; ++i) {
        std::swap(g.Goku[i], g.Goku[table[i]]);
        std::swap(g.Yomi[i], g.Yomi[table[i]]);
    }
}

std::u16string ReadingAt(const Game& g, int i) {
    return i >= 0 && i < static_cast<int>(g.Yomi.size()) ? g.Yomi[i] : std::u16string();
}

}  // namespace kb
