// Placeholders until the typing engine lands.
#include "typing/key_input.h"
#include "typing/mistype.h"
#include "typing/word_list.h"

namespace kb {
void Read_File(Game&) {}
void addStr(Game& g, std::u16string gStr, std::u16string yStr) {
    g.Goku.push_back(std::move(gStr));
    g.Yomi.push_back(std::move(yStr));
}
void rndSort(Game&) {}
std::u16string ReadingAt(const Game& g, int i) {
    return i >= 0 && i < static_cast<int>(g.Yomi.size()) ? g.Yomi[i] : std::u16string();
}
void Display_KeyDown(Game&, int, int) {}
void Display_KeyUp(Game&, int, int) {}
void addWrong(Game&, std::u16string, std::u16string) {}
void SortWrong(Game& g) { g.SortW.clear(); }
}  // namespace kb
