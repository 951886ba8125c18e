#include "platform/web/page_features.h"

#include <emscripten.h>
#include <emscripten/html5.h>

#include "shell/scenes.h"

namespace kb {
namespace {

Game* game = nullptr;
TtfFontEngine* typeface = nullptr;
bool fullFaceAsked = false;

// Where the page puts the full face once fetched (web/page.js).
constexpr char kFullFace[] = "/kanaburst/ipag.ttf";

// The page's face holds only what the bundled files draw; a player's list may need the full
// one. Until it arrives, a missing character draws as the face's empty box.
void CheckFace() {
    if (fullFaceAsked) return;
    for (const auto* list : {&game->Goku, &game->Yomi}) {
        for (const auto& text : *list) {
            if (typeface->Covers(text)) continue;
            fullFaceAsked = true;
            EM_ASM({ kanaburstPage.loadFullFace(UTF8ToString($0)); }, kFullFace);
            return;
        }
    }
}

}  // namespace

void StartPageFeatures(Game& g, TtfFontEngine& fonts) {
    game = &g;
    typeface = &fonts;
    // SDL sets the canvas's size again on every resize of the browser window, even to the size
    // it has, and that clears the picture until the next frame. The page scales the canvas
    // with its style instead, so SDL's handler goes.
    emscripten_set_resize_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_FALSE, nullptr);
    CheckFace();
}

}  // namespace kb

// The full face is in place.
extern "C" EMSCRIPTEN_KEEPALIVE void kanaburst_full_face() {
    if (kb::typeface) kb::typeface->UseFace(kb::kFullFace);
}

// The player chose a word list, or the bundled one again. On the plain title the game goes back
// to its starting state at once, so that the title counts the new words (and a bad file gets
// its box now); elsewhere the next return to the title reads it.
extern "C" EMSCRIPTEN_KEEPALIVE void kanaburst_words_changed() {
    kb::Game* g = kb::game;
    if (!g || g->ended) return;
    if (g->s.SceneNo == kb::kSceneTitle && g->s.GameMode == kb::kModeNone) kb::Start_Init(*g);
    kb::CheckFace();
}
