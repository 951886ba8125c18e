#pragma once
// The player's record in the page: kept by PageRecordStore, drawn by the desktop's own view into
// a canvas of its own over the game's (web/record.js), and opened, as on the desktop, on the
// title or after a match, by the button beside the game's canvas or by F2. Its keys are the
// desktop record window's; export downloads the record file, import takes one chosen or dropped.
#include <SDL.h>

#include "record/record_store.h"
#include "shell/game.h"

namespace kb {

// The page's store, which the game keeps its matches in.
RecordStore& PageRecord();
// Once the game has started: the record's view over g.
void StartPageRecord(Game& g);
// F2 on the game's canvas opens the record, and never reaches the game; true for F2's events.
bool TakeRecordKey(const SDL_Event& ev);
// After every pass of the loop: shows the record anew when it has changed.
void UpdatePageRecord();

}  // namespace kb
