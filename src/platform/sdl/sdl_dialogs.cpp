#include "platform/sdl/sdl_dialogs.h"

#include <SDL.h>

#include <cstdio>

#include "text/ustr.h"

namespace kb {

namespace {

// The headless video drivers have no screen, yet SDL still hands a box to whatever else it can
// find: an X11 box on $DISPLAY, or zenity. On a desktop that opens a real dialog that waits for
// a click nobody gives (a test run hangs); without a display zenity fails quietly and the text
// is lost. There the line on standard error is the box.
bool Headless() {
    const char* driver = SDL_GetCurrentVideoDriver();
    if (!driver) driver = SDL_getenv("SDL_VIDEODRIVER");
    return driver &&
           (SDL_strcasecmp(driver, "dummy") == 0 || SDL_strcasecmp(driver, "offscreen") == 0);
}

}  // namespace

void SdlDialogs::MessageBox(const std::u16string& title, const std::u16string& text, Icon icon) {
    const Uint32 flags =
        icon == Icon::kWarning ? SDL_MESSAGEBOX_WARNING : SDL_MESSAGEBOX_INFORMATION;
    const std::string t = ToUtf8(title), m = ToUtf8(text);
    // Every box is also written out, so that a failure is never silent, even when the box
    // itself cannot be shown.
    std::fprintf(stderr, "%s: %s\n", t.c_str(), m.c_str());
    std::fflush(stderr);
    if (!Headless()) SDL_ShowSimpleMessageBox(flags, t.c_str(), m.c_str(), parent_);
}

}  // namespace kb
