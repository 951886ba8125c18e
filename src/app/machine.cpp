#include "app/machine.h"

#include <SDL.h>

#include <cstdlib>
#include <iostream>

#include "platform/posix/environment.h"
#include "platform/posix/system_clock.h"
#include "shell/form.h"
#include "shell/ustr.h"

namespace kb {

namespace {

std::string ExecutableDir(const char* argv0) {
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

// The machine's time with the random sequence of a given seed, for runs that must repeat.
class SeededSystemClock : public SystemClock {
  public:
    explicit SeededSystemClock(uint32_t seed) : seed_(seed) {}
    uint32_t RandomSeed() override { return seed_; }

  private:
    uint32_t seed_;
};

}  // namespace

Machine::SdlSession::~SdlSession() {
    if (started) SDL_Quit();
}

Machine::Machine(MachineSpec spec) : spec_(std::move(spec)) {
    if (spec_.virtualClock) {
        auto clock = std::make_unique<VirtualClock>(3600000, spec_.seed.value_or(1));
        virtual_ = clock.get();
        clock_ = std::move(clock);
    } else if (spec_.seed) {
        clock_ = std::make_unique<SeededSystemClock>(*spec_.seed);
    } else {
        clock_ = std::make_unique<SystemClock>();
    }
}

Machine::~Machine() = default;

std::string Machine::FontFile() const {
    return TtfFontEngine::FindFontFile(spec_.programDir);
}

void Machine::Fail(const std::string& why) {
    if (spec_.window)
        dialogs_.MessageBox(u"Kanaburst", u"ゲーム起動に失敗しました\n" + FromUtf8(why),
                            Dialogs::Icon::kWarning);
    else
        std::cerr << spec_.name << ": " << why << "\n";
}

bool Machine::Open(const char* argv0) {
    if (spec_.programDir.empty()) spec_.programDir = ExecutableDir(argv0);
    if (spec_.window) {
        if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
            std::cerr << spec_.name << " cannot start: " << SDL_GetError() << "\n";
            return false;
        }
        sdl_.started = true;
    }
    std::string error;
    if (!fonts_.Open(FontFile(), error)) {
        Fail(error);
        return false;
    }
    if (spec_.window) {
        if (!window_.Create("Kanaburst Ver1.1", 480, 320, error)) {
            Fail(error);
            return false;
        }
        dialogs_.SetParent(window_.Handle());
        // Sound opens SDL's audio itself: a machine without an audio device still runs, silent.
        sound_.emplace();
    }
    if (spec_.relay.empty())
        if (const char* relay = std::getenv("KB_RELAY")) spec_.relay = relay;
    if (spec_.network) ChooseTransports(board_, spec_);
    return true;
}

Game* Machine::StartGame(const ProgramParts& parts) {
    Services sv;
    sv.clock = clock_.get();
    sv.fonts = &fonts_;
    sv.images = &images_;
    sv.programDir = spec_.programDir;
    if (!spec_.installDir.empty()) sv.userDir = PlayerDataDir(spec_.programDir, spec_.installDir);
    if (!spec_.userDir.empty()) sv.userDir = spec_.userDir;
    if (spec_.window) {
        sv.dialogs = &dialogs_;
        sv.sound = &*sound_;
    }
    if (parts.midi) sv.music = &music_.emplace(*parts.midi);
    if (spec_.network) {
        sv.winsock = &board_.Connection();
        sv.winsockL = &board_.Listener();
    }
    sv.form2 = parts.form2;
    sv.debugWin = parts.debugWin;
    sv.trace = parts.trace;
    // KB_PORT moves the game's port, so that tests and measurements run side by side without
    // root.
    if (const char* port = std::getenv("KB_PORT")) sv.gamePort = std::atoi(port);
    game_ = std::make_unique<Game>(sv);
    if (spec_.window)
        game_->Display.onRefresh = [this](const Surface& s) { window_.Present(s.View()); };
    if (!Form_Load(*game_)) return nullptr;
    return game_.get();
}

}  // namespace kb
