#pragma once
// One connection to the relay (an MQTT broker) as the room controls use it. Each platform has
// its own: libmosquitto on the desktop, the page's MQTT client in a browser.
#include <memory>
#include <string>
#include <vector>

#include "platform/socket_control.h"

namespace kb {

class MqttLink {
  public:
    enum class State { kConnecting, kUp, kDown };
    struct Message {
        std::string topic;
        std::string payload;
    };
    virtual ~MqttLink() = default;

    // Starts connecting as user with this client id; returns at once. The broker publishes the
    // will (an empty message, retained or not) when the link dies without saying goodbye; an
    // empty will topic: no will.
    virtual void Open(const std::string& user, const std::string& clientId,
                      const std::string& willTopic, bool willRetained) = 0;
    // Where the link stands now.
    virtual State LinkState() const = 0;
    // Why the link is down, for the player.
    virtual std::string Why() const = 0;
    // Both are queued until the link is up.
    virtual void Subscribe(const std::string& filter) = 0;
    virtual void Publish(const std::string& topic, const std::string& payload, bool retain) = 0;
    // True when everything published so far has been handed to the network.
    virtual bool Flushed() const = 0;
    // Runs the connection and appends the messages that came in, in order.
    virtual void Poll(std::vector<Message>& in) = 0;
    // Calls wake (on any thread) when something comes in, so that a sleeping loop polls.
    virtual void WakeWhenDue(const Waker& wake) = 0;
    // Sends what is queued and leaves; the will is not published.
    virtual void Close() = 0;
};

// Makes the links to a platform's relay.
class MqttLinkMaker {
  public:
    virtual ~MqttLinkMaker() = default;
    // A link to the relay that serves this room: rooms may be spread over several brokers. An
    // empty code: the relay that holds the lobby (the first).
    virtual std::unique_ptr<MqttLink> NewLink(const std::string& roomCode) = 0;
};

}  // namespace kb
