// The receive path as the sockets drive it: arrivals of any bytes, cut anywhere, handed to the
// game through PollNetwork, with the game's own sends completing in between and frames running.
//
// Input: the first byte picks the side (even: server, odd: client). After it, bytes collect
// into the next arrival; 0x00 delivers it at a poll, 0xFF completes the send in flight at a
// poll, 0xFE runs a frame. After every step the queue, the kept tail and the missile tables
// must still make sense, and the game must never have two messages on the wire.
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "battle/missiles.h"
#include "net/connection.h"
#include "platform/socket_control.h"
#include "shell/game.h"
#include "shell/scenes.h"
#include "started_game.h"

namespace {

using kb::fuzz::Check;

// A connected data control whose traffic the input decides.
class ScriptedSocket : public kb::NullSocketControl {
  public:
    std::string pendingArrival;
    bool completeNext = false;

    bool SendData(const std::string&) override {
        Check(!inFlight_);  // one message on the wire at a time
        inFlight_ = open_;
        return open_;
    }
    std::string GetData() override { return std::exchange(received_, {}); }
    void Close() override {
        open_ = false;
        inFlight_ = false;
    }
    kb::SocketState State() const override {
        return open_ ? kb::SocketState::kConnected : kb::SocketState::kClosed;
    }
    void Poll(kb::SocketEvents& events) override {
        if (completeNext && inFlight_) {
            inFlight_ = false;
            events.SendComplete();
        }
        completeNext = false;
        if (open_ && !pendingArrival.empty()) {
            received_ = std::exchange(pendingArrival, {});
            events.DataArrival(static_cast<int32_t>(received_.size()));
        }
        pendingArrival.clear();
    }

  private:
    bool open_ = true;
    bool inFlight_ = false;
    std::string received_;
};

bool IsDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

// Only an unfinished message may wait for the next arrival.
bool TailIsUnfinished(const std::u16string& tail) {
    if (tail.empty()) return true;
    for (char16_t c : tail.substr(0, 2))
        if (!IsDigit(c)) return false;
    if (tail.size() == 1) return true;
    const int code = (tail[0] - u'0') * 10 + (tail[1] - u'0');
    if (tail.size() == 2) return code == 4 || code == 5 || code == 6 || code == 99 || code == 51;
    return tail.size() == 3 && code == 51;
}

void CheckGame(const kb::Game& g) {
    const auto& list = g.s.SendList;
    bool gap = false;
    for (const auto& slot : list) {
        if (slot.empty())
            gap = true;
        else
            Check(!gap);  // occupied slots run from 0 without holes
    }
    Check(TailIsUnfinished(g.recvBuf));
    for (int lane = 0; lane < kb::kLaneSlots; ++lane) {
        Check(g.s.MyMisState[lane] >= kb::kMisEmpty && g.s.MyMisState[lane] <= kb::kMisExploding);
        Check(g.s.EnMisState[lane] >= kb::kMisEmpty && g.s.EnMisState[lane] <= kb::kMisExploding);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    static ScriptedSocket winsock;
    winsock = ScriptedSocket();
    kb::fuzz::StartedGame& f = kb::fuzz::StartedGame::Fresh(&winsock);
    kb::Game& g = f.G();
    g.s.GameMode = (data[0] & 1) ? kb::kModeClient : kb::kModeServer;
    kb::GameStartInit(g);

    for (size_t i = 1; i < size && !g.ended; ++i) {
        switch (data[i]) {
            case 0x00:
                kb::PollNetwork(g);
                break;
            case 0xFF:
                winsock.completeNext = true;
                kb::PollNetwork(g);
                break;
            case 0xFE:
                f.Frames(1);
                break;
            default:
                winsock.pendingArrival.push_back(static_cast<char>(data[i]));
                continue;
        }
        CheckGame(g);
    }
    return 0;
}
