#include "app/window_events.h"

#include "debug/debug_log.h"
#include "platform/sdl/keymap.h"
#include "shell/form.h"
#include "typing/key_input.h"

namespace kb {

// The window an event belongs to, 0 for none.
uint32_t EventWindowId(const SDL_Event& ev) {
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

void HandleMainWindowEvent(Game& g, MainWindow& window, const SDL_Event& ev) {
    switch (ev.type) {
        case SDL_QUIT:
            Form_Unload(g);
            break;
        case SDL_WINDOWEVENT:
            if (ev.window.windowID != window.Id()) break;
            if (ev.window.event == SDL_WINDOWEVENT_CLOSE) Form_Unload(g);
            if (ev.window.event == SDL_WINDOWEVENT_FOCUS_GAINED) UseTextInput(false);
            if (ev.window.event == SDL_WINDOWEVENT_EXPOSED ||
                ev.window.event == SDL_WINDOWEVENT_SIZE_CHANGED)
                window.Redraw();
            break;
        case SDL_KEYDOWN:
        case SDL_KEYUP: {
            if (ev.key.windowID != window.Id() || window.TakeKey(ev.key)) break;
            const int code = VirtualKeyFromSdl(ev.key.keysym.sym, ev.key.keysym.scancode);
            const int shift = ShiftBitsFromSdl(ev.key.keysym.mod);
            if (ev.type == SDL_KEYDOWN)
                Display_KeyDown(g, code, shift);
            else
                Display_KeyUp(g, code, shift);
            break;
        }
        case SDL_MOUSEBUTTONDOWN: {
            if (ev.button.windowID != window.Id()) break;
            int dx = 0, dy = 0;
            if (!window.ToDisplay(ev.button.x, ev.button.y, dx, dy)) break;
            const int button = ev.button.button == SDL_BUTTON_LEFT    ? 1
                               : ev.button.button == SDL_BUTTON_RIGHT ? 2
                                                                      : 4;
            const int shift = ShiftBitsFromSdl(static_cast<uint16_t>(SDL_GetModState()));
            Display_MouseDown(g, button, shift, static_cast<float>(dx * kTwipsPerPixel),
                              static_cast<float>(dy * kTwipsPerPixel));
            break;
        }
        default:
            break;
    }
}

}  // namespace kb
