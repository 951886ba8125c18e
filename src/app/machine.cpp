#include "app/machine.h"

#include <SDL.h>

#include <cstdlib>
#include <iostream>

#include "app/command_line.h"
#include "net/connection.h"
#include "platform/posix/environment.h"
#include "platform/posix/system_clock.h"
#include "platform/room/room_code.h"
#include "platform/room/room_transport.h"
#include "screens/title.h"
#include "screens/title_menu.h"
#include "shell/form.h"
#include "shell/scenes.h"
#include "text/ustr.h"
#include "typing/key_codes.h"

namespace kb {

namespace {

// The machine's time with the random sequence of a given seed, for runs that must repeat.
class SeededSystemClock : public SystemClock {
  public:
    explicit SeededSystemClock(uint32_t seed) : seed_(seed) {}
    uint32_t RandomSeed() override { return seed_; }

  private:
    uint32_t seed_;
};

// A link to a room joins it at once, as a player would: the client item, the code (or the quick
// match's word) typed, Enter. Text that is neither is let be.
void JoinRoom(Game& g, const std::string& code) {
    if (RoomCodeIn(code).empty() && !IsQuickMatch(code)) return;
    g.s.GameMode = kModeClient;
    ShowAddressWindow(g);
    g.sv.form2->SetText(FromUtf8(code));
    Text1_KeyDown(g, kVkReturn, 0);
}

}  // namespace

Machine::SdlSession::~SdlSession() {
    if (started) SDL_Quit();
}

Machine::Machine(MachineOptions options) : options_(std::move(options)) {
    if (options_.virtualClock) {
        auto clock = std::make_unique<VirtualClock>(3600000, options_.seed.value_or(1));
        virtual_ = clock.get();
        clock_ = std::move(clock);
    } else if (options_.seed) {
        clock_ = std::make_unique<SeededSystemClock>(*options_.seed);
    } else {
        clock_ = std::make_unique<SystemClock>();
    }
}

Machine::~Machine() = default;

std::string Machine::FontFile() const {
    return TtfFontEngine::FindFontFile(options_.programDir);
}

void Machine::Fail(const std::string& why) {
    if (options_.window)
        dialogs_.MessageBox(u"Kanaburst", u"ゲーム起動に失敗しました\n" + FromUtf8(why),
                            Dialogs::Icon::kWarning);
    else
        std::cerr << options_.name << ": " << why << "\n";
}

bool Machine::Open(const char* argv0) {
    if (options_.programDir.empty()) options_.programDir = ExecutableDir(argv0);
    if (options_.window) {
        if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
            std::cerr << options_.name << " cannot start: " << SDL_GetError() << "\n";
            return false;
        }
        sdl_.started = true;
    }
    std::string error;
    if (!fonts_.Open(FontFile(), error)) {
        Fail(error);
        return false;
    }
    if (options_.window) {
        if (!window_.Create("Kanaburst Ver1.1", 480, 320, error)) {
            Fail(error);
            return false;
        }
        dialogs_.SetParent(window_.Handle());
        // Sound opens SDL's audio itself: a machine without an audio device still runs, silent.
        sound_.emplace();
    }
    if (options_.relay.empty())
        if (const char* relay = std::getenv("KB_RELAY")) options_.relay = relay;
    if ((!options_.publicRoom.empty() || IsQuickMatch(options_.room)) &&
        (options_.relay.empty() || !options_.network)) {
        Fail("hosting or joining at once needs a relay (--relay URL or KB_RELAY)" +
             std::string(options_.network ? "" : " and real sockets"));
        return false;
    }
    ChooseTransports(board_, options_, [this]() -> std::optional<RoomListing> {
        if (options_.publicRoom.empty()) return std::nullopt;
        return RoomListing{options_.publicRoom, WordListName()};
    });
    return true;
}

Game* Machine::StartGame(const ProgramParts& parts) {
    Services sv;
    sv.clock = clock_.get();
    sv.fonts = &fonts_;
    sv.images = &images_;
    sv.programDir = options_.programDir;
    if (!options_.installDir.empty())
        sv.userDir = PlayerDataDir(options_.programDir, options_.installDir);
    if (!options_.userDir.empty()) sv.userDir = options_.userDir;
    if (options_.window) {
        sv.dialogs = &dialogs_;
        sv.sound = &*sound_;
    }
    if (parts.midi) sv.music = &music_.emplace(*parts.midi);
    if (options_.network || options_.scriptPeer) {
        sv.winsock = &board_.Connection();
        sv.winsockL = &board_.Listener();
    }
    sv.form2 = parts.form2;
    sv.debugWin = parts.debugWin;
    sv.trace = parts.trace;
    lent_ = sv;
    lent_.winsock = lent_.winsockL = nullptr;
    lent_.form2 = nullptr;
    lent_.debugWin = nullptr;
    if (options_.replays) {
        recorder_ = std::make_unique<Recorder>(*clock_);
        sv.clock = recorder_.get();
    }
    // KB_PORT moves the game's port, so that tests and measurements run side by side without
    // root.
    if (const char* port = std::getenv("KB_PORT")) sv.gamePort = std::atoi(port);
    if (!options_.recordDir.empty()) record_ = MakeRecordStore(options_.recordDir);
    sv.record = parts.record ? parts.record : record_.get();
    game_ = std::make_unique<Game>(sv);
    if (recorder_) recorder_->Attach(*game_);
    if (options_.window)
        game_->Display.onRefresh = [this](const Surface& s) { window_.Present(s.View()); };
    if (!Form_Load(*game_)) return nullptr;
    // A record that cannot be kept is told once; the game plays on.
    if (sv.record && !sv.record->Problem().empty())
        MsgBox(*game_, FromUtf8(sv.record->Problem()), u"Kanaburst", Dialogs::Icon::kWarning);
    if (!options_.publicRoom.empty())
        ChooseMenuItem(*game_, kMenuServer);
    else if (!options_.room.empty())
        JoinRoom(*game_, options_.room);
    return game_.get();
}

std::string Machine::WordListName() const {
    if (!game_) return "";
    return std::string(game_->ownWords ? "own list, " : "standard, ") +
           std::to_string(game_->Goku.size()) + " words";
}

Services Machine::Lend() const {
    return lent_;
}

}  // namespace kb
