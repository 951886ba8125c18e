// kanaburst-sim: the game without a window, driven by a script. Our tests are scripts, and so
// is any bug report worth reproducing.
//
//   kanaburst-sim [--dir DIR] [--seed N] [--realtime] [SCRIPT]
#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>

#include "app/sim_state.h"
#include "debug/debug_log.h"
#include "net/connection.h"
#include "platform/address_window.h"
#include "platform/mci_commands.h"
#include "platform/midi_player.h"
#ifndef __EMSCRIPTEN__
#include "platform/posix/posix_socket.h"
#endif
#include "platform/posix/system_clock.h"
#include "platform/sdl/sdl_images.h"
#include "platform/sdl/ttf_fonts.h"
#include "shell/event_loop.h"
#include "shell/form.h"
#include "shell/main_loop.h"
#include "shell/ustr.h"
#include "typing/key_codes.h"
#include "typing/key_input.h"

namespace kb {
namespace {

struct ScriptError {
    std::string what;
};

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

class Sim {
  public:
    Sim(Game& g, Clock& clock, VirtualClock* virtualClock, SilentMidiPlayer& midi)
        : g_(g), clock_(clock), virtual_(virtualClock), midi_(midi) {
        // In real time the game runs the window program's loop; the script's lines are its events.
        if (!virtual_) loop_ = std::make_unique<EventLoop>(g_, host_);
    }

    void Exec(const std::string& line);

  private:
    void Frame() {
        PollNetwork(g_);
        FramePass(g_, clock_.TimeGetTime());
    }
    void RunFrames(long n);
    void Wait(long ms);

    Game& g_;
    Clock& clock_;
    VirtualClock* virtual_;  // null when the real clocks pace the game
    SilentMidiPlayer& midi_;
    QuietLoopHost host_;
    std::unique_ptr<EventLoop> loop_;  // real time only
};

void Sim::RunFrames(long n) {
    for (long i = 0; i < n && !g_.ended; ++i) {
        if (virtual_) {
            virtual_->Advance(67);
            Frame();
        } else {
            while (!g_.ended && !loop_->Pass()) {
            }
        }
    }
}

void Sim::Wait(long ms) {
    if (ms < 0) throw ScriptError{"negative wait"};
    const uint32_t start = clock_.TimeGetTime();
    const uint32_t total = static_cast<uint32_t>(ms);
    if (virtual_) {
        // Jump from one frame deadline to the next, as the loop would see them.
        for (;;) {
            const uint32_t due = UntilNextFrame(g_, clock_.TimeGetTime());
            const uint32_t elapsed = clock_.TimeGetTime() - start;
            if (g_.ended || elapsed + due > total) break;
            virtual_->Advance(due);
            Frame();
        }
        virtual_->Set(start + total);
        return;
    }
    while (!g_.ended && clock_.TimeGetTime() - start < total)
        loop_->Pass(total - (clock_.TimeGetTime() - start));
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
    } else if (cmd == "musicend") {
        midi_.EndPiece();
    } else if (cmd == "state") {
        std::cout << "state " << StateJson(g_) << std::endl;
    } else if (cmd == "shot") {
        const std::string file = rest();
        if (file.empty()) throw ScriptError{"shot needs a file name"};
        std::string error;
        if (!SavePng(g_.Display.View(), file, error))
            throw ScriptError{"cannot write " + file + ": " + error};
    } else {
        throw ScriptError{"unknown command '" + cmd + "'"};
    }
    std::string extra;
    if (cmd != "type" && cmd != "shot" && cmd != "address" && (in >> extra))
        throw ScriptError{"unexpected '" + extra + "'"};
}

std::string ExecutableDir(const char* argv0) {
    char* base = SDL_GetBasePath();
    std::string dir = base ? base : "";
    SDL_free(base);
    if (dir.empty()) {
        std::string a = argv0;
        const auto slash = a.rfind('/');
        dir = slash == std::string::npos ? "." : a.substr(0, slash);
    }
    return dir;
}

// Real time, but the random sequence still follows --seed.
class SeededSystemClock : public SystemClock {
  public:
    explicit SeededSystemClock(uint32_t seed) : seed_(seed) {}
    uint32_t RandomSeed() override { return seed_; }

