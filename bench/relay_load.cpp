// Many rooms at once through one relay on this machine's loopback: each room's host and guest
// connect as the game does (the code as user name, a client id of its own, each writing to the
// other's inbox, Nagle off) and each sends a sealed launch's worth of bytes (20) five times a
// second, stamped with the time they left. Prints, for each number of rooms, the one-way delay
// (p50, p99), what was lost, and the broker's processor use and memory. The broker is started here
// with the project's configuration on free ports of 127.0.0.1 and stopped at the end; every run is
// bounded in rooms and seconds.
//
//   relay_load [--seconds S] ROOMS...        e.g. relay_load 100 1000
//   relay_load --find-limit                  the most rooms that keep p99 under 50 ms
#include <arpa/inet.h>
#include <mosquitto.h>
#include <netinet/in.h>
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

// The project's relay, on loopback only.
struct Broker {
    pid_t pid = -1;
    int port = FreePort();
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

struct Client {
    mosquitto* mosq = nullptr;
    std::string code, id;
    std::string topic, peer;  // where it writes (its peer's inbox), and its own inbox
    int64_t nextSend = 0;     // ns
    std::vector<int64_t>* delays = nullptr;
    std::atomic<long>* received = nullptr;
};

void OnMessage(mosquitto*, void* obj, const mosquitto_message* m) {
    auto& c = *static_cast<Client*>(obj);
    if (m->payloadlen != kFrameBytes) return;
    int64_t sent = 0;
    std::memcpy(&sent, m->payload, sizeof sent);
    c.delays->push_back(NowNs() - sent);
    ++*c.received;
}

struct Result {
    double p50 = 0, p99 = 0, cpu = 0, rss = 0;
    long sent = 0, received = 0;
    int failed = 0;
};

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

Result Measure(int rooms, int seconds) {
    Broker broker;
    Result r;
    std::vector<std::vector<Client>> groups(kThreads);
    std::vector<std::vector<int64_t>> delays(kThreads);
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
            if (mosquitto_connect(c.mosq, "127.0.0.1", broker.port, 30) != MOSQ_ERR_SUCCESS) {
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
    for (auto& t : threads) t.join();
    meter.join();
    std::vector<int64_t> all;
    for (auto& d : delays) all.insert(all.end(), d.begin(), d.end());
    std::sort(all.begin(), all.end());
    if (!all.empty()) {
        r.p50 = static_cast<double>(all[all.size() / 2]) / 1e6;
        r.p99 = static_cast<double>(all[all.size() * 99 / 100]) / 1e6;
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
    bool findLimit = false;
    std::vector<int> counts;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--seconds" && i + 1 < argc)
            seconds = std::clamp(std::atoi(argv[++i]), 1, 120);
        else if (a == "--find-limit")
            findLimit = true;
        else
            counts.push_back(std::clamp(std::atoi(argv[i]), 1, kMaxRooms));
    }
    if (counts.empty() && !findLimit) counts = {100, 1000};
    std::printf("%d messages a second from each side of each room, %d s measured\n",
                static_cast<int>(kMessagesPerSecond), seconds);
    for (int rooms : counts) Print(rooms, Measure(rooms, seconds));
    if (findLimit) {
        // Doubled until p99 passes 50 ms (or messages are lost), then halved in between three
        // times.
        const auto good = [&](int rooms) {
            const Result r = Measure(rooms, seconds);
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
