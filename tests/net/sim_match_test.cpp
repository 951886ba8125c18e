// A whole network match between two kanaburst-sim processes over loopback: the server and the
// client are driven line by line, as two players would, and both sides' traces are checked.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

#include "net_fixture.h"

namespace kb::test {
namespace {

// One kanaburst-sim with its script fed through a pipe, so that the test can look at the game
// between steps.
class SimProcess {
  public:
    SimProcess(const std::string& dir, int port) {
        int in[2], out[2];
        if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0) return;
        pid_ = fork();
        if (pid_ == 0) {
            dup2(in[0], 0);
            dup2(out[1], 1);
            dup2(out[1], 2);
            setenv("KB_PORT", std::to_string(port).c_str(), 1);
            setenv("SDL_VIDEODRIVER", "dummy", 1);
            setenv("SDL_AUDIODRIVER", "dummy", 1);
            const std::string sim = std::string(KB_BINARY_DIR) + "/kanaburst-sim";
            execl(sim.c_str(), sim.c_str(), "--realtime", "--dir", dir.c_str(), nullptr);
            _exit(127);
        }
        close(in[0]);
        close(out[1]);
        in_ = in[1];
        out_ = out[0];
    }
    ~SimProcess() {
        if (in_ >= 0) close(in_);  // the script ends: the driver exits
        const auto end = Clock::now() + std::chrono::seconds(2);
        int status = 0;
        while (pid_ > 0 && waitpid(pid_, &status, WNOHANG) == 0) {
            if (Clock::now() > end) {
                kill(pid_, SIGKILL);
                waitpid(pid_, &status, 0);
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        if (out_ >= 0) close(out_);
    }

    void Write(const std::string& lines) const {
        if (write(in_, lines.data(), lines.size()) < 0) ADD_FAILURE() << "the driver is gone";
    }
    // Reads the output of the lines written so far up to their "state" line; returns that
    // line, or "" when none came.
    std::string Finish(int ms = 5000) {
        const auto end = Clock::now() + std::chrono::milliseconds(ms);
        while (Clock::now() < end) {
            const auto nl = pending_.find('\n');
            if (nl != std::string::npos) {
                std::string line = pending_.substr(0, nl);
                pending_.erase(0, nl + 1);
                if (line.starts_with("state ")) return line;
                lines_.push_back(line);
                continue;
            }
            pollfd p{out_, POLLIN, 0};
            if (poll(&p, 1, 20) <= 0) continue;
            char buf[8192];
            const ssize_t n = read(out_, buf, sizeof buf);
            if (n <= 0) break;
            pending_.append(buf, static_cast<size_t>(n));
        }
        return "";
    }

    bool Has(const std::string& line) const {
        return std::find(lines_.begin(), lines_.end(), line) != lines_.end();
    }
    // Everything received from the peer, arrivals joined.
    std::string Received() const {
        std::string all;
        for (const auto& l : lines_)
            if (l.starts_with("recv ")) all += l.substr(5);
        return all;
    }
    std::vector<std::string> Starting(const std::string& prefix) const {
        std::vector<std::string> out;
        for (const auto& l : lines_)
            if (l.starts_with(prefix)) out.push_back(l);
        return out;
    }
    std::string Dump() const {
        std::string all;
        for (const auto& l : lines_) all += l + "\n";
        return all;
    }

  private:
    pid_t pid_ = -1;
    int in_ = -1, out_ = -1;
    std::string pending_;
    std::vector<std::string> lines_;
};

std::string Field(const std::string& state, const std::string& name) {
    const auto at = state.find("\"" + name + "\":");
    if (at == std::string::npos) return "<missing>";
    const auto start = at + name.size() + 3;
    if (state[start] == '[') return state.substr(start, state.find(']', start) - start + 1);
    return state.substr(start, state.find_first_of(",}", start) - start);
}

// Lets both games run side by side for ms until done(server state, client state) holds.
template <typename Done>
bool RunBoth(SimProcess& server, SimProcess& client, int ms, Done done) {
    const auto end = Clock::now() + std::chrono::milliseconds(ms);
    while (Clock::now() < end) {
        server.Write("wait 100\nstate\n");
        client.Write("wait 100\nstate\n");
        const std::string s = server.Finish(), c = client.Finish();
        if (s.empty() || c.empty()) return false;
        if (done(s, c)) return true;
    }
    return false;
}

// Types the one word of our list (あ) and fires it, n times.
std::string Fire(int n) {
    std::string lines;
    for (int i = 0; i < n; ++i) lines += "type A\nkey 13\n";
    return lines;
}

TEST(NetworkMatch, TwoDriversPlayAMatchToItsEnd) {
    TempDir dir;
    dir.WriteFile("str.dat", "\xEF\xBB\xBF亜,あ\r\n");
    const int port = UnusedPort();
    SimProcess server(dir.Path().string(), port), client(dir.Path().string(), port);

    // Server: item 7 of the title. Client: item 8, then the address.
    std::string toServerItem = "frames 2\n";
    for (int i = 0; i < 7; ++i) toServerItem += "key 40\n";
    server.Write(toServerItem + "key 13\nframes 2\nstate\n");
    client.Write("frames 2\nkey 38\nkey 13\nframes 2\nstate\n");
    ASSERT_NE(server.Finish(), "") << server.Dump();
    const std::string waiting = client.Finish();
    ASSERT_EQ(Field(waiting, "GameMode"), "2") << client.Dump();
    client.Write("address 127.0.0.1\n");

    // The handshake and the count-down, which the client follows.
    ASSERT_TRUE(RunBoth(server, client, 9000,
                        [](const std::string& s, const std::string& c) {
                            return Field(s, "SceneNo") == "1" && Field(s, "StartCount") == "0" &&
                                   Field(c, "StartCount") == "0" && Field(c, "InputOn") == "1";
                        }))
        << server.Dump() << "----\n"
        << client.Dump();
    EXPECT_EQ(server.Starting("send 0").front(), "send 00");
    EXPECT_TRUE(server.Has("send 50"));
    EXPECT_TRUE(client.Has("send 01"));
    for (const char* line : {"log 2 ConnectionRequest", "log 2 GAME START"})
        EXPECT_TRUE(server.Has(line)) << line;
    EXPECT_TRUE(client.Has("log 2 GAME START"));
    EXPECT_NE(client.Received().find("00"), std::string::npos);
    EXPECT_NE(client.Received().find("993992991990"), std::string::npos) << client.Received();

    // Lane 0: the client's slow missile meets the server's, launched and reinforced 4 times.
    client.Write(Fire(1));
    server.Write(Fire(5));
    ASSERT_TRUE(RunBoth(server, client, 6000,
                        [](const std::string& s, const std::string& c) {
                            return Field(s, "MyMisState").starts_with("[2,") &&
                                   Field(c, "MyMisState").starts_with("[2,") &&
                                   Field(c, "EnMisState").starts_with("[2,");
                        }))
        << server.Dump() << "----\n"
        << client.Dump();
    EXPECT_TRUE(client.Has("send 040"));
    EXPECT_EQ(server.Starting("send 05").size(), 4u);
    EXPECT_NE(client.Received().find("040050050050050"), std::string::npos) << client.Received();
    EXPECT_NE(client.Received().find("060"), std::string::npos);

    // Lane 2: the client's missile, reinforced 8 times, gets through.
    client.Write("key 40\nkey 40\n" + Fire(9));
    std::string s, c;
    ASSERT_TRUE(RunBoth(server, client, 8000,
                        [&](const std::string& ss, const std::string& cc) {
                            s = ss;
                            c = cc;
                            return Field(ss, "SceneNo") == "2" && Field(cc, "SceneNo") == "2";
                        }))
        << server.Dump() << "----\n"
        << client.Dump();
    EXPECT_EQ(Field(s, "GameResult"), "\"LOSE\"");
    EXPECT_EQ(Field(c, "GameResult"), "\"WIN\"");
    EXPECT_TRUE(server.Has("send 5102"));
    EXPECT_NE(client.Received().find("5102"), std::string::npos);
    EXPECT_TRUE(server.Has("log 2 Connection Tarminated"));
    EXPECT_TRUE(client.Has("log 2 Connection Tarminated"));
    EXPECT_FALSE(server.Has("exit"));
    EXPECT_FALSE(client.Has("exit"));
}

}  // namespace
}  // namespace kb::test
