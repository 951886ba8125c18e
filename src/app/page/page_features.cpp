#include "app/page/page_features.h"

#include <emscripten/html5.h>

#include <iterator>
#include <new>
#include <string>

#include "app/page/page_calls.h"
#include "net/connection.h"
#include "platform/web/page_script.h"
#include "shell/scenes.h"
#include "text/ustr.h"
#include "typing/word_file.h"

namespace kb {
namespace {

Game* game = nullptr;
TtfFontEngine* typeface = nullptr;

// The faces the page fetches, in turn, while the words in use hold a character the face in use
// lacks: it starts with the screens' own texts (in index.data), then the face with the bundled
// list's characters, then the full one. Each goes beside the page's files.
constexpr const char* kFaces[] = {"kanaburst-gothic.ttf", "ipag.ttf"};
constexpr char kFaceDir[] = "/kanaburst/";
size_t nextFace = 0;
bool fetching = false;
std::string toldRoom;  // the room code the page was told last

// Whether the face in use draws every word the game reads at its next return to the title (the
// list in use, or the player's new one).
bool WordsCovered() {
    const FileBytes file = ReadFileBytes(ProgramFile(*game, "str.dat"));
    try {
        for (const auto& [display, reading] : ParseWordFile(file.bytes, file.whole).entries)
            if (!typeface->Covers(display) || !typeface->Covers(reading)) return false;
    } catch (const std::bad_alloc&) {
        // No room to read them here; the game's own load will say so.
    }
    return true;
}

// Until the face arrives, a missing character draws as the face's empty box.
void CheckFace() {
    if (fetching || nextFace == std::size(kFaces) || WordsCovered()) return;
    fetching = true;
    kb_load_face(kFaces[nextFace], (std::string(kFaceDir) + kFaces[nextFace]).c_str());
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

void TellRoomChanges(const Game& g) {
    const std::string code = g.s.GameMode == kModeServer ? ToUtf8(RoomCode(g)) : "";
    if (code == toldRoom) return;
    toldRoom = code;
    kb_room_changed(code.c_str());
}

}  // namespace kb

extern "C" void kanaburst_face_loaded() {
    if (!kb::typeface || !kb::fetching) return;
    kb::typeface->UseFace(std::string(kb::kFaceDir) + kb::kFaces[kb::nextFace++]);
    kb::fetching = false;
    kb::CheckFace();
}

// On the plain title the game goes back to its starting state at once, so that the title counts
// the new words (and a bad file gets its box now); elsewhere the next return to the title reads
// them.
extern "C" void kanaburst_words_changed() {
    kb::Game* g = kb::game;
    if (!g || g->ended) return;
    if (g->s.SceneNo == kb::kSceneTitle && g->s.GameMode == kb::kModeNone) kb::Start_Init(*g);
    kb::CheckFace();
}
