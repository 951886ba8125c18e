#include "platform/sdl/sdl_dialogs.h"

#include <SDL.h>

#include <cstdio>

#include "shell/ustr.h"

namespace kb {

void SdlDialogs::MessageBox(const std::u16string& title, const std::u16string& text, Icon icon) {
    const Uint32 flags = icon == Icon::Warning ? SDL_MESSAGEBOX_WARNING : SDL_MESSAGEBOX_INFORMATION;
    const std::string t = ToUtf8(title), m = ToUtf8(text);
    if (SDL_ShowSimpleMessageBox(flags, t.c_str(), m.c_str(), parent_) != 0)
        std::fprintf(stderr, "%s: %s\n", t.c_str(), m.c_str());  // no display to show it on
}

}  // namespace kb
