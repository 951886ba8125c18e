#pragma once
// What the browser page adds around the game: a canvas that a resize leaves alone, the larger
// typefaces fetched when the words in use need a character the face in use lacks, the player's
// own word list (web/page.js hands it over through kanaburst_words_changed), and the room the
// page's server keeps open, told to the page for the link it offers.
#include "platform/sdl/ttf_fonts.h"
#include "shell/game.h"

namespace kb {

// The player's own files, kept in the browser's storage between visits (web/page.js mounts it).
inline constexpr char kPlayerDir[] = "/kanaburst-player";

// Once the window exists and the game has loaded its words.
void StartPageFeatures(Game& g, TtfFontEngine& fonts);
// After every pass of the loop: tells the page when the room its server keeps open changes.
void TellRoomChanges(const Game& g);

}  // namespace kb
