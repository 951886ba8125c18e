#pragma once
// What the browser page's scripts call in the game (web/page.js, and its tests through ccall).
// The page's build exports exactly the functions declared here (web/CMakeLists.txt reads this
// list), so a call the page makes and a function the game has cannot drift apart.

extern "C" {

// The state record as the headless driver prints it (JSON), for the page's tests to read.
const char* kanaburst_state();
// A key typed in the page's address box: Enter connects, Escape cancels.
void kanaburst_address_key(int keyCode);
// A key typed in the debug console's command box: Enter sends the command.
void kanaburst_console_key(int keyCode);
// The debug console's COPY button.
void kanaburst_console_copy();
// The debug console's close button.
void kanaburst_console_close();
// The typeface asked for last (kb_load_face) is in place.
void kanaburst_face_loaded();
// The player chose a word list, or the bundled one again.
void kanaburst_words_changed();
// Watches the replay in the file at path (packed 1: a link's deflated bytes, 0: a replay file)
// in the canvas. "" when it plays, else why it cannot.
const char* kanaburst_replay_watch(const char* path, int packed);
// The state record of the replay being watched (JSON), "" when none is.
const char* kanaburst_replay_state();
}
