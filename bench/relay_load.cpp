// Many rooms at once through one relay on this machine's loopback: each room's host and guest
// connect as the game does (the code as user name, a client id of its own, each writing to the
// other's inbox, Nagle off), each from a loopback address of its own as players on the network
// would, and each sends a sealed launch's worth of bytes (20) five times a second, stamped with
// the time they left. Prints, for each number of rooms, the one-way delay (p50, p99), what was
// lost, and the broker's processor use and memory. The broker is started here with the project's
// configuration and plugin on free ports of 127.0.0.1 and stopped at the end; every run is bounded
// in rooms and seconds.
//
// With --flood N, one address (127.255.0.1) opens N connections as fast as it can once the
// measuring starts, each asking in as a client (at most 256 open at once, the oldest closed for
// the next), on the processor time the relay and the rooms leave over; the rooms' delay is also
// given for the time the flood lasted.
//
// With --firewall it runs in a network namespace of its own (as root), with relay/nftables.conf
// loaded and the relay on its own port, 1883.
//
//   relay_load [--seconds S] [--flood N] [--firewall] ROOMS...   e.g. relay_load 100 1000
//   relay_load --find-limit                                      the most rooms that keep p99
//                                                                under 50 ms
#include <arpa/inet.h>
#include <mosquitto.h>
#include <netinet/in.h>
#include <poll.h>
#include <sched.h>
#include <signal.h>
#include <sys/epoll.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <mutex>
#include <queue>
#include <random>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kMaxRooms = 5000;  // 10,000 clients: within the file limit set below
constexpr double kMessagesPerSecond = 5;
constexpr int kThreads = 2;  // one a core of the machine measured on
constexpr int kMaxFlood = 100000;
constexpr size_t kFloodOpen = 256;
constexpr const char* kFloodFrom = "127.255.0.1";

int64_t NowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch())
        .count();
}

int FreePort() {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    socklen_t len = sizeof a;
    getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
    close(fd);
    return ntohs(a.sin_port);
}

// The relay's port: a free one, or the relay's own (1883) behind the example firewall.
int g_port = 0;

