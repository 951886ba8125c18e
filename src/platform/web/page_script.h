#pragma once
// What the game calls in the browser page: web/game_calls.js (linked with --js-library) holds
// each of these, and the page's own scripts (web/page.js, web/music.js) do the work. Texts go
// both ways as UTF-8; a text the page returns is the caller's to free. The other way round, what
// the page calls in the game is app/page/page_calls.h.
#include <cstddef>
#include <cstdint>

extern "C" {

// The text of the page's input element with this id.
char* kb_input_text(const char* id);
// Replaces the text of the page's input element with this id.
void kb_set_input_text(const char* id, const char* text);

// Shows the address box with the keys in it (1), or hides it and gives them back to the game (0).
void kb_address_show(int shown);
// 1 while the address box is shown.
int kb_address_shown();

// Shows the debug console under the canvas.
void kb_console_show();
// Hides the debug console and empties its log and command box.
void kb_console_close();
// Adds a line at the foot of the console's log, in view.
void kb_console_append(const char* line);
// Puts text on the system clipboard, where the page may.
void kb_clipboard_write(const char* text);

// Opens the MIDI piece of len bytes at data, lasting lengthMs, in the page's synthesiser.
void kb_music_open(const uint8_t* data, size_t len, double lengthMs);
// Plays the open piece from where it stands.
void kb_music_play();
// Stops the open piece where it is.
void kb_music_stop();
// Puts the open piece back to its start.
void kb_music_rewind();
// 1 while the open piece plays.
int kb_music_playing();
// Closes the open piece.
void kb_music_close();
// Lets the synthesiser load, once the title is up.
void kb_music_begin();

// The sample rate of the effects' output the page opened; 0 when it opened none.
int kb_effects_rate();
// Fetches the typeface `file` from beside the page into `path`; kanaburst_face_loaded follows.
void kb_load_face(const char* file, const char* path);
// Tells the page the code of the room its server keeps open ("" for none), for the link it offers.
void kb_room_changed(const char* code);
// Tells the page what a look at the lobby found: the public rooms waiting, longest first, one a
// line of code, seconds waited, the host's name and the word list's, separated by tabs; or why
// the look failed (problem, otherwise empty).
void kb_lobby_rooms(const char* rooms, const char* problem);
// Tells the page that the game has ended (after "Connect Lost", say): nothing of it runs now.
void kb_game_ended();

// The title is up: the page opens the record's storage and reads it back, each entry through
// kanaburst_record_stored and then kanaburst_record_read (app/page/page_calls.h).
void kb_record_begin();
// Keeps one entry of the record (kind 0 a match, 1 a practice run) under key in the browser's
// storage, as its text; an entry already kept under that key stays as it is.
void kb_record_write(int kind, const char* key, const char* text);
// Forgets every entry of the record in the browser's storage.
void kb_record_wipe();
// Shows the record's picture, w x h pixels of 4 bytes (red, green, blue, alpha), in its canvas.
void kb_record_show(const uint8_t* rgba, int w, int h);
// Hides the record's canvas and gives the keys back to the game.
void kb_record_hide();
// Offers the file at path to the player as a download named name, then removes it.
void kb_record_download(const char* path, const char* name);

// A match's replay as text, and deflated for a link in len bytes at packed (len 0: too long for
// a link).
void kb_replay_recorded(const char* text, const uint8_t* packed, size_t len);
// The replay watched in the canvas has been left: the game's own picture is back.
void kb_replay_closed();

// Opens a link to the relay at url (ws:// or wss://) as user with this client id and will (none
// when its topic is empty); returns its handle.
int kb_relay_open(const char* url, const char* user, const char* id, const char* will,
                  int willRetained);
// The link's state: 0 connecting, 1 up, 2 down.
int kb_relay_state(int handle);
// Why the link is down.
char* kb_relay_why(int handle);
// op 0 subscribes to topic, op 1 publishes len bytes at data to it; queued until the link is up.
void kb_relay_send(int handle, int op, const char* topic, const uint8_t* data, int len, int retain);
// The next message that came in as one block (topic length, topic, payload length, payload; the
// lengths as little-endian 32-bit words), or null when none is waiting.
uint8_t* kb_relay_take(int handle);
// Closes the link: what was sent goes out before the goodbye, and the will is not published.
void kb_relay_close(int handle);
}
