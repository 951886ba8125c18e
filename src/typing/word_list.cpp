#include "typing/word_list.h"

#include <algorithm>
#include <new>
#include <utility>
#include <vector>

#include "typing/word_file.h"

namespace kb {

// A file that cannot be opened or read to its end (a directory of that name, an I/O error)
// gives the box with the display form read last; the entries before the error stay and the
// game goes on.
void Read_File(Game& g) {
    const std::string path = ProgramFile(g, "str.dat");
    g.ownWords = PlayerFile(g, "str.dat");
    const FileBytes file = ReadFileBytes(path);
    if (!file.opened) {
        g.Trace("words 0 " + path);
        // Nothing was read, so the box has no word to name.
        MsgBox(g, u"");
        return;
    }
    WordFileResult words;
    try {
        words = ParseWordFile(file.bytes, file.whole);
    } catch (const std::bad_alloc&) {
        words.failed = true;  // no room for the words: as unreadable as a read error
    }
    g.Trace("words " + std::to_string(words.entries.size()) + " " + path);
    for (auto& [display, reading] : words.entries)
        addStr(g, std::move(display), std::move(reading));
    // The entries before the fault stay: a damaged list still gives a game.
    if (words.failed) MsgBox(g, words.lastDisplay);
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
