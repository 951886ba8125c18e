#pragma once
// A replay as text: a headless-driver script of its own kind, so that every replay also runs in
// kanaburst-sim (and a test is a replay with `state` lines put in). Line by line:
//
//   kanaburst-replay 1 1.1                 format, and the version of the game that recorded
//   start rng=5592405 second=37 fps=15 MenuNo=1 GameLevel=2 KeyState=2 LastKeyUp=13
//   queue "00"                             a message waiting to be sent (one line each)
//   held "5"                               received text that ended inside a message
//   words 1736                             entries in the word list
//   bundled 9c0e12aa 0 1203 77 504         entries 0, 1, 2, 3 are entries 1203, 77, 504 of the
//                                          word list the game comes with (of that check)
//   word 4 お茶 おちゃ                      an entry the player met: display form, reading
//   lengths 1731 4 5 3                     entries 1731, 1732, 1733 that only the computer read
//   play 1|14Kk|Aa(.)...                   the steps (below), on as many lines as needed
//   end 2712 0f3a9c1e                      frames in all, and a check of the lines above
//
// The steps of a play line, with blanks allowed between them:
//   123           that many frames         A..Z / a..z   letter key down / up
//   ( / )         Enter down / up          < / >         Backspace down / up
//   { / }         Up down / up             ; / :         Down down / up
//   - / =         the minus key down / up  [65] / [/65]  any key down / up
//   "043"         the peer's bytes arrive  *             the message on the wire went out
//   [q]           a connection knocks      [c"991"]      a debug console command
//   |             the clock's second moves on by one     [s37]   the second is 37
//   [f14]         the frame rate is 14     [x]           the next message is refused
//   .             no frame: between two steps of the player or the peer (keys, arrivals, *,
//                 [q], [c]) with no count between them one frame runs, after whatever |, [s],
//                 [f] or [x] stand between them, unless a . stands there
// A text is written as it is, or in quotes when it is empty or holds a blank, a quote, a
// backslash, a # or a control character; in quotes, \\ is a backslash, \" a quote and \xHH any
// byte. A # outside quotes, at the start of a line or after a blank, starts a comment.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "replay/replay.h"

namespace kb {

// A line of a replay file that is not part of the replay (a driver command put into it), with
// the number of steps that come before it.
struct ReplayExtraLine {
    int lineNo = 0;
    size_t stepsBefore = 0;
    std::string text;
};

// The replay as text; note, when not empty, becomes a comment line under the first.
std::string WriteReplay(const Replay& r, std::string_view note = {});

// The check of a file's bytes, as a replay names the word list it refers to.
uint32_t ReplayCheck(std::string_view bytes);

// Reads a replay. False with a reason for the player when it cannot be played exactly: not a
// replay, another format, cut short, damaged, too large, or a value the game never holds.
// Lines of other kinds go to extras when given, and are skipped otherwise.
bool ReadReplay(std::string_view text, Replay& out, std::string& why,
                std::vector<ReplayExtraLine>* extras = nullptr);

}  // namespace kb
