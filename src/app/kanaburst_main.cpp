// The game: one window, the frame loop at 15 frames per second, events between frames.
#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "debug/debug_log.h"
#include "net/connection.h"
#include "platform/mci_commands.h"
#include "platform/posix/environment.h"
#include "platform/posix/posix_socket.h"
#include "platform/posix/system_clock.h"
#include "platform/sdl/keymap.h"
#include "platform/sdl/main_window.h"
#include "platform/sdl/mixer_midi_player.h"
#include "platform/sdl/mixer_sound.h"
#include "platform/sdl/sdl_address_window.h"
#include "platform/sdl/sdl_debug_console.h"
#include "platform/sdl/sdl_dialogs.h"
#include "platform/sdl/sdl_images.h"
#include "platform/sdl/ttf_fonts.h"
#include "platform/sdl/window_events.h"
#include "shell/event_loop.h"
#include "shell/form.h"
#include "shell/main_loop.h"
#include "shell/ustr.h"
#include "typing/key_input.h"

namespace {

std::string ProgramDir() {
    char* base = SDL_GetBasePath();
    std::string dir = base ? base : ".";
    SDL_free(base);
    return dir;
}

// The window an event belongs to, 0 for none.
uint32_t EventWindow(const SDL_Event& ev) {
    switch (ev.type) {
        case SDL_WINDOWEVENT:
            return ev.window.windowID;
        case SDL_KEYDOWN:
        case SDL_KEYUP:
            return ev.key.windowID;
        case SDL_TEXTINPUT:
            return ev.text.windowID;
        case SDL_TEXTEDITING:
            return ev.edit.windowID;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP:
            return ev.button.windowID;
        case SDL_MOUSEMOTION:
            return ev.motion.windowID;
        case SDL_MOUSEWHEEL:
            return ev.wheel.windowID;
        default:
            return 0;
    }
}

// The address window edits its own text; its key presses also reach the game's Text1_KeyDown.
void HandleAddressEvent(kb::Game& g, kb::SdlAddressWindow& form2, const SDL_Event& ev) {
    form2.HandleEvent(ev);
    if (ev.type == SDL_KEYDOWN) {
        const int code = kb::VirtualKeyFromSdl(ev.key.keysym.sym, ev.key.keysym.scancode);
        kb::Text1_KeyDown(g, code, kb::ShiftBitsFromSdl(ev.key.keysym.mod));
    }
}

void HandleEvent(kb::Game& g, kb::MainWindow& window, kb::SdlAddressWindow& form2,
                 kb::SdlDebugConsole& debugWin, const SDL_Event& ev) {
    if (form2.Id() != 0 && EventWindow(ev) == form2.Id()) return HandleAddressEvent(g, form2, ev);
    if (debugWin.Id() != 0 && EventWindow(ev) == debugWin.Id()) return debugWin.HandleEvent(ev);
    kb::HandleMainWindowEvent(g, window, ev);
}

// The window's events: keys, mouse and windows come from SDL's queue, and the socket watcher
// wakes the sleep with an event of our own.
class WindowLoopHost : public kb::LoopHost {
  public:
    WindowLoopHost(kb::MainWindow& window, kb::SdlAddressWindow& form2,
                   kb::SdlDebugConsole& debugWin, std::FILE* frameLog)
        : window_(window),
          form2_(form2),
          debugWin_(debugWin),
          frameLog_(frameLog),
          wakeEvent_(SDL_RegisterEvents(1)) {}

    void Sleep(uint32_t ms) override { SDL_WaitEventTimeout(nullptr, static_cast<int>(ms)); }
    void Wake() override {
        SDL_Event ev{};
        ev.type = wakeEvent_;
        SDL_PushEvent(&ev);
    }
    void PumpEvents(kb::Game& g) override {
        SDL_Event ev;
        while (!g.ended && SDL_PollEvent(&ev))
            if (ev.type != wakeEvent_) HandleEvent(g, window_, form2_, debugWin_, ev);
    }
    void PassDone(kb::Game& g, bool frameRan) override {
        if (frameRan && frameLog_) {
            std::fprintf(frameLog_, "%u\n", g.loop.LastFrameTime);
            std::fflush(frameLog_);
        }
        debugWin_.Redraw();
    }

  private:
    kb::MainWindow& window_;
    kb::SdlAddressWindow& form2_;
    kb::SdlDebugConsole& debugWin_;
    std::FILE* frameLog_;
    const uint32_t wakeEvent_;
};

}  // namespace

int main(int, char**) {
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
        SDL_Log("Kanaburst cannot start: %s", SDL_GetError());
        return 1;
    }
    kb::SdlDialogs dialogs;
    const std::string dir = ProgramDir();
    kb::TtfFontEngine fonts;
    std::string error;
    if (!fonts.Open(kb::TtfFontEngine::FindFontFile(dir), error)) {
        dialogs.MessageBox(u"Kanaburst", u"ゲーム起動に失敗しました\n" + kb::FromUtf8(error),
                           kb::Dialogs::Icon::kWarning);
        SDL_Quit();
        return 1;
    }
    kb::MainWindow window;
    if (!window.Create("Kanaburst Ver1.1", 480, 320, error)) {
        dialogs.MessageBox(u"Kanaburst", u"ゲーム起動に失敗しました\n" + kb::FromUtf8(error),
                           kb::Dialogs::Icon::kWarning);
        SDL_Quit();
        return 1;
    }
    dialogs.SetParent(window.Handle());

    kb::SystemClock clock;
    kb::SdlImageLoader images;
    kb::PosixSocket winsock, winsockL;
    kb::SdlAddressWindow form2(fonts);
    if (!form2.Create("Kanaburst", error)) SDL_Log("No address window: %s", error.c_str());
    // Sound opens SDL's audio itself: a machine without an audio device still runs, silent.
    kb::MixerSoundDevice sound;
    kb::MixerMidiPlayer midi;
    kb::MciMusicDevice music(midi);
    kb::SdlDebugConsole debugWin(kb::TtfFontEngine::FindFontFile(dir));
    kb::Services sv;
    sv.sound = &sound;
    sv.music = &music;
    sv.clock = &clock;
    sv.dialogs = &dialogs;
    sv.fonts = &fonts;
    sv.images = &images;
    sv.programDir = dir;
    sv.userDir = kb::PlayerDataDir(dir, KB_INSTALL_DIR);
    sv.trace = kb::TraceFromEnvironment();
    sv.winsock = &winsock;
    sv.winsockL = &winsockL;
    sv.form2 = &form2;
    sv.debugWin = &debugWin;
    // KB_PORT moves the game's port, so that measurements run without root beside another game.
    if (const char* port = std::getenv("KB_PORT")) sv.gamePort = std::atoi(port);
    kb::Game g(sv);
    g.Display.onRefresh = [&window](const kb::Surface& s) { window.Present(s.View()); };
    debugWin.onCommandKey = [&g](int key) { kb::SndTxt_KeyDown(g, key, 0); };
    debugWin.onCopy = [&g] { kb::Command1_Click(g); };
    // KB_FRAME_LOG=FILE records the timer value at every frame start, for measuring pacing.
    const char* frameLogPath = std::getenv("KB_FRAME_LOG");
    std::FILE* frameLog = frameLogPath ? std::fopen(frameLogPath, "w") : nullptr;

    if (kb::Form_Load(g)) {
        WindowLoopHost host(window, form2, debugWin, frameLog);
        kb::EventLoop(g, host).Run();
    }
    if (frameLog) std::fclose(frameLog);
    debugWin.Unload();  // its renderer and textures must go before SDL does
    SDL_Quit();
    return 0;
}
