// The loop's sleep on descriptors: a descriptor given while the watcher already polls others
// is watched at once, every documented way of withdrawing works, and the watcher can be
// destroyed while it polls.
#include "platform/tcp/socket_watcher.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace kb {
namespace {

using namespace std::chrono_literals;

// A pipe: its read end becomes readable when a byte is written.
struct Pipe {
    Pipe() { EXPECT_EQ(pipe2(ends, O_CLOEXEC | O_NONBLOCK), 0); }
    ~Pipe() {
        close(ends[0]);
        close(ends[1]);
    }
    int Read() const { return ends[0]; }
    void Fill() const { EXPECT_EQ(write(ends[1], "x", 1), 1); }
    void Drain() const {
        char c;
        while (read(ends[0], &c, 1) > 0) {
        }
    }
    int ends[2] = {-1, -1};
};

bool Within(std::chrono::milliseconds limit, const std::atomic<int>& count) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (count == 0 && std::chrono::steady_clock::now() < end) std::this_thread::sleep_for(1ms);
    return count > 0;
}

TEST(SocketWatcher, NewDescriptorIsWatchedWhileTheThreadPollsOthers) {
    Pipe quiet, busy;
    std::atomic<int> quietWakes = 0, busyWakes = 0;
    SocketWatcher watcher;
    const int a = 0, b = 0;
    watcher.Watch(&a, quiet.Read(), POLLIN, [&] { ++quietWakes; });
    std::this_thread::sleep_for(20ms);  // the thread is in poll() on the quiet pipe
    busy.Fill();
    watcher.Watch(&b, busy.Read(), POLLIN, [&] { ++busyWakes; });
    EXPECT_TRUE(Within(5000ms, busyWakes));
    EXPECT_EQ(quietWakes, 0);
    busy.Drain();
    watcher.Watch(&a, quiet.Read(), POLLIN, [&] { ++quietWakes; });
    std::this_thread::sleep_for(20ms);
}  // destroyed while polling: must return

TEST(SocketWatcher, EveryWayOfWithdrawingStopsTheWake) {
    const struct {
        const char* what;
        bool keepFd, keepEvents, keepWake;
    } rows[] = {
        {"descriptor -1", false, true, true},
        {"no events", true, false, true},
        {"an empty wake", true, true, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        Pipe pipe;
        std::atomic<int> wakes = 0;
        SocketWatcher watcher;
        const int owner = 0;
        watcher.Watch(&owner, pipe.Read(), POLLIN, [&] { ++wakes; });
        watcher.Watch(&owner, row.keepFd ? pipe.Read() : -1, row.keepEvents ? POLLIN : 0,
                      row.keepWake ? Waker([&] { ++wakes; }) : Waker());
        pipe.Fill();
        EXPECT_FALSE(Within(100ms, wakes));
    }
}

}  // namespace
}  // namespace kb
