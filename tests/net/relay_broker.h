#pragma once
// A real mosquitto with the project's relay configuration (relay/kanaburst.conf and its access
// rules), on free ports of 127.0.0.1, for as long as a test needs it; and a plain MQTT client
// to play a stranger or a peer by hand.
#include <mosquitto.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <memory>
#include <mutex>
#include <optional>
#include <regex>
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
    void Kill() { End(SIGKILL); }
    // Whether it has not ended yet.
    bool Running() {
        if (pid_ > 0 && waitpid(pid_, nullptr, WNOHANG) == pid_) pid_ = -1;
        return pid_ > 0;
    }
    // Asked to end (SIGTERM), so that it stops what it started; waits for it.
    void Stop() { End(SIGTERM); }

  private:
    void End(int signal) {
        if (pid_ <= 0) return;
        kill(pid_, signal);
        waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }
    pid_t pid_ = -1;
};

// A certificate and its key, in PEM files.
struct TlsFiles {
    std::string cert, key;
};

// How a test's broker differs from the relay's own configuration.
struct BrokerSetup {
    // Settings written over the relay's: each line that starts with the first, every one of
    // them, becomes the first and the second ("max_connections", "3").
    std::vector<std::pair<std::string, std::string>> settings = {};
    // The TLS listener of relay/kanaburst-tls.conf as well, with this certificate.
    std::optional<TlsFiles> tls = {};
};

class Broker {
  public:
    explicit Broker(const BrokerSetup& setup = {}) {
        // A free port may be taken by another process before the broker binds it (as the
        // source port of some connection): the broker then ends, and starts again on others.
        for (int attempt = 0; attempt < 5 && !Start(setup); ++attempt) process_->Kill();
    }
    Broker(const Broker&) = delete;
    Broker& operator=(const Broker&) = delete;

    std::string Url() const { return "mqtt://127.0.0.1:" + std::to_string(port_); }
    // The TLS listener as host (a name its certificate must carry) reaches it.
    std::string TlsUrl(const std::string& host) const {
        return "mqtts://" + host + ":" + std::to_string(tlsPort_);
    }
    int Port() const { return port_; }
    int TlsPort() const { return tlsPort_; }
    // What the broker has logged so far.
    std::string Log() const { return ReadText((dir_.Path() / "relay.log").string()); }
    // Gone at once, as a crashed or unplugged broker is.
    void Kill() { process_->Kill(); }

  private:
    // Starts on free ports; false when it ended before all its listeners were open.
    bool Start(const BrokerSetup& setup) {
        port_ = UnusedPort();
        tlsPort_ = setup.tls ? UnusedPort() : 0;
        const std::string relay = std::string(KB_SOURCE_DIR) + "/relay/";
        std::string text = ReadText(relay + "kanaburst.conf");
        if (setup.tls) {
            // Every address, so that a name that stands for ::1 first reaches it too.
            text += ReadText(relay + "kanaburst-tls.conf");
            text = std::regex_replace(text, std::regex("listener 8883"),
                                      "listener " + std::to_string(tlsPort_));
            text =
                std::regex_replace(text, std::regex("certfile .*"), "certfile " + setup.tls->cert);
            text = std::regex_replace(text, std::regex("keyfile .*"), "keyfile " + setup.tls->key);
        }
        text = std::regex_replace(text, std::regex("listener 1883"),
                                  "listener " + std::to_string(port_) + " 127.0.0.1");
        // Without the pages' WebSocket listener: these tests speak MQTT over TCP, and a port
        // found free for it may be taken again before the broker binds it (by the ready probe's
        // own connections, say), which stopped the broker in about one run in four.
        text = std::regex_replace(text, std::regex("listener 9001\nprotocol websockets\n"), "");
        text = std::regex_replace(text, std::regex("/etc/mosquitto/kanaburst.acl"),
                                  relay + "kanaburst.acl");
        text = std::regex_replace(text, std::regex("plugin /usr/lib/kanaburst-relay/"),
                                  std::string("plugin ") + KB_BINARY_DIR + "/");
        for (const auto& [name, value] : setup.settings)
            text = std::regex_replace(text, std::regex("\\n" + name + " [^\\n]*"),
                                      "\n" + name + " " + value);
        dir_.WriteFile("relay.conf", text);
        // Its log goes to a file beside its configuration, out of the tests' output.
        process_ = std::make_unique<Process>(
            // Debian's broker is in /usr/sbin, which a normal user's PATH may lack.
            std::vector<std::string>{
                access("/usr/sbin/mosquitto", X_OK) == 0 ? "/usr/sbin/mosquitto" : "mosquitto",
                "-c", (dir_.Path() / "relay.conf").string()},
            "", (dir_.Path() / "relay.log").string());
        // Ready once it says so, every listener open: a port that answers before then may be
        // another program's (another checkout's broker, with other access rules).
        for (int i = 0; i < 1000 && process_->Running(); ++i) {
            if (Log().find(" running\n") != std::string::npos) return true;
            usleep(10000);
        }
        return false;
    }

    TempDir dir_;
    int port_ = 0, tlsPort_ = 0;
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
    // user: the MQTT user name (null: none); id: the client id; from: the loopback address it
    // connects from (empty: any); trust: an authority's certificate, to reach the TLS listener
    // as localhost.
    RawMqtt(const Broker& broker, const char* user, const std::string& id)
        : RawMqtt(broker.Port(), user, id) {}
    RawMqtt(int port, const char* user, const std::string& id, const std::string& from = "",
            const std::string& trust = "") {
        static const int kInit = mosquitto_lib_init();
        (void)kInit;
        mosq_ = mosquitto_new(id.c_str(), true, this);
        if (!mosq_) return;  // an id the library refuses (not UTF-8, say)
        if (user) mosquitto_username_pw_set(mosq_, user, nullptr);
        if (!trust.empty())
            mosquitto_tls_set(mosq_, trust.c_str(), nullptr, nullptr, nullptr, nullptr);
        mosquitto_connect_callback_set(mosq_, [](mosquitto*, void* self, int rc) {
            static_cast<RawMqtt*>(self)->answer_ = rc;
        });
        mosquitto_message_callback_set(
            mosq_, [](mosquitto*, void* self, const mosquitto_message* m) {
                auto& raw = *static_cast<RawMqtt*>(self);
                std::lock_guard lock(raw.mutex_);
                raw.got_.push_back({m->topic,
                                    std::string(static_cast<const char*>(m->payload),
                                                static_cast<size_t>(m->payloadlen)),
                                    m->retain});
            });
        connected_ =
            mosquitto_connect_bind(mosq_, trust.empty() ? "127.0.0.1" : "localhost", port, 30,
                                   from.empty() ? nullptr : from.c_str()) == MOSQ_ERR_SUCCESS;
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
    // The broker's answer to the connection: 0 taken in, 5 not authorised, -1 none in 5 s.
    int Answer() const {
        for (int i = 0; i < 500 && answer_ < 0; ++i) usleep(10000);
        return answer_;
    }
    // Says goodbye, and gives the broker a moment to hear it.
    void Leave() {
        if (mosq_) mosquitto_disconnect(mosq_);
        usleep(100000);
    }
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
    std::atomic<int> answer_ = -1;
    std::mutex mutex_;
    std::vector<Message> got_;
};

}  // namespace kb::test
