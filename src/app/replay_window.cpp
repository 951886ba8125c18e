#include "app/replay_window.h"

#include <SDL.h>

#include <ctime>

#include "platform/posix/environment.h"
#include "platform/sdl/keymap.h"
#include "replay/playback.h"
#include "replay/replay_shelf.h"
#include "replay/replay_viewer.h"
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

void WatchReplay(Machine& machine, Game& g, const std::string& file) {
    Replay replay;
    std::string why;
    if (!ReadReplayFile(file, replay, why)) return CannotPlay(g, why);
    Playback p(std::move(replay), machine.Lend());
    ReplayViewer viewer(p);
    Surface shown;
    shown.SetFonts(&machine.Fonts());
    MainWindow& window = machine.Window();
    p.game().Display.onRefresh = [&](const Surface& d) {
        ComposeWithStatus(d, viewer.Status(), shown);
        window.Present(shown.View());
    };
    if (!p.Start(why)) return CannotPlay(g, why);
    uint32_t wait = 0;
    while (!viewer.Closed() && !g.ended) {
        SDL_WaitEventTimeout(nullptr, static_cast<int>(wait));
        SDL_Event ev;
        while (SDL_PollEvent(&ev)) {
            if (Closes(ev, window)) {
                Form_Unload(g);
            } else if (ev.type == SDL_WINDOWEVENT && ev.window.windowID == window.Id()) {
                window.Redraw();
            } else if ((ev.type == SDL_KEYDOWN || ev.type == SDL_KEYUP) &&
                       ev.key.windowID == window.Id() && !window.TakeKey(ev.key) &&
                       ev.type == SDL_KEYDOWN) {
                // The watcher's keys steer the watching; the game plays the recorded ones.
                viewer.KeyDown(VirtualKeyFromSdl(ev.key.keysym.sym, ev.key.keysym.scancode));
                p.game().Display.Refresh();  // the corner shows what the key did
            }
        }
        wait = viewer.Tick(SDL_GetTicks());
    }
    window.Present(g.Display.View());
}

}  // namespace kb
