#include "platform/posix/environment.h"

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace kb {

namespace {

std::string_view WithoutSlashes(std::string_view s) {
    while (s.starts_with('/')) s.remove_prefix(1);
    while (s.ends_with('/')) s.remove_suffix(1);
    return s;
}

}  // namespace

std::string PlayerDataDir(std::string_view programDir, std::string_view installDir) {
    const std::string tail = "/" + std::string(WithoutSlashes(installDir));
    std::string_view dir = programDir;
    while (dir.ends_with('/')) dir.remove_suffix(1);
    if (tail == "/" || !dir.ends_with(tail)) return "";
    return DataHomeDir();
}

std::string DataHomeDir() {
    // A relative XDG_DATA_HOME is to be ignored, as an unset one is.
    const char* data = std::getenv("XDG_DATA_HOME");
    if (data && data[0] == '/') return std::string(data) + "/kanaburst/";
    const char* home = std::getenv("HOME");
    if (!home || !*home) return "";
    return std::string(home) + "/.local/share/kanaburst/";
}

std::function<void(std::string_view)> TraceFromEnvironment() {
    const char* path = std::getenv("KB_TRACE");
    if (!path || !*path) return {};
    std::shared_ptr<std::FILE> file(std::fopen(path, "w"), [](std::FILE* f) {
        if (f) std::fclose(f);
    });
    if (!file) return {};
    return [file](std::string_view line) {
        std::fwrite(line.data(), 1, line.size(), file.get());
        std::fputc('\n', file.get());
        std::fflush(file.get());
    };
}

}  // namespace kb
