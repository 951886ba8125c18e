// kanaburst-sim: the game without a window, driven by a script. Our tests are scripts, and so
// is any bug report worth reproducing.
//
//   kanaburst-sim [--dir DIR] [--seed N] [--realtime] [--relay URL] [--record-dir DIR]
//                 [--quick | --host-public NAME] [--save-replay FILE] [--frame-states] [SCRIPT]
//
// --help lists the script's lines, the player's record's among them. A replay (a file that
// begins "kanaburst-replay") is a script too: it plays the match it holds, and the driver's own
// lines put into it (`state`, `shot`, `skip`) run where they stand.
#include <SDL.h>

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>
#include <limits>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "app/command_line.h"
#include "app/machine.h"
#include "app/sim_record.h"
#include "app/sim_state.h"
#include "debug/debug_log.h"
#include "net/connection.h"
#include "platform/address_window.h"
#include "platform/midi_player.h"
#ifndef __EMSCRIPTEN__
#include "platform/mosquitto/lobby_look.h"
#endif
#include "platform/sdl/sdl_images.h"
#include "replay/playback.h"
#include "replay/replay_text.h"
#include "shell/event_loop.h"
#include "text/ustr.h"
#include "typing/key_codes.h"
#include "typing/key_input.h"

namespace kb {
namespace {

struct ScriptError {
    std::string what;
};

void Shot(const Game& g, const std::string& file) {
    if (file.empty()) throw ScriptError{"shot needs a file name"};
    std::string error;
    if (!SavePng(g.Display.View(), file, error))
        throw ScriptError{"cannot write " + file + ": " + error};
}

int KeyCodeOf(char c) {
    const int code = KeyCodeForChar(c);
    if (code == 0) throw ScriptError{std::string("no key types '") + c + "'"};
    return code;
}

// Line ends shown as \r and \n, so that a text stays on one output line.
std::string Escaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n";
        else
            out += c;
    }
    return out;
}

long ParseNumber(std::istringstream& in, const char* what) {
    long v = 0;
    if (!(in >> v)) throw ScriptError{std::string("expected a number for ") + what};
    return v;
}

void PrintState(const Game& g) {
    std::cout << "state " << StateJson(g) << std::endl;
}

class Sim {
  public:
    Sim(Game& g, LoopHost& host, SilentMidiPlayer& midi, ScriptPeer* peer, bool frameStates,
        std::string relay)
        : g_(g),
          loop_(g, host),
          midi_(midi),
          peer_(peer),
          frameStates_(frameStates),
          relay_(std::move(relay)) {}

    void Exec(const std::string& line);

  private:
    void RunFrames(long n);
    void Wait(long ms);
    void PrintLobby();
    // One pass of the loop; after a frame, the state when every frame's is asked for.
    bool Pass(uint32_t maxSleep = std::numeric_limits<uint32_t>::max());

    Game& g_;
    EventLoop loop_;  // the players' loop: on the virtual clock its sleep moves the clock on
    SilentMidiPlayer& midi_;
    std::optional<RecordScreen> record_;  // the player's record, made when first used
    ScriptPeer* peer_;                    // none on the machine's clock
    bool frameStates_;                    // a state line after every frame
    std::string relay_;                   // where `lobby` looks; empty without real sockets
};

bool Sim::Pass(uint32_t maxSleep) {
    const bool frameRan = loop_.Pass(maxSleep);
    if (frameRan && frameStates_ && !g_.ended) PrintState(g_);
    return frameRan;
}

void Sim::RunFrames(long n) {
    for (long i = 0; i < n && !g_.ended; ++i) {
        while (!g_.ended && !Pass()) {
        }
    }
}

void Sim::Wait(long ms) {
    if (ms < 0) throw ScriptError{"negative wait"};
    Clock& clock = *g_.sv.clock;
    const uint32_t start = clock.TimeGetTime();
    const uint32_t total = static_cast<uint32_t>(ms);
    while (!g_.ended && clock.TimeGetTime() - start < total)
        Pass(total - (clock.TimeGetTime() - start));
}

