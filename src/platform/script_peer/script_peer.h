#pragma once
// A peer played line by line by the headless driver's script (its `peer` lines), as a way to
// meet of its own: the game hosts it or joins it as it would a player over TCP, on the virtual
// clock, in the desktop's driver and the page's alike. What the game sends is taken at once and
// reported sent at the next poll; what the peer says arrives at the next poll, in one piece.
#include <memory>
#include <string>
#include <utility>

#include "platform/socket_control.h"

namespace kb {

class ScriptPeerConnection;

class ScriptPeer {
  public:
    // address: what a player types to reach this peer; it names no host and is no room code.
    explicit ScriptPeer(std::string address = "script peer") : address_(std::move(address)) {}

    // The peer connects to the game's listener. False when the game is not listening.
    bool Knock();
    // The peer sends these bytes. False when no game is connected to it.
    bool Say(const std::string& bytes);
    // The peer leaves: the game's connection fails from its next send on.
    void HangUp();
    // Everything the game has sent the peer since it last connected.
    const std::string& Heard() const { return heard_; }

  private:
    friend class ScriptPeerListener;
    friend class ScriptPeerConnection;
    friend class ScriptPeerTransport;

    std::string address_;
    bool listening_ = false;                // the game's listener listens
    int knocks_ = 0;                        // connection requests not yet raised
    ScriptPeerConnection* game_ = nullptr;  // the game's connection to the peer
    std::string heard_;
};

// The transport behind the peer: its listener and connection are the game's two controls.
class ScriptPeerTransport : public Transport {
  public:
    // The way to peer, which must outlive it.
    explicit ScriptPeerTransport(ScriptPeer& peer) : peer_(peer) {}
    bool Reaches(const std::string& address) const override { return address == peer_.address_; }
    std::unique_ptr<SocketControl> NewListener() override;
    std::unique_ptr<SocketControl> NewConnection() override;

  private:
    ScriptPeer& peer_;
};

}  // namespace kb
