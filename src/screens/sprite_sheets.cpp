#include "screens/sprite_sheets.h"

#include "screens/sprite_art.h"

namespace kb {

namespace {

void Fill(Surface& surface, int w, int h, void (*draw)(uint32_t*)) {
    std::vector<uint32_t> px(static_cast<size_t>(w) * h);
    draw(px.data());
    surface.SetPicture(w, h, px);
}

}  // namespace

void LoadSpriteSheets(Game& g) {
    Fill(g.PIC, 320, 64, DrawPicSheet);
    Fill(g.EXPpic, 320, 128, DrawExpSheet);
    Fill(g.Waku, 36, 36, DrawWakuFrame);
}

}  // namespace kb
