#pragma once
// The page's link to the relay: MQTT over WebSocket through the page's MQTT client (paho-mqtt,
// loaded the first time a room is opened or joined, so that the title does not wait for it).
// The page never sleeps, so it polls; the browser's events fill a queue the game takes from.
#include <memory>
#include <string>
#include <vector>

#include "platform/room/mqtt_link.h"

namespace kb {

class WebMqttLink : public MqttLink {
  public:
    // url: ws://HOST:PORT/ or wss://...
    explicit WebMqttLink(std::string url);
    ~WebMqttLink() override;
    WebMqttLink(const WebMqttLink&) = delete;
    WebMqttLink& operator=(const WebMqttLink&) = delete;

    void Open(const std::string& user, const std::string& clientId, const std::string& willTopic,
              bool willRetained) override;
    State LinkState() const override;
    std::string Why() const override;
    void Subscribe(const std::string& filter) override;
    void Publish(const std::string& topic, const std::string& payload, bool retain) override;
    bool Flushed() const override { return LinkState() == State::kUp; }
    void Poll(std::vector<Message>& in) override;
    void WakeWhenDue(const Waker&) override {}
    void Close() override;

  private:
    std::string url_;
    int handle_ = 0;  // the page's client; 0 before Open and after Close
};

// Links to one relay, or to several: a room's code then picks its relay by the same rule as on
// the desktop (platform/room/relay_choice.h), so that pages and desktop games meet.
class WebMqttLinkMaker : public MqttLinkMaker {
  public:
    // relays: one ws:// or wss:// URL, or several separated by commas.
    explicit WebMqttLinkMaker(const std::string& relays);
    std::unique_ptr<MqttLink> NewLink(const std::string& roomCode) override;

  private:
    std::vector<std::string> relays_;
};

}  // namespace kb
