#include "shell/game.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <new>

#include "text/ustr.h"

namespace kb {

Services WithDefaults(Services s, NullServices& d) {
    if (!s.clock) s.clock = &d.clock;
    if (!s.dialogs) s.dialogs = &d.dialogs;
    if (!s.fonts) s.fonts = &d.fonts;
    if (!s.images) s.images = &d.images;
    if (!s.sound) s.sound = &d.sound;
    if (!s.music) s.music = &d.music;
    if (!s.winsock) s.winsock = &d.winsock;
    if (!s.winsockL) s.winsockL = &d.winsockL;
    if (!s.form2) s.form2 = &d.form2;
    if (!s.record) s.record = &d.record;
    return s;
}

Game::Game(Services services) : sv(WithDefaults(std::move(services), defaults)) {
    if (!sv.debugWin) sv.debugWin = &headlessDebugWin;
    for (Surface* surface : {&Display, &PIC, &IM, &IM2, &EF, &EXPpic, &BACKpic, &Waku})
        surface->SetFonts(sv.fonts);
}

int RandomIndex(Game& g, int n) {
    return RandomIndex(g.rng, n);
}

int RandomIndex(Random& rng, int n) {
    return static_cast<int>(std::floor(static_cast<double>(rng.Rnd()) * n + 1.0)) - 1;
}

int WallSecond(Game& g) {
    return g.sv.clock->WallSecond();
}

bool PlayerFile(const Game& g, const std::string& name) {
    if (g.sv.userDir.empty()) return false;
    // Anything by that name counts, a directory or a dangling link too: a broken file of the
    // player's then gets its message, rather than the bundled one being read in its place.
    std::error_code ec;
    return std::filesystem::exists(
        std::filesystem::symlink_status(std::filesystem::path(g.sv.userDir) / name, ec));
}

std::string ProgramFile(const Game& g, const std::string& name) {
    const std::string& dir = PlayerFile(g, name) ? g.sv.userDir : g.sv.programDir;
    return (std::filesystem::path(dir) / name).string();
}

bool FilePresent(const Game& g, const std::string& name) {
    // Linux names are case-sensitive, so a plain look-up already distinguishes case.
    std::error_code ec;
    return std::filesystem::is_regular_file(ProgramFile(g, name), ec);
}

FileBytes ReadFileBytes(const std::string& path) {
    FileBytes file;
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> f(std::fopen(path.c_str(), "rb"),
                                                            &std::fclose);
    if (!f) {
        file.openError = errno;
        return file;
    }
    file.opened = true;
    try {
        char chunk[1 << 16];
        std::size_t n = 0;
        while ((n = std::fread(chunk, 1, sizeof chunk, f.get())) > 0) file.bytes.append(chunk, n);
        file.whole = !std::ferror(f.get());
    } catch (const std::bad_alloc&) {
        // Too big to hold: what fitted is read, like a read error there.
    }
    return file;
}

void EndProgram(Game& g) {
    if (g.ended) return;
    g.ended = true;
    g.Trace("exit");
}

void MsgBox(Game& g, const std::u16string& text, const std::u16string& title, Dialogs::Icon icon) {
    g.Trace("msgbox " + ToUtf8(title) + "|" + ToUtf8(text));
    g.sv.dialogs->MessageBox(title, text, icon);
}

}  // namespace kb
