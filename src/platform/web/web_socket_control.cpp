#include "platform/web/web_socket_control.h"

namespace kb {

void WebSocketControl::Connect() {
    Close();
    if (host_.empty() || !emscripten_websocket_is_supported()) {
        state_ = SocketState::kFailed;
        return;
    }
    const bool ipv6 = host_.find(':') != std::string::npos;
    const std::string url =
        "ws://" + (ipv6 ? "[" + host_ + "]" : host_) + ":" + std::to_string(bridgePort_) + "/";
    EmscriptenWebSocketCreateAttributes attributes;
    emscripten_websocket_init_create_attributes(&attributes);
    attributes.url = url.c_str();
    attributes.protocols = "binary";
    const EMSCRIPTEN_WEBSOCKET_T socket = emscripten_websocket_new(&attributes);
    if (socket <= 0) {
        state_ = SocketState::kFailed;
        return;
    }
    socket_ = socket;
    state_ = SocketState::kConnecting;
    emscripten_websocket_set_onopen_callback(socket_, this, OnOpen);
    emscripten_websocket_set_onmessage_callback(socket_, this, OnMessage);
    emscripten_websocket_set_onerror_callback(socket_, this, OnError);
    emscripten_websocket_set_onclose_callback(socket_, this, OnClose);
}

bool WebSocketControl::SendData(const std::string& data) {
    if (state_ != SocketState::kConnected) return false;
    // The browser copies the bytes before the call returns; it never writes to them.
    if (emscripten_websocket_send_binary(socket_, const_cast<char*>(data.data()), data.size()) !=
        EMSCRIPTEN_RESULT_SUCCESS) {
        state_ = SocketState::kFailed;
        return false;
    }
    ++sendsUnreported_;  // the browser queues it: done as far as the game can tell
    return true;
}

std::string WebSocketControl::GetData() {
    announced_ = false;
    std::string data;
    data.swap(received_);
    return data;
}

void WebSocketControl::Close() {
    if (socket_ > 0) {
        emscripten_websocket_close(socket_, 1000, "");
        emscripten_websocket_delete(socket_);
    }
    socket_ = 0;
    state_ = SocketState::kClosed;
    received_.clear();
    announced_ = false;
    sendsUnreported_ = 0;
}

void WebSocketControl::Poll(SocketEvents& events) {
    for (; sendsUnreported_ > 0 && state_ == SocketState::kConnected; --sendsUnreported_)
        events.SendComplete();
    if (!received_.empty() && !announced_) {
        announced_ = true;
        events.DataArrival(static_cast<int32_t>(received_.size()));
    }
}

EM_BOOL WebSocketControl::OnOpen(int, const EmscriptenWebSocketOpenEvent*, void* self) {
    static_cast<WebSocketControl*>(self)->state_ = SocketState::kConnected;
    return EM_TRUE;
}

EM_BOOL WebSocketControl::OnMessage(int, const EmscriptenWebSocketMessageEvent* ev, void* self) {
    auto& control = *static_cast<WebSocketControl*>(self);
    control.received_.append(reinterpret_cast<const char*>(ev->data), ev->numBytes);
    return EM_TRUE;
}

EM_BOOL WebSocketControl::OnError(int, const EmscriptenWebSocketErrorEvent*, void* self) {
    static_cast<WebSocketControl*>(self)->Gone();
    return EM_TRUE;
}

EM_BOOL WebSocketControl::OnClose(int, const EmscriptenWebSocketCloseEvent*, void* self) {
    static_cast<WebSocketControl*>(self)->Gone();
    return EM_TRUE;
}

// The bridge or the peer went away, or the connection never came.
void WebSocketControl::Gone() {
    if (state_ == SocketState::kConnecting || state_ == SocketState::kConnected)
        state_ = SocketState::kFailed;
}

}  // namespace kb
