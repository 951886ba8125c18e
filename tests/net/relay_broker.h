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
#include <iterator>
#include <memory>
#include <mutex>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "net/net_game.h"
#include "test_game.h"

namespace kb::test {

// A program in a process of its own, reading `input` and writing to `log` (stdout and stderr),
// killed without a word when done with.
class Process {
  public:
    Process(std::vector<std::string> args, const std::string& input, const std::string& log) {
        int in[2];
        if (pipe(in) != 0) return;
        pid_ = fork();
        if (pid_ == 0) {
            dup2(in[0], 0);
            close(in[1]);
            if (FILE* f = std::fopen(log.c_str(), "w")) {
                dup2(fileno(f), 1);
                dup2(fileno(f), 2);
            }
            std::vector<char*> argv;
            for (std::string& a : args) argv.push_back(a.data());
            argv.push_back(nullptr);
            execvp(argv[0], argv.data());
            _exit(127);
        }
        close(in[0]);
        if (write(in[1], input.data(), input.size()) < 0) Kill();
        close(in[1]);
    }
    ~Process() { Kill(); }
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;
    void Kill() {
        if (pid_ <= 0) return;
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }
    // It has ended by itself.
    bool Ended() {
        if (pid_ <= 0 || waitpid(pid_, nullptr, WNOHANG) != pid_) return pid_ <= 0;
        pid_ = -1;
        return true;
    }

  private:
    pid_t pid_ = -1;
};

class Broker {
  public:
    // On a port picked free a moment before: another program (another checkout's tests, say) may
    // take it first, and then this broker ends at once and another port is tried.
    Broker() {
        for (int attempt = 0; attempt < 5 && !Start(); ++attempt) {
        }
    }
    Broker(const Broker&) = delete;
    Broker& operator=(const Broker&) = delete;

    std::string Url() const { return "mqtt://127.0.0.1:" + std::to_string(port_); }
    int Port() const { return port_; }
    // Gone at once, as a crashed or unplugged broker is.
    void Kill() { process_->Kill(); }

  private:
    // Starts mosquitto on a free port; true once it runs, false when it ended instead.
    bool Start() {
        port_ = UnusedPort();
        std::ifstream in(std::string(KB_SOURCE_DIR) + "/relay/kanaburst.conf");
        std::stringstream conf;
        conf << in.rdbuf();
        std::string text = conf.str();
        text = std::regex_replace(text, std::regex("listener 1883"),
                                  "listener " + std::to_string(port_) + " 127.0.0.1");
        // Without the pages' WebSocket listener: these tests speak MQTT over TCP, and each port
        // more is one more that another program may take first.
        text = std::regex_replace(text, std::regex("listener 9001\nprotocol websockets\n"), "");
        text = std::regex_replace(text, std::regex("/etc/mosquitto/kanaburst.acl"),
                                  std::string(KB_SOURCE_DIR) + "/relay/kanaburst.acl");
        dir_.WriteFile("relay.conf", text);
        const std::string log = (dir_.Path() / "relay.log").string();
        // Its log goes to a file beside its configuration, out of the tests' output.
        process_ = std::make_unique<Process>(
            // Debian's broker is in /usr/sbin, which a normal user's PATH may lack.
            std::vector<std::string>{
                access("/usr/sbin/mosquitto", X_OK) == 0 ? "/usr/sbin/mosquitto" : "mosquitto",
                "-c", (dir_.Path() / "relay.conf").string()},
            "", log);
        // Running once it says so, with its listener open (a port that answers may be someone
        // else's).
        for (int i = 0; i < 1000 && !process_->Ended(); ++i) {
            std::ifstream said(log);
            const std::string text{std::istreambuf_iterator<char>(said), {}};
            if (text.find(" running\n") != std::string::npos) return true;
            usleep(10000);
        }
        return false;
    }

    TempDir dir_;
    int port_ = 0;
    std::unique_ptr<Process> process_;
};

// An MQTT client run on libmosquitto's own thread, keeping what it receives: a stranger, an
// attacker or a peer played by hand.
class RawMqtt {
  public:
    struct Message {
        std::string topic, payload;
        bool retained;
    };
    // user: the MQTT user name (null: none); id: the client id.
    RawMqtt(const Broker& broker, const char* user, const std::string& id) {
        static const int kInit = mosquitto_lib_init();
        (void)kInit;
        mosq_ = mosquitto_new(id.c_str(), true, this);
        if (!mosq_) return;  // an id the library refuses (not UTF-8, say)
        if (user) mosquitto_username_pw_set(mosq_, user, nullptr);
        mosquitto_message_callback_set(
            mosq_, [](mosquitto*, void* self, const mosquitto_message* m) {
                auto& raw = *static_cast<RawMqtt*>(self);
                std::lock_guard lock(raw.mutex_);
                raw.got_.push_back({m->topic,
                                    std::string(static_cast<const char*>(m->payload),
                                                static_cast<size_t>(m->payloadlen)),
                                    m->retain});
            });
        connected_ = mosquitto_connect(mosq_, "127.0.0.1", broker.Port(), 30) == MOSQ_ERR_SUCCESS;
        // Never reconnects: a connection the broker drops stays dropped.
        mosquitto_reconnect_delay_set(mosq_, 3600, 3600, false);
        mosquitto_loop_start(mosq_);
    }
    ~RawMqtt() {
        if (!mosq_) return;
        mosquitto_disconnect(mosq_);
        mosquitto_loop_stop(mosq_, true);
        mosquitto_destroy(mosq_);
    }
    bool Connected() const { return connected_; }
    void Subscribe(const std::string& filter) {
        if (mosq_) mosquitto_subscribe(mosq_, nullptr, filter.c_str(), 0);
    }
    void Publish(const std::string& topic, const std::string& payload, bool retain = false) {
        if (mosq_)
            mosquitto_publish(mosq_, nullptr, topic.c_str(), static_cast<int>(payload.size()),
                              payload.data(), 0, retain);
    }
    // Every message received so far.
    std::vector<Message> Got() {
        std::lock_guard lock(mutex_);
        return got_;
    }

  private:
    mosquitto* mosq_ = nullptr;
    bool connected_ = false;
    std::mutex mutex_;
    std::vector<Message> got_;
};

}  // namespace kb::test