// The project's relay, on loopback only.
struct Broker {
    pid_t pid = -1;
    int port = g_port ? g_port : FreePort();
    Broker() {
        std::ifstream in(std::string(KB_SOURCE_DIR) + "/relay/kanaburst.conf");
        std::stringstream text;
        text << in.rdbuf();
        std::string conf = text.str();
        conf = std::regex_replace(conf, std::regex("listener 1883"),
                                  "listener " + std::to_string(port) + " 127.0.0.1");
        conf = std::regex_replace(conf, std::regex("listener 9001\\nprotocol websockets\\n"), "");
        conf = std::regex_replace(conf, std::regex("/etc/mosquitto/kanaburst.acl"),
                                  std::string(KB_SOURCE_DIR) + "/relay/kanaburst.acl");
        conf = std::regex_replace(conf, std::regex("plugin /usr/lib/kanaburst-relay/"),
                                  std::string("plugin ") + KB_BINARY_DIR + "/");
        char path[] = "/tmp/kb-relay-load-XXXXXX";
        const int fd = mkstemp(path);
        if (write(fd, conf.data(), conf.size()) < 0) std::perror("config");
        close(fd);
        pid = fork();
        if (pid == 0) {
            if (FILE* quiet = std::fopen("/dev/null", "w")) {
                dup2(fileno(quiet), 1);
                dup2(fileno(quiet), 2);
            }
            execlp("mosquitto", "mosquitto", "-c", path, nullptr);
            _exit(127);
        }
        usleep(300000);
        unlink(path);
    }
    ~Broker() {
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
    }
    // Processor time used so far (user and system), in seconds.
    double CpuSeconds() const {
        std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
        std::string field;
        std::vector<std::string> f;
        while (stat >> field) f.push_back(field);
        if (f.size() < 15) return 0;
        return (std::stod(f[13]) + std::stod(f[14])) / static_cast<double>(sysconf(_SC_CLK_TCK));
    }
    // Resident memory now, in MB.
    double ResidentMb() const {
        std::ifstream status("/proc/" + std::to_string(pid) + "/status");
        for (std::string line; std::getline(status, line);)
            if (line.rfind("VmRSS:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
        return 0;
    }
};

// A sealed frame holding a launch: 16 bytes of tag, the kind and three digits.
constexpr size_t kFrameBytes = 20;

// A message's one-way delay, and when it arrived.
struct Delay {
    int64_t at, ns;
};

struct Client {
    mosquitto* mosq = nullptr;
    std::string code, id;
    std::string topic, peer;  // where it writes (its peer's inbox), and its own inbox
    std::string from;         // the address it connects from
    int64_t nextSend = 0;     // ns
    std::vector<Delay>* delays = nullptr;
    std::atomic<long>* received = nullptr;
};

void OnMessage(mosquitto*, void* obj, const mosquitto_message* m) {
    auto& c = *static_cast<Client*>(obj);
    if (m->payloadlen != kFrameBytes) return;
    int64_t sent = 0;
    std::memcpy(&sent, m->payload, sizeof sent);
    const int64_t now = NowNs();
    c.delays->push_back({now, now - sent});
    ++*c.received;
}

struct Flood {
    // Taken in, refused by the broker (not authorised), reset (the firewall), never connected
    // (dropped by the firewall, or by a full backlog), unanswered by the broker, failed here.
    int attempts = 0, taken = 0, refused = 0, reset = 0, dropped = 0, unanswered = 0, failed = 0;
    int64_t from = 0, until = 0;  // ns
};

struct Result {
    double p50 = 0, p99 = 0, cpu = 0, rss = 0;
    long sent = 0, received = 0;
    int failed = 0;
    Flood flood;
    double floodP50 = 0, floodP99 = 0;  // the rooms' delays while the flood lasted
};

// The MQTT CONNECT of a flooding connection: 3.1.1, clean session, a user name, keep-alive 60 s.
std::string ConnectPacket(int i) {
    const std::string id = "flood" + std::to_string(i), user = "000000000000";
    std::string packet = std::string("\x00\x04MQTT\x04\x82\x00\x3c", 10);
    for (const std::string* field : {&id, &user}) {
        packet += static_cast<char>(field->size() >> 8);
        packet += static_cast<char>(field->size() & 0xff);
        packet += *field;
    }
    return std::string(1, '\x10') + static_cast<char>(packet.size()) + packet;
}

// What the broker answered a flooding connection: its CONNACK's code, or -1 for none yet.
int Answer(int fd) {
    unsigned char ack[4];
    const ssize_t n = recv(fd, ack, sizeof ack, MSG_DONTWAIT);
    return n == 4 && ack[0] == 0x20 ? ack[3] : -1;
}

// attempts connections from kFloodFrom, each sending an MQTT CONNECT as a game's would once
// connected, at most kFloodOpen at a time; each is given up after half a second without a
// connection or an answer.
Flood RunFlood(int port, int attempts) {
    struct Attempt {
        int fd;
        int number;  // its client id's: one a connection, as no two games share one
        int64_t since;
        bool asked;
    };
    constexpr int64_t kPatience = 500'000'000;
    Flood f;
    f.from = NowNs();
    std::vector<Attempt> open;
    std::vector<int> held;  // taken in: an attacker keeps its places
    sockaddr_in local{}, relay{};
    local.sin_family = relay.sin_family = AF_INET;
    inet_pton(AF_INET, kFloodFrom, &local.sin_addr);
    relay.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    relay.sin_port = htons(static_cast<uint16_t>(port));
    while (f.attempts < attempts || !open.empty()) {
        while (f.attempts < attempts && open.size() < kFloodOpen) {
            const int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
            ++f.attempts;
            if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0 ||
                (connect(fd, reinterpret_cast<sockaddr*>(&relay), sizeof relay) != 0 &&
                 errno != EINPROGRESS)) {
                (errno == ECONNREFUSED ? f.reset : f.failed)++;
                if (fd >= 0) close(fd);
                continue;
            }
            open.push_back({fd, f.attempts, NowNs(), false});
        }
        std::vector<pollfd> ready;
        for (const Attempt& a : open)
            ready.push_back({a.fd, static_cast<short>(a.asked ? POLLIN : POLLOUT), 0});
        poll(ready.data(), ready.size(), 10);
        const int64_t now = NowNs();
        std::vector<Attempt> still;
        for (size_t k = 0; k < open.size(); ++k) {
            Attempt a = open[k];
            int error = 0;
            socklen_t size = sizeof error;
            if (!a.asked && (ready[k].revents & (POLLOUT | POLLERR | POLLHUP))) {
                getsockopt(a.fd, SOL_SOCKET, SO_ERROR, &error, &size);
                if (error == 0) {
                    const std::string packet = ConnectPacket(a.number);
                    a.asked = send(a.fd, packet.data(), packet.size(), MSG_NOSIGNAL) > 0;
                    if (!a.asked) error = errno;
                }
                if (error) {
                    (error == ECONNREFUSED || error == ECONNRESET ? f.reset : f.failed)++;
                    close(a.fd);
                    continue;
                }
                a.since = now;
            } else if (a.asked && (ready[k].revents & (POLLIN | POLLERR | POLLHUP))) {
                const int answer = Answer(a.fd);
                (answer == 0 ? f.taken : answer > 0 ? f.refused : f.unanswered)++;
                if (answer == 0)
                    held.push_back(a.fd);
                else
                    close(a.fd);
                continue;
            } else if (now - a.since > kPatience) {
                (a.asked ? f.unanswered : f.dropped)++;
                close(a.fd);
                continue;
            }
            still.push_back(a);
        }
        open = std::move(still);
    }
    f.until = NowNs();
    for (int fd : held) close(fd);
    return f;
}

// One thread's clients until the end: each sends when its time comes (the soonest first), and
// reads what epoll says has come in. Delays are kept only after warm-up.
void Run(std::vector<Client>& clients, int64_t measureFrom, int64_t until,
         std::atomic<long>& sent) {
    const int64_t period = static_cast<int64_t>(1e9 / kMessagesPerSecond);
    const int epoll = epoll_create1(EPOLL_CLOEXEC);
    for (size_t i = 0; i < clients.size(); ++i) {
        epoll_event ev{};
        ev.events = EPOLLIN;
        ev.data.u64 = i;
        epoll_ctl(epoll, EPOLL_CTL_ADD, mosquitto_socket(clients[i].mosq), &ev);
    }
    using Due = std::pair<int64_t, size_t>;
    std::priority_queue<Due, std::vector<Due>, std::greater<>> due;
    for (size_t i = 0; i < clients.size(); ++i) due.push({clients[i].nextSend, i});
    std::vector<epoll_event> ready(256);
    bool measuring = false;
    while (NowNs() < until) {
        for (int64_t now = NowNs(); !due.empty() && due.top().first <= now; now = NowNs()) {
            Client& c = clients[due.top().second];
            due.pop();
            char frame[kFrameBytes] = {};
            const int64_t stamp = NowNs();
            std::memcpy(frame, &stamp, sizeof stamp);
            mosquitto_publish(c.mosq, nullptr, c.topic.c_str(), sizeof frame, frame, 0, false);
            mosquitto_loop_write(c.mosq, 1);
            c.nextSend += period;
            due.push({c.nextSend, static_cast<size_t>(&c - clients.data())});
            if (now >= measureFrom) ++sent;
        }
        // Sleeps to the next send to the microsecond: a thread that spun would starve the
        // broker of the processor on a small machine.
        const int64_t wait =
            std::max<int64_t>(0, due.empty() ? 1'000'000 : due.top().first - NowNs());
        const timespec timeout{static_cast<time_t>(wait / 1'000'000'000),
                               static_cast<long>(wait % 1'000'000'000)};
        const int n =
            epoll_pwait2(epoll, ready.data(), static_cast<int>(ready.size()), &timeout, nullptr);
        for (int k = 0; k < n; ++k) {
            mosquitto* mosq = clients[ready[k].data.u64].mosq;
            // Everything that has come in, a packet at a time.
            int available = 1;
            for (int reads = 0; reads < 64 && available > 0; ++reads) {
                if (mosquitto_loop_read(mosq, 1) != MOSQ_ERR_SUCCESS) break;
                if (ioctl(mosquitto_socket(mosq), FIONREAD, &available) != 0) break;
            }
            if (mosquitto_want_write(mosq)) mosquitto_loop_write(mosq, 1);
        }
        // The warm-up's delays are dropped once, when the measuring starts.
        if (!measuring && NowNs() >= measureFrom) {
            measuring = true;
            if (!clients.empty()) clients.front().delays->clear();
        }
    }
    close(epoll);
}

Result Measure(int rooms, int seconds, int flood) {
    Broker broker;
    Result r;
    std::vector<std::vector<Client>> groups(kThreads);
    std::vector<std::vector<Delay>> delays(kThreads);
    std::atomic<long> received = 0, sent = 0;
    std::mt19937 rng(1);
    for (int room = 0; room < rooms; ++room) {
        char code[16];
        std::snprintf(code, sizeof code, "%012d", room * 7919 + 11);
        // Each writes to the other's inbox (its client id), as the host and its guest do.
        char seat[24];
        std::snprintf(seat, sizeof seat, "%016x", room);
        const std::string ids[2] = {"load" + std::to_string(room) + "x0",
                                    "load" + std::to_string(room) + "x1"};
        for (int side = 0; side < 2; ++side) {
            const int group = (room * 2 + side) % kThreads;
            const std::string from = side == 0 ? "host" : seat;
            Client c;
            c.code = code;
            c.id = ids[side];
            c.topic = std::string("kb/") + code + "/in/" + ids[1 - side] + "/" + from;
            c.peer = std::string("kb/") + code + "/in/" + ids[side] + "/+";
            c.from = "127." + std::to_string(1 + side) + "." + std::to_string(room / 250) + "." +
                     std::to_string(room % 250 + 1);
            c.nextSend = static_cast<int64_t>(rng() % 200'000'000);  // the phase; start added below
            c.delays = &delays[group];
            c.received = &received;
            groups[group].push_back(c);
        }
    }
    for (int g = 0; g < kThreads; ++g) {
        for (size_t i = 0; i < groups[g].size(); ++i) {
            Client& c = groups[g][i];
            c.mosq = mosquitto_new(c.id.c_str(), true, &c);
            mosquitto_int_option(c.mosq, MOSQ_OPT_TCP_NODELAY, 1);
            mosquitto_username_pw_set(c.mosq, c.code.c_str(), nullptr);
            mosquitto_message_callback_set(c.mosq, OnMessage);
            if (mosquitto_connect_bind(c.mosq, "127.0.0.1", broker.port, 30, c.from.c_str()) !=
                MOSQ_ERR_SUCCESS) {
                ++r.failed;
                continue;
            }
            // Its inbox: its peer's frames only.
            mosquitto_subscribe(c.mosq, nullptr, c.peer.c_str(), 0);
        }
    }
    // Sending starts once everyone is connected, and two seconds of it settle the broker.
    const int64_t start = NowNs() + 500'000'000;
    for (auto& group : groups)
        for (Client& c : group) c.nextSend += start;
    const int64_t measureFrom = start + 2'000'000'000;
    const int64_t until = measureFrom + static_cast<int64_t>(seconds) * 1'000'000'000;
    std::vector<std::thread> threads;
    double cpuFrom = 0;
    std::thread meter([&] {
        std::this_thread::sleep_until(Clock::time_point(std::chrono::nanoseconds(measureFrom)));
        cpuFrom = broker.CpuSeconds();
        std::this_thread::sleep_until(Clock::time_point(std::chrono::nanoseconds(until)));
        r.cpu = (broker.CpuSeconds() - cpuFrom) / seconds * 100;
        r.rss = broker.ResidentMb();
    });
    for (int g = 0; g < kThreads; ++g)
        threads.emplace_back([&, g] { Run(groups[g], measureFrom, until, sent); });
    std::thread flooder([&] {
        if (!flood) return;
        // The flood's own work is the attacker's, on a machine of its own: here it takes only
        // what the relay and the rooms leave over.
        setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), 19);
        std::this_thread::sleep_until(Clock::time_point(std::chrono::nanoseconds(measureFrom)));
        r.flood = RunFlood(broker.port, flood);
    });
    for (auto& t : threads) t.join();
    meter.join();
    flooder.join();
    // The delays, in ms, that arrived between from and until, in order.
    const auto sorted = [&](int64_t from, int64_t to) {
        std::vector<double> ms;
        for (auto& group : delays)
            for (const Delay& d : group)
                if (d.at >= from && d.at < to) ms.push_back(static_cast<double>(d.ns) / 1e6);
        std::sort(ms.begin(), ms.end());
        return ms;
    };
    const std::vector<double> all = sorted(0, INT64_MAX);
    if (!all.empty()) {
        r.p50 = all[all.size() / 2];
        r.p99 = all[all.size() * 99 / 100];
    }
    if (const std::vector<double> during = sorted(r.flood.from, r.flood.until); !during.empty()) {
        r.floodP50 = during[during.size() / 2];
        r.floodP99 = during[during.size() * 99 / 100];
    }
    r.sent = sent;
    r.received = static_cast<long>(all.size());
    for (auto& group : groups)
        for (Client& c : group) {
            mosquitto_disconnect(c.mosq);
            mosquitto_destroy(c.mosq);
        }
    return r;
}

void Print(int rooms, const Result& r) {
    std::printf(
        "%6d rooms  p50 %7.2f ms  p99 %8.2f ms  sent %8ld  received %8ld  broker %5.1f%% "
        "of a core, %6.1f MB%s\n",
        rooms, r.p50, r.p99, r.sent, r.received, r.cpu, r.rss,
        r.failed ? ("  (" + std::to_string(r.failed) + " clients failed to connect)").c_str() : "");
    const Flood& f = r.flood;
    if (f.attempts)
        std::printf(
            "        flood from %s: %d connections in %.1f s: %d taken in, %d refused by the "
            "relay, %d reset, %d never connected, %d unanswered, %d failed; the rooms "
            "meanwhile: p50 %.2f ms, p99 %.2f ms\n",
            kFloodFrom, f.attempts, static_cast<double>(f.until - f.from) / 1e9, f.taken, f.refused,
            f.reset, f.dropped, f.unanswered, f.failed, r.floodP50, r.floodP99);
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    // Debian's broker is in /usr/sbin, which a normal user's PATH may lack.
    setenv("PATH",
           (std::string(std::getenv("PATH") ? std::getenv("PATH") : "") + ":/usr/sbin").c_str(), 1);
    // Two descriptors a room here and two in the broker, which inherits the limit.
    rlimit files{};
    getrlimit(RLIMIT_NOFILE, &files);
    files.rlim_cur = files.rlim_max;
    setrlimit(RLIMIT_NOFILE, &files);
    mosquitto_lib_init();
    int seconds = 10;
    int flood = 0;
    bool findLimit = false, firewall = false;
    std::vector<int> counts;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--seconds" && i + 1 < argc)
            seconds = std::clamp(std::atoi(argv[++i]), 1, 120);
        else if (a == "--flood" && i + 1 < argc)
            flood = std::clamp(std::atoi(argv[++i]), 0, kMaxFlood);
        else if (a == "--firewall")
            firewall = true;
        else if (a == "--find-limit")
            findLimit = true;
        else
            counts.push_back(std::clamp(std::atoi(argv[i]), 1, kMaxRooms));
    }
    if (counts.empty() && !findLimit) counts = {100, 1000};
    if (firewall) {
        // A network of its own, where the example firewall can be loaded as it stands: the
        // machine's own firewall and ports stay untouched.
        const std::string rules = std::string(KB_SOURCE_DIR) + "/relay/nftables.conf";
        if (unshare(CLONE_NEWNET) != 0 || std::system("ip link set lo up") != 0 ||
            std::system(("nft -f " + rules).c_str()) != 0) {
            std::fprintf(stderr, "relay_load: --firewall needs root, ip and nft\n");
            return 1;
        }
        g_port = 1883;
        std::printf("behind the firewall of %s\n", rules.c_str());
    }
    std::printf("%d messages a second from each side of each room, %d s measured\n",
                static_cast<int>(kMessagesPerSecond), seconds);
    for (int rooms : counts) Print(rooms, Measure(rooms, seconds, flood));
    if (findLimit) {
        // Doubled until p99 passes 50 ms (or messages are lost), then halved in between three
        // times.
        const auto good = [&](int rooms) {
            const Result r = Measure(rooms, seconds, flood);
            Print(rooms, r);
            return r.p99 < 50 && !r.failed && r.received >= r.sent * 99 / 100;
        };
        int best = 0, worst = 0;
        for (int rooms = 250; rooms <= kMaxRooms && !worst; rooms *= 2)
            (good(rooms) ? best : worst) = rooms;
        for (int step = 0; step < 3 && worst; ++step) {
            const int middle = (best + worst) / 2;
            (good(middle) ? best : worst) = middle;
        }
        std::printf("largest number of rooms tried with p99 under 50 ms: %d\n", best);
    }
    mosquitto_lib_cleanup();
    return 0;
}
