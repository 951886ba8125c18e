#include "app/record_window.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "app/window_events.h"
#include "platform/sdl/keymap.h"
#include "record/record_actions.h"
#include "text/ustr.h"

namespace kb {

std::string HomeFolder() {
    const char* home = std::getenv("HOME");
    return home && *home ? home : ".";
}

std::string ExportFileName(const WallTime& now) {
    return (std::filesystem::path(HomeFolder()) / RecordFileName(now)).string();
}

bool RecordWindow::HandleEvent(const SDL_Event& ev) {
    if ((ev.type == SDL_KEYDOWN || ev.type == SDL_KEYUP) && ev.key.windowID == game_.Id() &&
        ev.key.keysym.sym == SDLK_F2) {
        if (ev.type == SDL_KEYDOWN && !ev.key.repeat && RecordScreen::MayOpen(g_)) {
            Open();
            // The new window takes the focus with F2 still down, and SDL tells it so by a
            // press of its own: that one must not close it again.
            f2Held_ = true;
        }
        return true;
    }
    if (ev.type == SDL_DROPFILE) {
        if (ev.drop.windowID != Id() || !ev.drop.file) return false;
        screen_.Import(ev.drop.file);
        SDL_free(ev.drop.file);
        Present();
        return true;
    }
    if (!window_ || EventWindowId(ev) != Id()) return false;
    if (ev.type == SDL_WINDOWEVENT) {
        if (ev.window.event == SDL_WINDOWEVENT_CLOSE) Close();
        if (ev.window.event == SDL_WINDOWEVENT_EXPOSED ||
            ev.window.event == SDL_WINDOWEVENT_SIZE_CHANGED)
            window_->Redraw();
    } else if (ev.type == SDL_KEYDOWN && ev.key.keysym.sym == SDLK_F2 && f2Held_) {
        // The opening press, seen again by the new window.
    } else if (ev.type == SDL_KEYDOWN && !window_->TakeKey(ev.key)) {
        const int code = VirtualKeyFromSdl(ev.key.keysym.sym, ev.key.keysym.scancode);
        switch (screen_.KeyDown(code)) {
            case RecordScreen::Request::kClose:
                Close();
                return true;
            case RecordScreen::Request::kExport:
                screen_.Export(ExportFileName(g_.sv.clock->Now()));
                break;
            case RecordScreen::Request::kWatch:
                if (!watch) break;
                watch(screen_.ChosenReplay());
                // The watcher left the replay: back to the record, where it was chosen.
                if (window_) SDL_RaiseWindow(window_->Handle());
                break;
            case RecordScreen::Request::kSaveReplay:
                screen_.SaveReplay(HomeFolder());
                break;
            case RecordScreen::Request::kNone:
                break;
        }
        Present();
    } else if (ev.type == SDL_KEYUP) {
        if (ev.key.keysym.sym == SDLK_F2) f2Held_ = false;
        window_->TakeKey(ev.key);
    }
    return true;
}

void RecordWindow::Open() {
    if (!window_) {
        std::string error;
        window_.emplace();
        if (!window_->Create("Kanaburst — record (F2)", RecordView::kWidth, RecordView::kHeight,
                             error)) {
            SDL_Log("No record window: %s", error.c_str());
            window_.reset();
            return;
        }
    }
    SDL_RaiseWindow(window_->Handle());
    f2Held_ = false;
    screen_.Open();
    Present();
}

void RecordWindow::Close() {
    screen_.Close();
    window_.reset();
}

void RecordWindow::Present() {
    if (window_) window_->Present(screen_.Picture().View());
}

void RecordWindow::Update() {
    if (window_ && screen_.Update()) Present();
}

}  // namespace kb
