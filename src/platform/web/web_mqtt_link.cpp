#include "platform/web/web_mqtt_link.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "platform/room/relay_choice.h"
#include "platform/web/page_script.h"

namespace kb {

namespace {

uint32_t Word(const uint8_t* at) {
    uint32_t w = 0;
    std::memcpy(&w, at, sizeof w);
    return w;
}

}  // namespace

WebMqttLink::WebMqttLink(std::string url) : url_(std::move(url)) {}

WebMqttLink::~WebMqttLink() {
    Close();
}

void WebMqttLink::Open(const std::string& user, const std::string& clientId,
                       const std::string& willTopic, bool willRetained) {
    handle_ = kb_relay_open(url_.c_str(), user.c_str(), clientId.c_str(), willTopic.c_str(),
                            willRetained ? 1 : 0);
}

MqttLink::State WebMqttLink::LinkState() const {
    switch (handle_ ? kb_relay_state(handle_) : 2) {
        case 0:
            return State::kConnecting;
        case 1:
            return State::kUp;
        default:
            return State::kDown;
    }
}

std::string WebMqttLink::Why() const {
    if (!handle_) return "The relay's link is closed";
    char* why = kb_relay_why(handle_);
    std::string text = why;
    std::free(why);
    return text;
}

void WebMqttLink::Subscribe(const std::string& filter) {
    if (handle_) kb_relay_send(handle_, 0, filter.c_str(), nullptr, 0, 0);
}

void WebMqttLink::Publish(const std::string& topic, const std::string& payload, bool retain) {
    if (handle_)
        kb_relay_send(handle_, 1, topic.c_str(), reinterpret_cast<const uint8_t*>(payload.data()),
                      static_cast<int>(payload.size()), retain ? 1 : 0);
}

void WebMqttLink::Poll(std::vector<Message>& in) {
    if (!handle_) return;
    while (uint8_t* block = kb_relay_take(handle_)) {
        const uint32_t topicLength = Word(block);
        const uint8_t* topic = block + 4;
        const uint32_t payloadLength = Word(topic + topicLength);
        const uint8_t* payload = topic + topicLength + 4;
        in.push_back({std::string(reinterpret_cast<const char*>(topic), topicLength),
                      std::string(reinterpret_cast<const char*>(payload), payloadLength)});
        std::free(block);
    }
}

void WebMqttLink::Close() {
    if (handle_) kb_relay_close(handle_);
    handle_ = 0;
}

WebMqttLinkMaker::WebMqttLinkMaker(const std::string& relays) : relays_(RelayList(relays)) {}

std::unique_ptr<MqttLink> WebMqttLinkMaker::NewLink(const std::string& roomCode) {
    const std::string url = relays_.empty() ? "" : relays_[RelayForRoom(roomCode, relays_.size())];
    return std::make_unique<WebMqttLink>(url);
}

}  // namespace kb
