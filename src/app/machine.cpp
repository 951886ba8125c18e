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

// On the title, with no menu item under way: where a player may host or join.
bool Choosing(const Game& g) {
    return g.s.SceneNo == kSceneTitle && g.s.GameMode == kModeNone;
}

}  // namespace

Machine::SdlSession::~SdlSession() {
    if (started) SDL_Quit();
}

Machine::Machine(MachineOptions options)
    : options_(std::move(options)), listedAs_(options_.publicRoom) {
    if (options_.virtualClock) {
        auto clock = std::make_unique<VirtualClock>(3600000, options_.seed.value_or(1));
        virtual_ = clock.get();
        clock_ = std::move(clock);
    } else if (options_.seed) {
        clock_ = std::make_unique<SeededSystemClock>(*options_.seed);
    } else {
        clock_ = std::make_unique<SystemClock>();
    }
    if (options_.laggingClock) {
        // A virtual clock is its own wall clock.
        std::function<int64_t()> wallMs = WallMilliseconds;
        if (virtual_) wallMs = [clock = virtual_] { return int64_t{clock->TimeGetTime()}; };
        auto lagging = std::make_unique<LaggingClock>(std::move(clock_), std::move(wallMs));
        lagging_ = lagging.get();
        clock_ = std::move(lagging);
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
        if (listedAs_.empty()) return std::nullopt;
        return RoomListing{listedAs_, WordListName()};
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
        HostRoom(options_.publicRoom);
    else if (!options_.room.empty())
        JoinRoom(options_.room);
    return game_.get();
}

bool Machine::HostRoom(const std::string& publicName) {
    if (!game_ || !Choosing(*game_)) return false;
    // The item opens the room at once, and the listing is read as it opens.
    listedAs_ = publicName;
    ChooseMenuItem(*game_, kMenuServer);
    listedAs_ = options_.publicRoom;
    return true;
}

bool Machine::JoinRoom(const std::string& address) {
    if (!game_ || !Choosing(*game_)) return false;
    if (RoomCodeIn(address).empty() && !IsQuickMatch(address)) return false;
    ChooseMenuItem(*game_, kMenuClient);
    game_->sv.form2->SetText(FromUtf8(address));
    Text1_KeyDown(*game_, kVkReturn, 0);
    return true;
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
