#pragma once
// Sleeps on descriptors for the loop: a helper thread waits with poll() until one of the
// watched descriptors is ready, calls that one's wake once and then waits to be given the next
// set. The loop wakes the moment a peer's bytes, a connection or a finished send are due, and
// an idle game costs nothing: the thread starts with the first descriptor it is given, and
// nothing is polled while none is watched.
#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>

#include "platform/socket_control.h"

namespace kb {

class SocketWatcher {
  public:
    SocketWatcher() = default;
    // Stops the thread; no wake is called after.
    ~SocketWatcher();
    SocketWatcher(const SocketWatcher&) = delete;
    SocketWatcher& operator=(const SocketWatcher&) = delete;

    // What `owner` waits for: descriptor fd becoming ready for the poll() events given, upon
    // which wake is called once (from the watcher's thread) and every owner must ask again.
    // fd -1, no events or an empty wake withdraw the owner's entry; once that call returns,
    // its old wake is never called.
    void Watch(const void* owner, int fd, short events, const Waker& wake);

  private:
    struct Entry {
        int fd;
        short events;
        Waker wake;
    };
    // The watcher's thread: polls the set given and calls the wake of the first ready owner.
    void Run();
    // Breaks the thread's poll, so that it takes the new set.
    void Interrupt();

    std::mutex mutex_;
    std::condition_variable changed_;
    std::map<const void*, Entry> set_;
    bool armed_ = false;  // the thread is to poll set_ and wake once
    bool stop_ = false;
    unsigned version_ = 0;  // changes with every new set, so a stale poll never wakes
    // A pipe whose byte breaks the thread's poll when the set changes (a pipe, not an eventfd,
    // which not every platform has).
    int interruptRead_ = -1, interruptWrite_ = -1;
    std::thread thread_;
};

}  // namespace kb
