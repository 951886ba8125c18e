// The start-up every program shares, as the programs use it: what a MachineOptions gives the
// game (its clock, its ways to meet, a room to join, the player's folder), over real loopback
// sockets and a relay address where nothing listens.
#include "app/machine.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "net/connection.h"
#include "net/net_game.h"
#include "platform/address_window.h"
#include "shell/scenes.h"
#include "test_game.h"
#include "text/ustr.h"

namespace kb::test {
namespace {

// A relay address on which nothing listens.
std::string DeadRelay() {
    return "mqtt://127.0.0.1:" + std::to_string(UnusedPort());
}

// A program without a window, on the files the build puts beside the programs.
class Started {
  public:
    explicit Started(MachineOptions options) : machine_(Headless(std::move(options))) {
        if (machine_.Open(nullptr)) g = machine_.StartGame({.form2 = &form2});
    }
    Machine& GetMachine() { return machine_; }

    HeadlessAddressWindow form2;
    Game* g = nullptr;

  private:
    static MachineOptions Headless(MachineOptions options) {
        options.name = "machine-test";
        options.window = false;
        if (options.programDir.empty()) options.programDir = KB_BINARY_DIR;
        return options;
    }
    Machine machine_;
};

TEST(Machine, TheClockAsAsked) {
    const struct {
        bool virtualClock;
        std::optional<uint32_t> seed;
        uint32_t randomSeed;
    } rows[] = {
        {true, 7, 7},
        {true, std::nullopt, 1},
        {false, 7, 7},
    };
    for (const auto& row : rows) {
        Started started({.virtualClock = row.virtualClock, .seed = row.seed});
        ASSERT_TRUE(started.g);
        EXPECT_EQ(started.GetMachine().Virtual() != nullptr, row.virtualClock);
        EXPECT_EQ(started.g->sv.clock->RandomSeed(), row.randomSeed);
        if (row.virtualClock) {
            EXPECT_EQ(started.g->sv.clock->TimeGetTime(), 3600000u);
        }
    }
}

// Where the game's connection goes for an address, told by what becomes of it: the script's
// peer hears it, a listener on loopback takes it, the relay cannot be reached, it fails at once,
// or (on the stand-in sockets) it waits for ever.
std::string WayTaken(Game& g, ScriptPeer& peer, const std::string& address) {
    RawListener listener;
    SocketControl& connection = *g.sv.winsock;
    connection.SetRemoteHost(address);
    connection.SetRemotePort(listener.Port());
    connection.Connect();
    if (connection.State() == SocketState::kFailed) return "none";
    if (connection.SendData("01") && peer.Heard() == "01") return "peer";
    RawPeer accepted;
    std::string way = "stand-in";
    PollGames(
        {&g},
        [&] {
            if (listener.TryAccept(accepted)) way = "tcp";
            if (connection.Problem().starts_with("Cannot reach the relay")) way = "rooms";
            return way != "stand-in";
        },
        1000);
    return way;
}

TEST(Machine, TheWaysToMeetAsAsked) {
    const std::string dead = DeadRelay();
    const struct {
        bool network;
        std::string relay;
        bool scriptPeer;
        const char* address;
        const char* way;
    } rows[] = {
        {false, "", false, "script peer", "stand-in"},
        {false, "", true, "script peer", "peer"},
        {false, "", true, "127.0.0.1", "none"},
        {true, "", true, "127.0.0.1", "tcp"},
        {true, "", false, "4821 7730 1294", "none"},
        {true, dead, false, "4821 7730 1294", "rooms"},
        {true, dead, false, "482177301294", "rooms"},
        {true, dead, false, "127.0.0.1", "tcp"},
        {true, dead, true, "script peer", "peer"},
        {true, dead, false, "script peer", "none"},
        {true, dead, false, "no such host!", "none"},
    };
    for (const auto& row : rows) {
        ScriptPeer peer;
        Started started({.network = row.network,
                         .virtualClock = !row.network,
                         .relay = row.relay,
                         .scriptPeer = row.scriptPeer ? &peer : nullptr});
        ASSERT_TRUE(started.g);
        EXPECT_EQ(WayTaken(*started.g, peer, row.address), row.way)
            << row.address << (row.relay.empty() ? "" : " with a relay")
            << (row.network ? " on the network" : "") << (row.scriptPeer ? " and the peer" : "");
    }
}

// KB_RELAY names the relay when the program gives none: the server item then opens a room.
TEST(Machine, TheRelayFromTheEnvironmentWhenNoneIsGiven) {
    const std::string fromEnvironment = DeadRelay(), given = DeadRelay();
    const ScopedEnv relay("KB_RELAY", fromEnvironment.c_str());
    const struct {
        std::string relay;
        std::string used;
    } rows[] = {{"", fromEnvironment}, {given, given}};
    for (const auto& row : rows) {
        Started started({.relay = row.relay});
        ASSERT_TRUE(started.g);
        Game& g = *started.g;
        g.sv.gamePort = UnusedPort();
        g.s.GameMode = kModeServer;
        StartServer(g);
        EXPECT_TRUE(PollGames({&g}, [&] {
            return ToUtf8(NetworkProblem(g)).find(row.used) != std::string::npos;
        })) << ToUtf8(NetworkProblem(g));
        CloseWinsockL(g);
    }
}

// A room given at the start (a link to it) is joined as a player would join it; text that is no
// room code is let be.
TEST(Machine, JoinsTheRoomItIsGiven) {
    const std::string dead = DeadRelay();
    const struct {
        const char* room;
        Long mode;
    } rows[] = {
        {"4821 7730 1294", kModeClient},
        {"482177301294", kModeClient},
        {"4821 7730 129", kModeNone},
        {"example.org", kModeNone},
        {"", kModeNone},
    };
    for (const auto& row : rows) {
        Started started({.relay = dead, .room = row.room});
        ASSERT_TRUE(started.g);
        Game& g = *started.g;
        EXPECT_EQ(g.s.GameMode, row.mode) << row.room;
        EXPECT_FALSE(started.form2.Visible()) << row.room;
        if (row.mode != kModeClient) continue;
        EXPECT_EQ(ToUtf8(started.form2.Text()), row.room);
        EXPECT_TRUE(PollGames({&g}, [&] {
            return NetworkProblem(g).starts_with(u"Cannot reach the relay " + FromUtf8(dead));
        })) << row.room;
    }
}

// Installed, the game reads the player's own folder first; a folder the program names wins.
TEST(Machine, ThePlayersFolder) {
    TempDir prefix, data;
    const std::filesystem::path installed = prefix.Path() / "lib" / "kanaburst";
    std::filesystem::create_directories(installed);
    std::filesystem::copy_file(std::string(KB_BINARY_DIR) + "/str.dat", installed / "str.dat");
    const ScopedEnv xdg("XDG_DATA_HOME", data.Path().c_str());
    const struct {
        std::string programDir, installDir, userDir, expected;
    } rows[] = {
        {installed.string(), "lib/kanaburst", "", data.Path().string() + "/kanaburst/"},
        {installed.string(), "lib/kanaburst", "/mine", "/mine"},
        {installed.string(), "", "", ""},
        {KB_BINARY_DIR, "lib/kanaburst", "", ""},
    };
    for (const auto& row : rows) {
        Started started(
            {.programDir = row.programDir, .installDir = row.installDir, .userDir = row.userDir});
        ASSERT_TRUE(started.g) << row.programDir;
        EXPECT_EQ(started.g->sv.userDir, row.expected) << row.programDir << " " << row.installDir;
    }
}

}  // namespace
}  // namespace kb::test
