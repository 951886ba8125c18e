#pragma once
// Sleeps on the sockets for the loop: a helper thread waits with poll() until one of the
// watched descriptors is ready, calls `wake` once and then waits to be given the next set.
// The loop wakes the moment a peer's bytes, a connection or a finished send are due, and an
// idle game costs nothing: nothing is polled while no socket is open.
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/socket_control.h"

struct pollfd;

namespace kb {

class SocketWatcher {
  public:
    // wake is called from the watcher's thread.
    explicit SocketWatcher(std::function<void()> wake);
    ~SocketWatcher();
    SocketWatcher(const SocketWatcher&) = delete;
    SocketWatcher& operator=(const SocketWatcher&) = delete;

    // Watches these (entries with fd -1 are left out) until one is ready. Called after each
    // round of the sockets' events, since a ready socket is watched again only from here.
    void Watch(const std::vector<SocketReadiness>& set);

  private:
    struct Entry {
        int fd;
        short events;
        bool operator==(const Entry&) const = default;
    };
    void Run();
    void Interrupt();

    std::function<void()> wake_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Entry> set_;
    bool armed_ = false;  // the thread is to poll set_ and wake once
    bool stop_ = false;
    unsigned version_ = 0;  // changes with every new set, so a stale poll never wakes
    // A pipe whose byte breaks the thread's poll when the set changes (a pipe, not an eventfd,
    // which not every platform has).
    int interruptRead_ = -1, interruptWrite_ = -1;
    std::thread thread_;
};

}  // namespace kb
