#include "replay/replay_file.h"

#include <cerrno>
#include <cstring>
#include <fstream>

#include "replay/replay_text.h"

namespace kb {

bool ReadReplayFile(const std::string& path, Replay& out, std::string& why) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        why = "cannot open " + path + ": " + std::strerror(errno);
        return false;
    }
    std::string text(kReplayMaxBytes + 1, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    if (in.bad()) {
        why = "cannot read " + path;
        return false;
    }
    text.resize(static_cast<size_t>(in.gcount()));
    if (text.size() > kReplayMaxBytes) {
        why = "the file is too large to be a replay (a replay is at most " +
              std::to_string(kReplayMaxBytes / 1024) + " KB)";
        return false;
    }
    return ReadReplay(text, out, why);
}

bool ReplayPlays(std::string_view text, std::string& why) {
    Replay replay;
    return ReadReplay(text, replay, why);
}

}  // namespace kb
