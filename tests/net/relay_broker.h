#pragma once
// A real mosquitto with the project's relay configuration (relay/kanaburst.conf and its access
// rules), on free ports of 127.0.0.1, for as long as a test needs it; and a plain MQTT client
// to play a stranger or a peer by hand.
#include <mosquitto.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <mutex>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "net/net_game.h"
#include "test_game.h"

namespace kb::test {

class Broker {
  public:
    Broker() : port_(UnusedPort()) {
        std::ifstream in(std::string(KB_SOURCE_DIR) + "/relay/kanaburst.conf");
        std::stringstream conf;
        conf << in.rdbuf();
        std::string text = conf.str();
        text = std::regex_replace(text, std::regex("listener 1883"),
                                  "listener " + std::to_string(port_) + " 127.0.0.1");
        text = std::regex_replace(text, std::regex("listener 9001"),
                                  "listener " + std::to_string(UnusedPort()));
        text = std::regex_replace(text, std::regex("/etc/mosquitto/kanaburst.acl"),
                                  std::string(KB_SOURCE_DIR) + "/relay/kanaburst.acl");
        dir_.WriteFile("relay.conf", text);
        pid_ = fork();
        if (pid_ == 0) {
            const std::string conf = (dir_.Path() / "relay.conf").string();
            // Its log goes to a file beside its configuration, out of the tests' output.
            const std::string log = (dir_.Path() / "relay.log").string();
            if (FILE* f = std::fopen(log.c_str(), "w")) {
                dup2(fileno(f), 1);
                dup2(fileno(f), 2);
            }
            execlp("mosquitto", "mosquitto", "-c", conf.c_str(), nullptr);
            _exit(127);
        }
        // Ready once it accepts connections.
        for (int i = 0; i < 500; ++i) {
            RawPeer probe;
            if (probe.ConnectTo(port_)) return;
            usleep(10000);
        }
    }
    ~Broker() { Kill(); }
    Broker(const Broker&) = delete;
    Broker& operator=(const Broker&) = delete;

    std::string Url() const { return "mqtt://127.0.0.1:" + std::to_string(port_); }
    int Port() const { return port_; }
    // Gone at once, as a crashed or unplugged broker is.
    void Kill() {
        if (pid_ <= 0) return;
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }

  private:
    TempDir dir_;
    int port_;
    pid_t pid_ = -1;
};

// An MQTT client run on libmosquitto's own thread, keeping what it receives.
class RawMqtt {
  public:
    RawMqtt(const Broker& broker, const char* user, const std::string& id) {
        static const int kInit = mosquitto_lib_init();
        (void)kInit;
        mosq_ = mosquitto_new(id.c_str(), true, this);
        if (user) mosquitto_username_pw_set(mosq_, user, nullptr);
        mosquitto_message_callback_set(
            mosq_, [](mosquitto*, void* self, const mosquitto_message* m) {
                auto& raw = *static_cast<RawMqtt*>(self);
                std::lock_guard lock(raw.mutex_);
                raw.got_.push_back(std::string(m->topic) + " " +
                                   std::string(static_cast<const char*>(m->payload),
                                               static_cast<size_t>(m->payloadlen)));
            });
        connected_ = mosquitto_connect(mosq_, "127.0.0.1", broker.Port(), 30) == MOSQ_ERR_SUCCESS;
        mosquitto_loop_start(mosq_);
    }
    ~RawMqtt() {
        mosquitto_disconnect(mosq_);
        mosquitto_loop_stop(mosq_, true);
        mosquitto_destroy(mosq_);
    }
    bool Connected() const { return connected_; }
    void Subscribe(const std::string& filter) {
        mosquitto_subscribe(mosq_, nullptr, filter.c_str(), 0);
    }
    void Publish(const std::string& topic, const std::string& payload, bool retain = false) {
        mosquitto_publish(mosq_, nullptr, topic.c_str(), static_cast<int>(payload.size()),
                          payload.data(), 0, retain);
    }
    // "TOPIC PAYLOAD" of every message received so far.
    std::vector<std::string> Got() {
        std::lock_guard lock(mutex_);
        return got_;
    }

  private:
    mosquitto* mosq_;
    bool connected_ = false;
    std::mutex mutex_;
    std::vector<std::string> got_;
};

}  // namespace kb::test