// The public rooms waiting on the relay, one line each: code, seconds, name|words. The
// WebAssembly driver has no sockets, so it never has a relay to ask.
void Sim::PrintLobby() {
    if (relay_.empty()) throw ScriptError{"lobby needs --realtime and a relay"};
#ifndef __EMSCRIPTEN__
    std::string problem;
    const std::vector<LobbyEntry> rooms = LookAtLobby(relay_, problem);
    if (!problem.empty()) std::cout << "lobby: " << problem << std::endl;
    for (const LobbyEntry& r : rooms)
        std::cout << "lobby " << r.code << " " << r.waited << " " << r.name << "|" << r.words
                  << std::endl;
    if (problem.empty() && rooms.empty()) std::cout << "lobby none" << std::endl;
#endif
}

void Sim::Exec(const std::string& line) {
    std::istringstream in(line);
    std::string cmd;
    in >> cmd;
    auto rest = [&]() {
        std::string text;
        std::getline(in, text);
        if (!text.empty() && text[0] == ' ') text.erase(0, 1);
        return text;
    };
    if (cmd == "down") {
        Display_KeyDown(g_, static_cast<int>(ParseNumber(in, "down")), 0);
    } else if (cmd == "up") {
        Display_KeyUp(g_, static_cast<int>(ParseNumber(in, "up")), 0);
    } else if (cmd == "key") {
        const int code = static_cast<int>(ParseNumber(in, "key"));
        Display_KeyDown(g_, code, 0);
        Display_KeyUp(g_, code, 0);
    } else if (cmd == "type") {
        for (char c : rest()) {
            const int code = KeyCodeOf(c);
            Display_KeyDown(g_, code, 0);
            Display_KeyUp(g_, code, 0);
        }
    } else if (cmd == "mouse") {
        const long button = ParseNumber(in, "the button"), shift = ParseNumber(in, "shift");
        const long x = ParseNumber(in, "x"), y = ParseNumber(in, "y");
        Display_MouseDown(g_, static_cast<int>(button), static_cast<int>(shift),
                          static_cast<float>(x * kTwipsPerPixel),
                          static_cast<float>(y * kTwipsPerPixel));
    } else if (cmd == "address") {
        // Types into the address window's box and presses Enter there.
        if (!g_.sv.form2->Visible()) throw ScriptError{"the address window is not open"};
        g_.sv.form2->SetText(g_.sv.form2->Text() + FromUtf8(rest()));
        Text1_KeyDown(g_, kVkReturn, 0);
    } else if (cmd == "console") {
        DebugConsole& win = DebugWin(g_);
        win.SetCommandText(win.CommandText() + FromUtf8(rest()));
        SndTxt_KeyDown(g_, kVkReturn, 0);
    } else if (cmd == "copy") {
        Command1_Click(g_);
        std::cout << "clipboard " << Escaped(ToUtf8(g_.headlessDebugWin.clipboard)) << std::endl;
    } else if (cmd == "closeconsole") {
        g_.sv.debugWin->Unload();
    } else if (cmd == "frames") {
        RunFrames(ParseNumber(in, "frames"));
    } else if (cmd == "wait") {
        Wait(ParseNumber(in, "wait"));
    } else if (cmd == "peer") {
        if (!peer_) throw ScriptError{"the script's peer is there on the virtual clock only"};
        std::string what;
        in >> what;
        if (what == "knock") {
            if (!peer_->Knock()) throw ScriptError{"the game is not listening"};
        } else if (what == "say") {
            const std::string bytes = rest();
            if (bytes.empty()) throw ScriptError{"peer say needs the bytes to send"};
            if (!peer_->Say(bytes)) throw ScriptError{"no game is connected to the peer"};
        } else if (what == "hangup") {
            peer_->HangUp();
        } else {
            throw ScriptError{"expected peer knock, peer say BYTES or peer hangup"};
        }
    } else if (cmd == "musicend") {
        midi_.EndPiece();
    } else if (cmd == "lobby") {
        PrintLobby();
    } else if (cmd == "record") {
        const std::string error = SimRecord(g_, record_, rest(), std::cout);
        if (!error.empty()) throw ScriptError{error};
    } else if (cmd == "state") {
        PrintState(g_);
    } else if (cmd == "shot") {
        Shot(g_, rest());
    } else {
        throw ScriptError{"unknown command '" + cmd + "'"};
    }
    std::string extra;
    if (cmd != "type" && cmd != "shot" && cmd != "address" && (in >> extra))
        throw ScriptError{"unexpected '" + extra + "'"};
}