  private:
    uint32_t seed_;
};

int Usage() {
    std::cerr << "usage: kanaburst-sim [--dir DIR] [--seed N] [--realtime] [SCRIPT]\n";
    return 2;
}

}  // namespace
}  // namespace kb

int main(int argc, char** argv) {
    std::string dir, scriptPath;
    uint32_t seed = 1;
    bool realtime = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--dir" && i + 1 < argc) {
            dir = argv[++i];
        } else if (a == "--seed" && i + 1 < argc) {
            seed = static_cast<uint32_t>(std::stoul(argv[++i]));
        } else if (a == "--realtime") {
#ifdef __EMSCRIPTEN__
            std::cerr << "kanaburst-sim: this build has no sockets; it runs on the virtual clock\n";
            return 2;
#endif
            realtime = true;
        } else if (!a.empty() && a[0] == '-') {
            return kb::Usage();
        } else {
            scriptPath = a;
        }
    }
    if (dir.empty()) dir = kb::ExecutableDir(argv[0]);

    std::ifstream file;
    if (!scriptPath.empty()) {
        file.open(scriptPath);
        if (!file) {
            std::cerr << "kanaburst-sim: cannot open " << scriptPath << "\n";
            return 2;
        }
    }
    std::istream& script = scriptPath.empty() ? std::cin : file;

    kb::TtfFontEngine fonts;
    std::string error;
    if (!fonts.Open(kb::TtfFontEngine::FindFontFile(dir), error)) {
        std::cerr << "kanaburst-sim: " << error << "\n";
        return 1;
    }
    kb::VirtualClock virtualClock(3600000, seed);
    kb::SeededSystemClock systemClock(seed);
    kb::SdlImageLoader images;
    kb::HeadlessAddressWindow form2;
    // Music runs through the real command interpreter on a silent player whose pieces end only
    // when the script says so.
    kb::SilentMidiPlayer midi;
    kb::MciMusicDevice music(midi);
    kb::Services sv;
    sv.music = &music;
    sv.clock = realtime ? static_cast<kb::Clock*>(&systemClock) : &virtualClock;
    sv.fonts = &fonts;
    sv.images = &images;
    sv.programDir = dir;
#ifndef __EMSCRIPTEN__
    kb::PosixSocket winsock, winsockL;
    if (realtime) {
        sv.winsock = &winsock;
        sv.winsockL = &winsockL;
    }
#endif
    sv.form2 = &form2;
    // Tests move the game's port so that several runs can share one machine.
    if (const char* port = std::getenv("KB_PORT")) sv.gamePort = std::atoi(port);
    sv.trace = [](std::string_view line) { std::cout << line << std::endl; };
    kb::Game g(sv);

    if (!kb::Form_Load(g)) return 0;
    kb::Sim sim(g, *sv.clock, realtime ? nullptr : &virtualClock, midi);
    std::string line;
    int lineNo = 0;
    while (!g.ended && std::getline(script, line)) {
        ++lineNo;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        // A '#' at the start of a line or after a blank starts a comment.
        auto hash = line.find('#');
        while (hash != std::string::npos && hash > 0 && line[hash - 1] != ' ' &&
               line[hash - 1] != '\t')
            hash = line.find('#', hash + 1);
        const std::string code = line.substr(0, hash);
        const auto first = code.find_first_not_of(" \t");
        if (first == std::string::npos) continue;
        try {
            sim.Exec(code.substr(first, code.find_last_not_of(" \t") + 1 - first));
        } catch (const kb::ScriptError& e) {
            std::cerr << "kanaburst-sim: line " << lineNo << ": " << e.what << ": " << line << "\n";
            return 2;
        }
    }
    return 0;
}
