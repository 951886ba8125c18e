// Joining two games: the server listens and accepts one client, the client types the server's
// address and connects. The sockets' events reach the game only through PollNetwork.
#include "net/connection.h"

#include <cerrno>
#include <cstring>

#include "debug/debug_log.h"
#include "net/protocol.h"
#include "platform/address_window.h"
#include "platform/socket_control.h"
#include "shell/scenes.h"
#include "text/ustr.h"
#include "typing/key_codes.h"

namespace kb {

namespace {

// The line under a failed listen that says what the player can do about it.
std::u16string ListenAdvice(const Game& g, const std::string& why) {
    if (why == std::strerror(EACCES))
        return u"\nLet the other player be the server, or see: man kanaburst";
    if (why == std::strerror(EADDRINUSE))
        return u"\nClose what uses port " + Num(g.sv.gamePort) +
               u", or let the other player be the server";
    return u"";
}

// Routes the listener's events.
class ListenerEvents : public SocketEvents {
  public:
    explicit ListenerEvents(Game& g) : g_(g) {}
    void ConnectionRequest(int32_t requestID) override {
        if (!g_.ended) WinsockL_ConnectionRequest(g_, requestID);
    }
    void SendComplete() override {}
    void DataArrival(int32_t) override {}
    void Notice(const std::string& text) override { DebugAdd(g_, 2, FromUtf8(text)); }

  private:
    Game& g_;
};

// Routes the data connection's events.
class ConnectionEvents : public SocketEvents {
  public:
    explicit ConnectionEvents(Game& g) : g_(g) {}
    void ConnectionRequest(int32_t) override {}
    void SendComplete() override {
        if (!g_.ended) SendEND(g_);
    }
    void DataArrival(int32_t bytesTotal) override {
        if (!g_.ended) Winsock_DataArrival(g_, bytesTotal);
    }
    void Notice(const std::string& text) override { DebugAdd(g_, 2, FromUtf8(text)); }

  private:
    Game& g_;
};

// Surrounding blanks are typing slips, and an IPv6 address may come in brackets.
std::string HostFromText(const std::u16string& text) {
    std::string host = ToUtf8(text);
    const auto first = host.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    host = host.substr(first, host.find_last_not_of(" \t") - first + 1);
    if (host.size() > 2 && host.front() == '[' && host.back() == ']')
        host = host.substr(1, host.size() - 2);
    return host;
}

}  // namespace

void StartServer(Game& g) {
    // A connection left over from an earlier attempt would keep clients out.
    CloseWinsock(g);
    g.listenError.clear();
    g.sv.winsockL->SetLocalPort(g.sv.gamePort);
    std::string why;
    const bool listening = g.sv.winsockL->Listen(why);
    if (why.empty()) return;
    // Listening on one way and not on another: a room is open although the port is not.
    g.listenError = u"Cannot listen on port " + Num(g.sv.gamePort) + u": " + FromUtf8(why) +
                    (listening ? u"\nThe other player can join with the room code below"
                               : ListenAdvice(g, why));
}

void ShowAddressWindow(Game& g) {
    g.sv.form2->Show();
}

bool AddressWindowVisible(const Game& g) {
    return g.sv.form2->Visible();
}

void WinsockL_ConnectionRequest(Game& g, int32_t requestID) {
    if (g.recorder) g.recorder->ConnectionRequest();
    // Only a server still waiting for its match takes one. A request during the match is left
    // alone: the listener closes it and the running match goes on. Before the match, a newer
    // client replaces one that has not answered the greeting, so that a connection that stays
    // silent cannot keep every real player out.
    if (g.s.GameMode != kModeServer || g.s.SceneNo != kSceneTitle) return;
    g.sv.winsock->SetLocalPort(g.sv.gamePort);
    g.sv.winsock->Accept(requestID);
    g.recvBuf.clear();
    EmptySendList(g);  // a greeting to the client replaced never completes
    SendDataAdd(g, kCodeServerHello, u"");
    if (g.ended) return;  // Connect Lost ended the program
    DebugAdd(g, 2, u"ConnectionRequest");
}

void Text1_KeyDown(Game& g, int keyCode, int) {
    if (keyCode != kVkReturn) return;
    const std::u16string text = g.sv.form2->Text();
    if (text.empty()) return;
    g.recvBuf.clear();
    g.sv.winsock->SetRemoteHost(HostFromText(text));
    g.sv.winsock->SetRemotePort(g.sv.gamePort);
    g.sv.winsock->Connect();
    g.sv.form2->Hide();
}

void CloseWinsock(Game& g) {
    g.sv.winsock->Close();
    g.recvBuf.clear();
    // Cancelling a client that is still typing its address closes the address window too.
    g.sv.form2->Hide();
}

void CloseWinsockL(Game& g) {
    g.sv.winsockL->Close();
    g.listenError.clear();
}

std::u16string LocalIP(Game& g) {
    return FromUtf8(g.sv.winsock->LocalIP());
}

std::u16string RoomCode(const Game& g) {
    return FromUtf8(g.sv.winsockL->RoomCode());
}

std::u16string NetworkProblem(const Game& g) {
    const SocketControl& sock = g.s.GameMode == kModeServer ? *g.sv.winsockL : *g.sv.winsock;
    return FromUtf8(sock.Problem());
}

void PollNetwork(Game& g) {
    if (g.ended) return;
    ListenerEvents listener(g);
    g.sv.winsockL->Poll(listener);
    ConnectionEvents connection(g);
    g.sv.winsock->Poll(connection);
}

void ConnectionTimeOut(Game& g) {
    MsgBox(g, u"Connection TimeOut.", u"Kanaburst");
    DebugAdd(g, 2, u"Connection TimeOut");
    CloseWinsock(g);
    GameState& s = g.s;
    s.GameMode = kModeNone;
    s.SceneNo = kSceneTitle;
    s.KeyState = 0;
    s.KeyHold = 1;
    s.InputStr.clear();
    Start_Init(g);
}

}  // namespace kb
