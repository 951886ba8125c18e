#include "platform/script_peer/script_peer.h"

#include <cstdint>
#include <utility>

namespace kb {

namespace {

// The one request the peer makes: it knocks on one door at a time.
constexpr int32_t kPeerRequest = 1;

// What the game's side of the peer shows as its address, as the stand-in controls it replaces.
constexpr char kLocalIP[] = "127.0.0.1";

}  // namespace

class ScriptPeerListener : public ListenerControl {
  public:
    explicit ScriptPeerListener(ScriptPeer& peer) : peer_(peer) {}
    ~ScriptPeerListener() override { Close(); }

    void SetLocalPort(int) override {}
    bool Listen(std::string&) override {
        peer_.listening_ = true;
        return true;
    }
    void Close() override {
        peer_.listening_ = false;
        peer_.knocks_ = 0;
    }
    SocketState State() const override {
        return peer_.listening_ ? SocketState::kListening : SocketState::kClosed;
    }
    std::string LocalIP() override { return kLocalIP; }
    void Poll(SocketEvents& events) override {
        for (; peer_.knocks_ > 0 && peer_.listening_; --peer_.knocks_)
            events.ConnectionRequest(kPeerRequest);
    }

  private:
    ScriptPeer& peer_;
};

class ScriptPeerConnection : public SocketControl {
  public:
    explicit ScriptPeerConnection(ScriptPeer& peer) : peer_(peer) {}
    ~ScriptPeerConnection() override { Close(); }

    void SetLocalPort(int) override {}
    bool Listen(std::string&) override { return false; }
    void Accept(int32_t requestID) override {
        if (requestID == kPeerRequest) Meet();
    }
    void SetRemoteHost(const std::string&) override {}
    void SetRemotePort(int) override {}
    // The switchboard connects here only to the peer's own address: the peer answers at once.
    void Connect() override { Meet(); }
    bool SendData(const std::string& data) override {
        if (state_ != SocketState::kConnected) return false;
        peer_.heard_ += data;
        ++sendsUnreported_;
        return true;
    }
    std::string GetData() override {
        announced_ = false;
        return std::exchange(received_, {});
    }
    void Close() override {
        if (peer_.game_ == this) peer_.game_ = nullptr;
        state_ = SocketState::kClosed;
        received_.clear();
        announced_ = false;
        sendsUnreported_ = 0;
    }
    SocketState State() const override { return state_; }
    std::string LocalIP() override { return kLocalIP; }
    void Poll(SocketEvents& events) override {
        for (; sendsUnreported_ > 0 && state_ == SocketState::kConnected; --sendsUnreported_)
            events.SendComplete();
        if (!received_.empty() && !announced_) {
            announced_ = true;
            events.DataArrival(static_cast<int32_t>(received_.size()));
        }
    }

    // The peer's bytes, for the next poll to announce.
    void Receive(const std::string& bytes) { received_ += bytes; }
    // The peer left.
    void Lose() {
        state_ = SocketState::kFailed;
        peer_.game_ = nullptr;
    }

  private:
    // Connects this control to the peer, which forgets anything it held with the game before.
    void Meet() {
        Close();
        peer_.game_ = this;
        peer_.heard_.clear();
        state_ = SocketState::kConnected;
    }

    ScriptPeer& peer_;
    SocketState state_ = SocketState::kClosed;
    std::string received_;
    bool announced_ = false;   // DataArrival raised for what is in received_
    int sendsUnreported_ = 0;  // sends taken, not yet reported complete
};

bool ScriptPeer::Knock() {
    if (!listening_) return false;
    ++knocks_;
    return true;
}

bool ScriptPeer::Say(const std::string& bytes) {
    if (!game_) return false;
    game_->Receive(bytes);
    return true;
}

void ScriptPeer::HangUp() {
    if (game_) game_->Lose();
}

std::unique_ptr<SocketControl> ScriptPeerTransport::NewListener() {
    return std::make_unique<ScriptPeerListener>(peer_);
}

std::unique_ptr<SocketControl> ScriptPeerTransport::NewConnection() {
    return std::make_unique<ScriptPeerConnection>(peer_);
}

}  // namespace kb
