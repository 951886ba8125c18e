#include "app/replay_window.h"

#include "platform/sdl/keymap.h"
#include "record/keep_match.h"
#include "replay/replay_file.h"
#include "replay/replay_text.h"
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

void KeepReplays(Machine& machine, Game& g) {
    machine.Replays()->onRecorded = [&g](const std::string& text) { KeepReplayOfMatch(g, text); };
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

namespace {

// Shows replay in the window until the watcher leaves it, or the window is closed.
void Watch(Machine& machine, Game& g, Replay replay) {
    std::string why;
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

}  // namespace

void WatchReplay(Machine& machine, Game& g, const std::string& file) {
    Replay replay;
    std::string why;
    if (!ReadReplayFile(file, replay, why)) return CannotPlay(g, why);
    Watch(machine, g, std::move(replay));
}

void WatchReplayText(Machine& machine, Game& g, const std::string& text) {
    Replay replay;
    std::string why;
    if (!ReadReplay(text, replay, why)) return CannotPlay(g, why);
    SDL_RaiseWindow(machine.Window().Handle());
    Watch(machine, g, std::move(replay));
}

}  // namespace kb
