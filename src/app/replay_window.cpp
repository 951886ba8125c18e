#include "app/replay_window.h"

#include <ctime>

#include "platform/posix/environment.h"
#include "platform/sdl/keymap.h"
#include "replay/replay_shelf.h"
#include "shell/form.h"
#include "text/ustr.h"

namespace kb {

namespace {

void CannotPlay(Game& g, const std::string& why) {
    MsgBox(g, u"This replay cannot be played:\n" + FromUtf8(why));
}

// Whether the event closes the window (the program ends).
bool Closes(const SDL_Event& ev, const MainWindow& window) {
    return ev.type == SDL_QUIT ||
           (ev.type == SDL_WINDOWEVENT && ev.window.windowID == window.Id() &&
            ev.window.event == SDL_WINDOWEVENT_CLOSE);
}

}  // namespace

void KeepReplays(Machine& machine) {
    machine.Replays()->onRecorded = [dir = PlayerReplayDir()](const std::string& text) {
        std::string why = dir.empty() ? "there is no home folder" : "";
        if (!dir.empty()) ReplayShelf(dir).Keep(text, std::time(nullptr), why);
        if (!why.empty()) SDL_Log("The match's replay is not kept: %s", why.c_str());
    };
}

ReplayWatch::ReplayWatch(Machine& machine, Game& behind, Replay replay)
    : window_(machine.Window()), behind_(behind), playback_(std::move(replay), machine.Lend()) {
    shown_.SetFonts(&machine.Fonts());
    playback_.game().Display.onRefresh = [this](const Surface& d) {
        ComposeWithStatus(d, viewer_.Status(), shown_);
        window_.Present(shown_.View());
    };
}

ReplayWatch::~ReplayWatch() {
    window_.Present(behind_.Display.View());
}

bool ReplayWatch::Start(std::string& why) {
    return playback_.Start(why);
}

void ReplayWatch::Handle(const SDL_Event& ev) {
    if (ev.type == SDL_WINDOWEVENT && ev.window.windowID == window_.Id()) {
        window_.Redraw();
    } else if ((ev.type == SDL_KEYDOWN || ev.type == SDL_KEYUP) &&
               ev.key.windowID == window_.Id() && !window_.TakeKey(ev.key) &&
               ev.type == SDL_KEYDOWN) {
        // The watcher's keys steer the watching; the game plays the recorded ones.
        viewer_.KeyDown(VirtualKeyFromSdl(ev.key.keysym.sym, ev.key.keysym.scancode));
        playback_.game().Display.Refresh();  // the corner shows what the key did
    }
}

void WatchReplay(Machine& machine, Game& g, const std::string& file) {
    Replay replay;
    std::string why;
    if (!ReadReplayFile(file, replay, why)) return CannotPlay(g, why);
    ReplayWatch watch(machine, g, std::move(replay));
    if (!watch.Start(why)) return CannotPlay(g, why);
    uint32_t wait = 0;
    while (!watch.Closed() && !g.ended) {
        SDL_WaitEventTimeout(nullptr, static_cast<int>(wait));
        SDL_Event ev;
        while (SDL_PollEvent(&ev)) {
            if (Closes(ev, machine.Window()))
                Form_Unload(g);
            else
                watch.Handle(ev);
        }
        wait = watch.Tick();
    }
}

}  // namespace kb
