#include "app/command_line.h"

#include <SDL.h>

#include <cstdio>

#include "platform/room/room_lobby.h"

namespace kb {

std::optional<int> AnswerInfoOption(std::string_view arg, std::string_view name,
                                    const std::function<std::string()>& help) {
    if (arg == "--help") {
        const std::string text = help();
        std::fwrite(text.data(), 1, text.size(), stdout);
    } else if (arg == "--version") {
        std::printf("%.*s %s\n", static_cast<int>(name.size()), name.data(), KB_VERSION);
    } else {
        return std::nullopt;
    }
    return std::fflush(stdout) == 0 ? 0 : 1;
}

int BadUsage(std::string_view usage) {
    std::fprintf(stderr, "%.*s\n", static_cast<int>(usage.size()), usage.data());
    return kBadUsage;
}

std::optional<std::string> PublicRoomName(std::string_view program, std::string name) {
    if (!ListableText(name).empty()) return name;
    std::fprintf(stderr, "%.*s: the name for --host-public shows nothing\n",
                 static_cast<int>(program.size()), program.data());
    return std::nullopt;
}

std::string ExecutableDir(const char* argv0) {
    // SDL_GetBasePath needs no SDL_Init, so --help can say where the files are without a display.
    char* base = SDL_GetBasePath();
    std::string dir = base ? base : "";
    SDL_free(base);
    if (dir.empty() && argv0) {
        const std::string a = argv0;
        const auto slash = a.rfind('/');
        dir = slash == std::string::npos ? "." : a.substr(0, slash);
    }
    return dir.empty() ? "." : dir;
}

}  // namespace kb
