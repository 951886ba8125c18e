// Any text typed into the debug console's command line and sent with Enter, in a network match
// or on the title. Each input line is one command; the first byte chooses the mode (0 none,
// 1 client, 2 server, as its value modulo 3); a frame runs after every command.
#include <cstddef>
#include <cstdint>
#include <string>

#include "debug/debug_log.h"
#include "platform/debug_console.h"
#include "shell/scenes.h"
#include "started_game.h"
#include "typing/key_codes.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    kb::fuzz::StartedGame& f = kb::fuzz::StartedGame::Fresh();
    kb::Game& g = f.G();
    constexpr kb::Long kModes[] = {kb::kModeNone, kb::kModeClient, kb::kModeServer};
    g.s.GameMode = kModes[data[0] % 3];
    if (g.s.GameMode != kb::kModeNone) kb::GameStartInit(g);
    kb::DebugConsole& console = kb::DebugWin(g);
    console.Show();
    std::u16string line;
    for (size_t i = 1; i <= size && !g.ended; ++i) {
        if (i < size && data[i] != '\n') {
            line.push_back(static_cast<char16_t>(data[i]));
            continue;
        }
        console.SetCommandText(line);
        kb::SndTxt_KeyDown(g, kb::kVkReturn, 0);
        line.clear();
        f.Frames(1);
    }
    return 0;
}
