#include "platform/web/web_mqtt_link.h"

#include <emscripten.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace kb {

namespace {

// The page's clients, by handle. Each keeps its state (0 connecting, 1 up, 2 down), why it is
// down, what came in, and what waits for the connection. (The scripts stay as written: the
// formatter does not know them.)
// clang-format off
EM_JS(int, kb_relay_open,
      (const char* url, const char* user, const char* id, const char* will, int willRetained), {
    const relays = Module.kbRelays || (Module.kbRelays = {next: 1});
    const r = {state: 0, why: "", inbox: [], waiting: [], client: null};
    const handle = relays.next++;
    relays[handle] = r;
    const address = UTF8ToString(url), userName = UTF8ToString(user);
    const clientId = UTF8ToString(id), willTopic = UTF8ToString(will);
    const down = function(why) {
        if (r.state === 2) return;
        r.state = 2;
        r.why = why;
        r.waiting = [];
    };
    const start = function() {
        if (r.state === 2) return;
        try {
            r.client = new Paho.Client(address, clientId);
        } catch (e) {
            return down("Cannot reach the relay " + address + ": " + e.message);
        }
        r.client.onMessageArrived = function(m) { r.inbox.push([m.destinationName, m.payloadBytes]); };
        r.client.onConnectionLost = function() { down("Lost the relay " + address); };
        const options = {
            userName: userName, keepAliveInterval: 5, cleanSession: true, timeout: 10,
            onSuccess: function() {
                r.state = 1;
                r.waiting.forEach(function(send) { send(); });
                r.waiting = [];
            },
            onFailure: function(e) { down("Cannot reach the relay " + address + ": " + e.errorMessage); }
        };
        if (willTopic !== "") {
            const farewell = new Paho.Message(new Uint8Array(0));
            farewell.destinationName = willTopic;
            farewell.retained = willRetained !== 0;
            options.willMessage = farewell;
        }
        r.client.connect(options);
    };
    if (typeof Paho !== "undefined") {
        start();
    } else {
        // The MQTT client is fetched the first time a room is used.
        if (!Module.kbPahoLoading) Module.kbPahoLoading = new Promise(function(ok, fail) {
            const script = document.createElement("script");
            script.src = "paho-mqtt-min.js";
            script.onload = ok;
            script.onerror = fail;
            document.head.appendChild(script);
        });
        Module.kbPahoLoading.then(start, function() { down("The page could not load its MQTT client"); });
    }
    return handle;
});

EM_JS(int, kb_relay_state, (int handle), {
    const r = Module.kbRelays && Module.kbRelays[handle];
    return r ? r.state : 2;
});

EM_JS(char*, kb_relay_why, (int handle), {
    const r = Module.kbRelays && Module.kbRelays[handle];
    return allocateUTF8(r ? r.why : "");
});

// op 0 subscribes to topic, op 1 publishes len bytes at data to it (retained or not).
EM_JS(void, kb_relay_send,
      (int handle, int op, const char* topic, const uint8_t* data, int len, int retain), {
    const r = Module.kbRelays && Module.kbRelays[handle];
    if (!r || r.state === 2) return;
    const name = UTF8ToString(topic);
    const bytes = HEAPU8.slice(data, data + len);
    const send = function() {
        try {
            if (op === 0) {
                r.client.subscribe(name, {qos: 0});
            } else {
                const m = new Paho.Message(bytes);
                m.destinationName = name;
                m.retained = retain !== 0;
                r.client.send(m);
            }
        } catch (e) {
            r.state = 2;
            r.why = "Lost the relay: " + e.message;
        }
    };
    if (r.state === 1) send(); else r.waiting.push(send);
});

// The next message as one block (topic length and topic, payload length and payload, lengths
// as little-endian 32-bit words), which the caller frees; 0 when none is waiting.
EM_JS(uint8_t*, kb_relay_take, (int handle), {
    const r = Module.kbRelays && Module.kbRelays[handle];
    if (!r || r.inbox.length === 0) return 0;
    const next = r.inbox.shift();
    const name = new TextEncoder().encode(next[0]), payload = next[1];
    const block = _malloc(8 + name.length + payload.length);
    const words = new DataView(HEAPU8.buffer);  // after the malloc, which may grow memory
    words.setUint32(block, name.length, true);
    HEAPU8.set(name, block + 4);
    words.setUint32(block + 4 + name.length, payload.length, true);
    HEAPU8.set(payload, block + 8 + name.length);
    return block;
});

EM_JS(void, kb_relay_close, (int handle), {
    const r = Module.kbRelays && Module.kbRelays[handle];
    if (!r) return;
    delete Module.kbRelays[handle];
    // What was sent goes before the goodbye; the will is not published on a clean close.
    if (r.state === 1) { try { r.client.disconnect(); } catch (e) {} }
    r.state = 2;
});
// clang-format on

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

// clang-format off
EM_JS(char*, kb_relay_url, (), {
    const given = new URLSearchParams(location.search).get("relay");
    const own = (location.protocol === "https:" ? "wss://" : "ws://") + location.hostname + ":9001/";
    return allocateUTF8(given || own);
});
// clang-format on

std::unique_ptr<MqttLink> WebMqttLinkMaker::NewLink(const std::string&) {
    char* url = kb_relay_url();
    std::string text = url;
    std::free(url);
    return std::make_unique<WebMqttLink>(text);
}

}  // namespace kb
