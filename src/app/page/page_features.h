#pragma once
// What the browser page adds around the game: a canvas that a resize leaves alone, the larger
// typefaces fetched when the words in use need a character the face in use lacks, the player's
// own word list (web/page.js hands it over through kanaburst_words_changed), and rooms joined
// from a link (?room=CODE; the host's page shows that link, from kanaburst_room_code).
#include "platform/sdl/ttf_fonts.h"
#include "shell/game.h"

namespace kb {

// The player's own files, kept in the browser's storage between visits (web/page.js mounts it).
inline constexpr char kPlayerDir[] = "/kanaburst-player";

// Once the window exists and the game has loaded its words.
void StartPageFeatures(Game& g, TtfFontEngine& fonts);

}  // namespace kb
