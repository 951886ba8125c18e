#include "platform/posix/socket_watcher.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace kb {

SocketWatcher::SocketWatcher(std::function<void()> wake) : wake_(std::move(wake)) {
    int ends[2];
    if (pipe2(ends, O_NONBLOCK | O_CLOEXEC) == 0) {
        interruptRead_ = ends[0];
        interruptWrite_ = ends[1];
    }
    thread_ = std::thread([this] { Run(); });
}

SocketWatcher::~SocketWatcher() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    changed_.notify_one();
    Interrupt();
    thread_.join();
    close(interruptRead_);
    close(interruptWrite_);
}

void SocketWatcher::Watch(const std::vector<SocketReadiness>& set) {
    std::vector<Entry> entries;
    for (const SocketReadiness& r : set)
        if (r.fd >= 0 && r.events != 0) entries.push_back({r.fd, r.events});
    bool polling = false;
    {
        std::lock_guard lock(mutex_);
        if (armed_ && entries == set_) return;  // already watching exactly these
        polling = armed_;
        set_ = std::move(entries);
        armed_ = !set_.empty();
        ++version_;
    }
    if (polling)
        Interrupt();  // the thread sits in poll() on the old set
    else
        changed_.notify_one();
}

void SocketWatcher::Interrupt() {
    const char byte = 1;
    if (write(interruptWrite_, &byte, 1) < 0) {
        // Full: a byte is already waiting, which breaks the poll just as well.
    }
}

void SocketWatcher::Run() {
    std::vector<pollfd> fds;
    for (;;) {
        unsigned version = 0;
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [this] { return stop_ || armed_; });
            if (stop_) return;
            version = version_;
            fds.clear();
            for (const Entry& e : set_) fds.push_back({e.fd, e.events, 0});
        }
        fds.push_back({interruptRead_, POLLIN, 0});
        if (poll(fds.data(), fds.size(), -1) < 0) continue;  // EINTR: poll again
        if (fds.back().revents != 0) {
            char drained[64];
            while (read(interruptRead_, drained, sizeof drained) > 0) {
            }
            continue;  // a new set, or the end
        }
        {
            std::lock_guard lock(mutex_);
            if (version != version_) continue;
            armed_ = false;
        }
        wake_();
    }
}

}  // namespace kb