constexpr char kUsage[] =
    "usage: kanaburst-sim [--dir DIR] [--seed N] [--realtime] [--relay URL] [--record-dir DIR] "
    "[--quick] [--host-public NAME] [--save-replay FILE] [--frame-states] [--help] [--version] "
    "[SCRIPT]";

// --help: the options, the script's lines, the environment and the files.
std::string Help(const char* argv0) {
    return std::string(kUsage) + R"(

The game without a window, driven by a script (SCRIPT, or standard input): the tests' replays,
and any bug report worth reproducing. The game's effect lines and what the script asks for go
to standard output. A replay of a match (a file that begins "kanaburst-replay", as the game
keeps one for every match) is a script too: the driver plays the match it holds.

Options:
  --dir DIR     read the game's files from DIR instead of the driver's own directory
  --seed N      the random sequence of seed N (default 1)
  --realtime    the machine's clock and real sockets (TCP and rooms); without it the clock is
                virtual, moving on only as the loop sleeps, and the only one to meet is the
                peer the script plays
  --relay URL   the relay rooms meet on, as for kanaburst --relay (with --realtime)
  --quick       join the longest-waiting public room at once, as kanaburst does (with
                --realtime and a relay)
  --host-public NAME  host a room listed in the lobby as NAME at once, as kanaburst does
  --record-dir DIR
                keep the player's record in DIR/record.sqlite3, as the game keeps it in its
                data folder; without it the record lasts as long as the run
  --save-replay FILE
                keep the replay of the match played in FILE (a later match replaces it)
  --frame-states print the state record after every frame
  --help        print this help and exit
  --version     print the version and exit

Script lines (a '#' at the start of a line or after a blank starts a comment):
  down CODE, up CODE, key CODE   press, release, or press and release a key, by its Windows
                                 virtual-key code
  type TEXT                      press and release the keys that type TEXT
  mouse BUTTON SHIFT X Y         a mouse press at pixel X, Y of the game
  frames N, wait MS              run the loop for N frames, or for MS milliseconds
  state                          print the state record as JSON
  shot FILE                      save the screen as a PNG file
  musicend                       the open music piece reaches its end
  console TEXT                   type TEXT into the debug console's command box, press Enter
  copy                           press the debug console's COPY and print what it copied
  closeconsole                   close the debug console
  address [TEXT]                 type TEXT into the open address window and press Enter there
  record open, record close      open the player's record (as F2 does in the game) or close it
  record page matches|kana       show one of its two pages
  record key CODE                a key pressed in the record's window
  record shot FILE               save the record's picture as a PNG file
  record practice                make the practice list and play on it (again: all words back)
  record export FILE, record import FILE, record wipe
                                 the record to a file, a record file added to it, all forgotten;
                                 each prints "record: " and what it did
  record list, record weakest    print every match and practice run, or the ten weakest kana
  peer knock                     (virtual clock) the script's peer knocks on the game's
                                 listener; the game reaches it at the address "script peer"
  peer say BYTES                 the peer sends the game BYTES, arriving at the next pass
  peer hangup                    the peer leaves: the game's next send fails
  lobby                          print the public rooms waiting on the relay, one a line:
                                 "lobby CODE SECONDS NAME|WORDS", or "lobby none" (with
                                 --realtime and a relay)
  In a replay, besides its own lines:
  state, shot FILE               as above, where they stand among the replay's steps
  skip, skip end                 run on unseen to the match's end, or the replay's

Environment:
  KB_RELAY=URL  the relay when --relay is not given
  KB_PORT=PORT  the network match's TCP port instead of 1001
  SSL_CERT_FILE, SSL_CERT_DIR
                the authorities a relay's certificate over mqtts:// may be signed by,
                instead of the system's (/etc/ssl/certs)

Files:
  The word list str.dat, the background back.jpg, the sound effects and the music come from
  DIR, by default the driver's own directory,
    )" + ExecutableDir(argv0) +
           R"(
  and the typeface is ipag.ttf there, otherwise IPA Gothic from fonts-ipafont-gothic. The
  driver writes no files but those its script's shot lines, --record-dir and --save-replay
  name.
)";
}

