// Any bytes from a peer, as whole messages handed to the dispatcher, in a network match on
// either side. The first byte chooses the side (even: server, odd: client); the rest is split
// into messages at every 0x00 byte, and 0xFF runs a frame between messages.
#include <cstddef>
#include <cstdint>
#include <string>

#include "started_game.h"
#include "net/protocol.h"
#include "shell/scenes.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    kb::fuzz::StartedGame& f = kb::fuzz::StartedGame::Fresh();
    kb::Game& g = f.g();
    g.s.GameMode = (data[0] & 1) ? kb::kModeClient : kb::kModeServer;
    kb::GameStartInit(g);
    std::u16string message;
    for (size_t i = 1; i <= size && !g.ended; ++i) {
        if (i == size || data[i] == 0x00 || data[i] == 0xFF) {
            if (!message.empty()) kb::GetDataDo(g, message);
            message.clear();
            if (i < size && data[i] == 0xFF) f.Frames(1);
            continue;
        }
        message.push_back(static_cast<char16_t>(data[i]));
    }
    f.Frames(1);
    return 0;
}
