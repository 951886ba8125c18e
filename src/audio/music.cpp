#include "audio/music.h"

namespace kb {

namespace {

// Sends one command; its result is of no interest, only the answer to a status query is.
std::string Send(Game& g, const std::string& command) {
    g.Trace("music " + command);
    std::string answer;
    g.sv.music->SendString(command, answer);
    return answer;
}

}  // namespace

void MusicPlay(Game& g, const std::string& path) {
    Send(g, "open \"" + path + "\" alias Media");
    Send(g, "play Media");
}

void MusicPause(Game& g) {
    Send(g, "stop Media");
    Send(g, "seek media to start");
}

void MusicLoop(Game& g) {
    if (Send(g, "status Media mode").substr(0, 7) == "playing") return;
    Send(g, "seek Media to start");
    Send(g, "play Media");
}

void MusicClose(Game& g) {
    Send(g, "stop Media");
    Send(g, "close Media");
}

}  // namespace kb
