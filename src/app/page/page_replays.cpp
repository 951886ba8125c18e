#include "app/page/page_replays.h"

#include <fstream>
#include <memory>
#include <string>

#include "app/page/page_calls.h"
#include "app/replay_window.h"
#include "app/sim_state.h"
#include "platform/web/page_script.h"
#include "record/keep_match.h"
#include "replay/replay_file.h"
#include "replay/replay_link.h"
#include "replay/replay_text.h"

namespace kb {

namespace {

struct PageReplays {
    Machine* machine = nullptr;
    Game* game = nullptr;
    std::unique_ptr<ReplayWatch> watch;
};

PageReplays replays;

// The deflated bytes of a link in the file at path: never more than a link can hold, so that
// the unpacking tells an oversized one.
bool ReadLinkFile(const std::string& path, Replay& out, std::string& why) {
    std::ifstream in(path, std::ios::binary);
    std::string packed(kReplayLinkMaxBytes + 1, '\0');
    in.read(packed.data(), static_cast<std::streamsize>(packed.size()));
    packed.resize(static_cast<size_t>(in.gcount()));
    std::string text;
    return UnpackLink(packed, text, why) && ReadReplay(text, out, why);
}

}  // namespace

void HandReplaysToPage(Machine& machine, Game& g) {
    replays.machine = &machine;
    replays.game = &g;
    machine.Replays()->onRecorded = [&g](const std::string& text) {
        KeepReplayOfMatch(g, text);
        const std::string packed = PackForLink(text);
        kb_replay_recorded(text.c_str(), reinterpret_cast<const uint8_t*>(packed.data()),
                           packed.size());
    };
}

namespace {

// Starts watching replay in the canvas, in place of any watched before. "" when it plays.
std::string Watch(Replay replay) {
    PageReplays& r = replays;
    if (!r.machine) return "the game has not started";
    if (r.game->s.SceneNo == kSceneMatch) return "a match is on: watch it after the match";
    r.watch.reset();  // one replay at a time: a second one opened replaces the first
    auto watch = std::make_unique<ReplayWatch>(*r.machine, *r.game, std::move(replay));
    std::string why;
    if (!watch->Start(why)) return why;
    r.watch = std::move(watch);
    return {};
}

}  // namespace

bool WatchKeptReplay(const std::string& text, std::string& why) {
    Replay replay;
    if (!ReadReplay(text, replay, why)) return false;
    why = Watch(std::move(replay));
    return why.empty();
}

bool Watching() {
    return replays.watch != nullptr;
}

bool WatchingPass() {
    if (!Watching()) return false;
    SDL_Event ev;
    while (SDL_PollEvent(&ev)) replays.watch->Handle(ev);
    replays.watch->Tick();
    if (replays.watch->Closed()) {
        replays.watch.reset();
        kb_replay_closed();
    }
    return true;
}

}  // namespace kb

extern "C" const char* kanaburst_replay_watch(const char* path, int packed) {
    static std::string why;
    why.clear();
    kb::Replay replay;
    const bool read =
        packed ? kb::ReadLinkFile(path, replay, why) : kb::ReadReplayFile(path, replay, why);
    if (read) why = kb::Watch(std::move(replay));
    return why.c_str();
}

extern "C" const char* kanaburst_replay_state() {
    static std::string json;
    json = kb::replays.watch ? kb::StateJson(kb::replays.watch->game()) : "";
    return json.c_str();
}
