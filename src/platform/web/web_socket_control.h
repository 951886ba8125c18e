#pragma once
// The game's data connection in a browser page: a WebSocket to a bridge (websockify) that stands
// in front of a desktop game's TCP port and carries its bytes both ways. A page cannot listen:
// rooms take the listener's place.
#include <emscripten/websocket.h>

#include <string>

#include "platform/host_address.h"
#include "platform/socket_control.h"

namespace kb {

class WebSocketControl : public SocketControl {
  public:
    // bridgePort: where the bridge listens on the host the player types.
    explicit WebSocketControl(int bridgePort) : bridgePort_(bridgePort) {}
    ~WebSocketControl() override { Close(); }
    WebSocketControl(const WebSocketControl&) = delete;
    WebSocketControl& operator=(const WebSocketControl&) = delete;

    void SetLocalPort(int) override {}
    bool Listen(std::string&) override { return false; }
    void Accept(int32_t) override {}
    void SetRemoteHost(const std::string& host) override { host_ = host; }
    void SetRemotePort(int) override {}
    void Connect() override;
    bool SendData(const std::string& data) override;
    std::string GetData() override;
    void Close() override;
    SocketState State() const override { return state_; }
    std::string LocalIP() override { return "-"; }
    void Poll(SocketEvents& events) override;

  private:
    // The browser's events on the WebSocket: opened, bytes in, an error, closed.
    static EM_BOOL OnOpen(int, const EmscriptenWebSocketOpenEvent*, void* self);
    static EM_BOOL OnMessage(int, const EmscriptenWebSocketMessageEvent* ev, void* self);
    static EM_BOOL OnError(int, const EmscriptenWebSocketErrorEvent*, void* self);
    static EM_BOOL OnClose(int, const EmscriptenWebSocketCloseEvent*, void* self);
    // The bridge or the peer went away, or the connection never came.
    void Gone();

    int bridgePort_;
    std::string host_;
    EMSCRIPTEN_WEBSOCKET_T socket_ = 0;
    SocketState state_ = SocketState::kClosed;
    std::string received_;
    bool announced_ = false;   // DataArrival raised for what is in received_
    int sendsUnreported_ = 0;  // sends the browser took, not yet reported complete
};

// A WebSocket bridge (websockify) in front of a desktop game, on any host a player can name.
class WebSocketTransport : public Transport {
  public:
    // Through the bridge on bridgePort of the host the player types.
    explicit WebSocketTransport(int bridgePort) : bridgePort_(bridgePort) {}
    bool Reaches(const std::string& address) const override { return IsHostAddress(address); }
    std::unique_ptr<SocketControl> NewListener() override { return nullptr; }
    std::unique_ptr<SocketControl> NewConnection() override {
        return std::make_unique<WebSocketControl>(bridgePort_);
    }

  private:
    int bridgePort_;
};

}  // namespace kb