// A seed as the command line gives it: digits only, within 32 bits.
std::optional<uint32_t> ParseSeed(std::string_view text) {
    uint32_t seed = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), seed);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return seed;
}

// A line without its comment (a '#' at the start or after a blank), trimmed; empty for none.
std::string CodeOf(std::string line) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    auto hash = line.find('#');
    while (hash != std::string::npos && hash > 0 && line[hash - 1] != ' ' && line[hash - 1] != '\t')
        hash = line.find('#', hash + 1);
    const std::string code = line.substr(0, hash);
    const auto first = code.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    return code.substr(first, code.find_last_not_of(" \t") + 1 - first);
}

// The driver's own lines in a replay: what the state is, a picture, a skip ahead.
void ExecInReplay(Playback& p, const std::string& line) {
    const auto blank = line.find(' ');
    const std::string cmd = line.substr(0, blank);
    const std::string arg = blank == std::string::npos ? "" : CodeOf(line.substr(blank + 1));
    if (cmd == "state" && arg.empty()) {
        PrintState(p.game());
    } else if (cmd == "shot") {
        Shot(p.game(), arg);
    } else if (cmd == "skip" && arg.empty()) {
        p.SkipToDecision();
    } else if (cmd == "skip" && arg == "end") {
        p.SkipToEnd();
    } else {
        throw ScriptError{"a replay takes only state, shot, skip and skip end"};
    }
}

// Plays a replay, with the driver's lines put into it where they stand.
int PlayReplayScript(Machine& machine, const std::string& text, bool frameStates) {
    Replay replay;
    std::vector<ReplayExtraLine> extras;
    std::string why;
    if (!ReadReplay(text, replay, why, &extras)) {
        std::cerr << "kanaburst-sim: this replay cannot be played: " << why << "\n";
        return 2;
    }
    Playback p(std::move(replay), machine.Lend());
    if (frameStates) p.onFrame = [&p] { PrintState(p.game()); };
    if (!p.Start(why)) {
        std::cerr << "kanaburst-sim: this replay cannot be played: " << why << "\n";
        return 2;
    }
    for (const ReplayExtraLine& extra : extras) {
        const std::string code = CodeOf(extra.text);
        if (code.empty()) continue;
        p.RunTo(extra.stepsBefore);
        try {
            ExecInReplay(p, code);
        } catch (const ScriptError& e) {
            std::cerr << "kanaburst-sim: line " << extra.lineNo << ": " << e.what << ": "
                      << extra.text << "\n";
            return 2;
        }
    }
    p.RunTo(SIZE_MAX);
    return 0;
}

}  // namespace
}  // namespace kb

