#include "app/page/page_features.h"

#include <emscripten.h>
#include <emscripten/html5.h>

#include <cstdlib>
#include <iterator>
#include <new>
#include <string>

#include "net/connection.h"
#include "platform/room/room_code.h"
#include "shell/scenes.h"
#include "text/ustr.h"
#include "typing/key_codes.h"
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

// A link to a room (?room=CODE) joins it at once: the client item, the code typed, Enter.
void JoinRoomFromLink(Game& g) {
    char* given = reinterpret_cast<char*>(EM_ASM_INT(
        { return allocateUTF8(new URLSearchParams(location.search).get("room") || ""); }));
    const std::string code = given;
    std::free(given);
    if (RoomCodeIn(code).empty()) return;
    g.s.GameMode = kModeClient;
    ShowAddressWindow(g);
    g.sv.form2->SetText(FromUtf8(code));
    Text1_KeyDown(g, kVkReturn, 0);
}

// Until the face arrives, a missing character draws as the face's empty box.
void CheckFace() {
    if (fetching || nextFace == std::size(kFaces) || WordsCovered()) return;
    fetching = true;
    EM_ASM({ kanaburstPage.loadFace(UTF8ToString($0), UTF8ToString($1)); }, kFaces[nextFace],
           (std::string(kFaceDir) + kFaces[nextFace]).c_str());
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
    JoinRoomFromLink(g);
}

}  // namespace kb

// The face asked for last is in place.
extern "C" EMSCRIPTEN_KEEPALIVE void kanaburst_face_loaded() {
    if (!kb::typeface || !kb::fetching) return;
    kb::typeface->UseFace(std::string(kb::kFaceDir) + kb::kFaces[kb::nextFace++]);
    kb::fetching = false;
    kb::CheckFace();
}

// The code of the room this page's server opened, for the link the page offers; "" for none.
extern "C" EMSCRIPTEN_KEEPALIVE const char* kanaburst_room_code() {
    static std::string code;
    code = kb::game && kb::game->s.GameMode == kb::kModeServer ? kb::ToUtf8(kb::RoomCode(*kb::game))
                                                               : "";
    return code.c_str();
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
