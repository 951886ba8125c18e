#pragma once
// The desktop's link to the relay, on libmosquitto: non-blocking, driven by Poll between frames
// like the TCP sockets, woken by the same kind of watcher. The relay's host name is looked up on
// a helper thread, so that opening a room never holds up a frame.
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/mosquitto/relay_tls.h"
#include "platform/room/mqtt_link.h"
#include "platform/tcp/host_lookup.h"
#include "platform/tcp/socket_watcher.h"

struct mosquitto;
struct mosquitto_message;

namespace kb {

// Where a relay listens: mqtt://HOST[:PORT], HOST[:PORT] or [IPV6]:PORT, port 1883 unless said;
// or over TLS, mqtts://HOST[:PORT], port 8883 unless said.
struct RelayAddress {
    std::string host;
    int port = 1883;
    bool tls = false;
    std::string text;  // as the player gave it, for messages
};
// Empty host when the text names no relay.
RelayAddress ParseRelayAddress(const std::string& text);

class MosquittoLink : public MqttLink {
  public:
    // A link to relay, woken by watcher; nothing happens before Open.
    MosquittoLink(RelayAddress relay, SocketWatcher& watcher);
    ~MosquittoLink() override;
    MosquittoLink(const MosquittoLink&) = delete;
    MosquittoLink& operator=(const MosquittoLink&) = delete;

    void Open(const std::string& user, const std::string& clientId, const std::string& willTopic,
              bool willRetained) override;
    State LinkState() const override { return state_; }
    std::string Why() const override { return why_; }
    void Subscribe(const std::string& filter) override;
    void Publish(const std::string& topic, const std::string& payload, bool retain) override;
    bool Flushed() const override;
    void Poll(std::vector<Message>& in) override;
    void WakeWhenDue(const Waker& wake) override;
    void Close() override;

  private:
    struct Outgoing {
        bool subscribe;
        std::string topic, payload;
        bool retain;
    };
    // libmosquitto's callbacks, run inside Poll: the broker's answer, the link lost, a message.
    static void OnConnect(mosquitto*, void* self, int rc);
    static void OnDisconnect(mosquitto*, void* self, int rc);
    static void OnMessage(mosquitto*, void* self, const mosquitto_message* m);
    // Connects once the relay's host name has been looked up (and, over TLS, the machine's
    // certificate authorities read).
    void StartConnect();
    // Hands a subscription or a message to the library.
    void Send(const Outgoing& o);
    // The connection ended (rc: libmosquitto's reason): says why as clearly as it can.
    void Lost(int rc);
    // Moves the TLS handshake on, whatever the socket shows.
    void Handshake();
    // The link is down for good, for this reason.
    void Down(const std::string& why);

    RelayAddress relay_;
    SocketWatcher& watcher_;
    mosquitto* mosq_ = nullptr;
    std::optional<HostLookup> lookup_;
    std::optional<HostLookup::Answer> found_;  // the lookup's, while TLS is not yet ready
    std::unique_ptr<RelayTls> tls_;            // over mqtts:// only
    State state_ = State::kConnecting;
    std::string why_;
    std::vector<Outgoing> waiting_;  // until the broker has taken us in
    std::vector<Message> arrived_;
};

// Links to one relay, or to several: a room's code then picks its broker, the same one for
// host and guest, so that rooms spread over brokers that never talk to each other.
class MosquittoLinkMaker : public MqttLinkMaker {
  public:
    // relays: one address, or several separated by commas.
    explicit MosquittoLinkMaker(const std::string& relays);
    std::unique_ptr<MqttLink> NewLink(const std::string& roomCode) override;

  private:
    std::vector<RelayAddress> relays_;
    SocketWatcher watcher_;
};

}  // namespace kb
