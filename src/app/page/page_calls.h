#pragma once
// What the browser page's scripts call in the game (web/page.js, and its tests through ccall).
// The page's build exports exactly the functions declared here (web/CMakeLists.txt reads this
// list), so a call the page makes and a function the game has cannot drift apart.

#include <cstdint>

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
// A pass of the game's loop while the page is hidden and its animation frames have stopped
// (web/page.js calls it on a worker's ticks and when the relay brings a message): every frame
// that came due runs, in order, each timed as if on time.
void kanaburst_hidden_pass();
// The lobby's "host a public room": a room opens, listed under name. 1 when it did, 0 when the
// game is not on its title, -1 when the name shows nothing.
int kanaburst_host_public(const char* name);
// Joins the room with this code, or a quick match ("quick"): 1 when the game set out to, 0 when
// it is not on its title.
int kanaburst_join(const char* address);
// Looks at the relay's lobby: kb_lobby_rooms follows with what it found.
void kanaburst_look_at_lobby();
// Watches the replay in the file at path (packed 1: a link's deflated bytes, 0: a replay file)
// in the canvas. "" when it plays, else why it cannot.
const char* kanaburst_replay_watch(const char* path, int packed);
// The state record of the replay being watched (JSON), "" when none is.
const char* kanaburst_replay_state();

// Opens the player's record where it may open (on the title or after a match): 1 when it did.
int kanaburst_record_open();
// The record's close button: it hides, and the keys go back to the game.
void kanaburst_record_close();
// A key pressed on the record's canvas (its code, as the desktop record window takes it).
void kanaburst_record_key(int keyCode);
// A click on the record's canvas at pixels (x, y) of its picture: one of the latest matches is
// chosen and its replay watched.
void kanaburst_record_click(int x, int y);
// The record's export button: the record file is offered as a download.
void kanaburst_record_export();
// A record file the player chose or dropped on the record, named name, of length bytes: imported.
void kanaburst_record_import(const char* name, const uint8_t* bytes, int length);
// An entry of the browser's storage read back (kind 0 a match, 1 a practice run, 2 a match's
// replay): its key and its text.
void kanaburst_record_stored(int kind, const char* key, const char* text);
// The storage has been read to its end; returns what is wrong with the record, "" when well.
const char* kanaburst_record_read();
// What is wrong with the browser's storage ("" when well), to show on the record.
void kanaburst_record_problem(const char* problem);
// Another tab of the page forgot every match; the storage is read again next.
void kanaburst_record_forget();
// The whole record as a record file's text, for the page's tests to read.
const char* kanaburst_record_file();
}