int main(int argc, char** argv) {
    std::string dir, scriptPath, relay, recordDir, room, publicRoom, replayPath;
    uint32_t seed = 1;
    bool realtime = false, frameStates = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--dir" && i + 1 < argc) {
            dir = argv[++i];
        } else if (a == "--seed" && i + 1 < argc) {
            const auto parsed = kb::ParseSeed(argv[++i]);
            if (!parsed) return kb::BadUsage(kb::kUsage);
            seed = *parsed;
        } else if (a == "--relay" && i + 1 < argc) {
            relay = argv[++i];
        } else if (a == "--quick") {
            room = "quick";
        } else if (a == "--host-public" && i + 1 < argc) {
            const auto name = kb::PublicRoomName("kanaburst-sim", argv[++i]);
            if (!name) return kb::kBadUsage;
            publicRoom = *name;
        } else if (a == "--record-dir" && i + 1 < argc) {
            recordDir = argv[++i];
        } else if (a == "--save-replay" && i + 1 < argc) {
            replayPath = argv[++i];
        } else if (a == "--frame-states") {
            frameStates = true;
        } else if (a == "--realtime") {
#ifdef __EMSCRIPTEN__
            std::cerr << "kanaburst-sim: this build has no sockets; it runs on the virtual clock\n";
            return kb::kBadUsage;
#endif
            realtime = true;
        } else if (auto status = kb::AnswerInfoOption(a, "kanaburst-sim",
                                                      [&] { return kb::Help(argv[0]); })) {
            return *status;
        } else if (!a.empty() && a[0] == '-') {
            return kb::BadUsage(kb::kUsage);
        } else {
            scriptPath = a;
        }
    }

    std::ifstream file;
    if (!scriptPath.empty()) {
        file.open(scriptPath, std::ios::binary);
        if (!file) {
            std::cerr << "kanaburst-sim: cannot open " << scriptPath << "\n";
            return 2;
        }
    }
    std::istream& script = scriptPath.empty() ? std::cin : file;

    // Without --realtime the clock is virtual and the script's peer is the only one to meet.
    // Every match is recorded as a replay, as in the window program, so that the transcripts
    // show recording changes nothing; --save-replay keeps the last one.
    kb::ScriptPeer peer;
    kb::Machine machine({.name = "kanaburst-sim",
                         .programDir = dir,
                         .window = false,
                         .network = realtime,
                         .virtualClock = !realtime,
                         .seed = seed,
                         .relay = relay,
                         .recordDir = recordDir,
                         .room = room,
                         .publicRoom = publicRoom,
                         .scriptPeer = realtime ? nullptr : &peer,
                         .replays = true});
    if (!machine.Open(argv[0])) return 1;
    kb::HeadlessAddressWindow form2;
    // Music runs through the real command interpreter on a silent player whose pieces end only
    // when the script says so.
    kb::SilentMidiPlayer midi;
    kb::Game* g =
        machine.StartGame({.midi = &midi, .form2 = &form2, .trace = [](std::string_view line) {
                               std::cout << line << std::endl;
                           }});
    if (!g) return 0;
    kb::Recorder& recorder = *machine.Replays();
    recorder.onRecorded = [&replayPath](const std::string& text) {
        if (replayPath.empty()) return;
        std::ofstream out(replayPath, std::ios::binary | std::ios::trunc);
        if (!(out << text).flush())
            std::cerr << "kanaburst-sim: cannot write " << replayPath << "\n";
    };
    kb::QuietLoopHost realHost;
    std::optional<kb::VirtualLoopHost> virtualHost;
    if (machine.Virtual()) virtualHost.emplace(*machine.Virtual());
    const char* envRelay = std::getenv("KB_RELAY");
    if (relay.empty() && envRelay) relay = envRelay;
    kb::Sim sim(*g, virtualHost ? static_cast<kb::LoopHost&>(*virtualHost) : realHost, midi,
                realtime ? nullptr : &peer, frameStates, realtime ? relay : "");
    std::string line, before;
    int lineNo = 0;
    bool first = true;
    while (!g->ended && std::getline(script, line)) {
        ++lineNo;
        const std::string code = kb::CodeOf(line);
        if (first) before += line + "\n";
        if (code.empty()) continue;
        if (first && code.starts_with("kanaburst-replay")) {
            const std::string text =
                before + std::string(std::istreambuf_iterator<char>(script), {});
            return kb::PlayReplayScript(machine, text, frameStates);
        }
        first = false;
        try {
            sim.Exec(code);
        } catch (const kb::ScriptError& e) {
            std::cerr << "kanaburst-sim: line " << lineNo << ": " << e.what << ": " << line << "\n";
            return 2;
        }
    }
    recorder.Finish();
    return 0;
}
