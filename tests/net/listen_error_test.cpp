// A server that cannot listen says why and, on a second line, what the player can do, over
// real sockets: a port another server holds, and port 1001 for a normal user.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <string>

#include "net/connection.h"
#include "platform/tcp/posix_socket.h"
#include "shell/scenes.h"
#include "test_game.h"
#include "text/ustr.h"

namespace kb::test {
namespace {

// The title's server item chosen with the game's port set to `port`.
std::string ListenErrorOn(int port) {
    SocketWatcher watcher;
    PosixSocket winsockL{watcher};
    Services sv;
    sv.winsockL = &winsockL;
    sv.gamePort = port;
    TestGame t(sv);
    t.g.s.GameMode = kModeServer;
    StartServer(t.g);
    return ToUtf8(t.g.listenError);
}

// The same in a child process that runs as nobody (when the test runs as root).
std::string ListenErrorAsNormalUser(int port) {
    int out[2];
    if (pipe(out) != 0) return "no pipe";
    const pid_t child = fork();
    if (child == 0) {
        close(out[0]);
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(1);
        const std::string error = ListenErrorOn(port);
        _exit(write(out[1], error.data(), error.size()) == static_cast<ssize_t>(error.size()) ? 0
                                                                                              : 1);
    }
    close(out[1]);
    std::string error;
    char buf[512];
    for (ssize_t n; (n = read(out[0], buf, sizeof buf)) > 0;) error.append(buf, n);
    close(out[0]);
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? error : "child failed";
}

TEST(ListenError, SaysWhyAndWhatToDo) {
    SocketWatcher watcher;
    PosixSocket first{watcher};  // another server on the machine
    std::string why;
    first.SetLocalPort(0);
    ASSERT_TRUE(first.Listen(why)) << why;
    const std::string held = std::to_string(first.BoundPort());
    EXPECT_EQ(ListenErrorOn(first.BoundPort()),
              "Cannot listen on port " + held + ": Address already in use\nClose what uses port " +
                  held + ", or let the other player be the server");

    int lowest = 1024;  // ports from here on need no privilege
    std::ifstream("/proc/sys/net/ipv4/ip_unprivileged_port_start") >> lowest;
    if (lowest <= 1001) GTEST_SKIP() << "this machine lets every user listen on port 1001";
    EXPECT_EQ(ListenErrorAsNormalUser(1001),
              "Cannot listen on port 1001: Permission denied\nLet the other player be the server, "
              "or see: man kanaburst");
}

}  // namespace
}  // namespace kb::test
