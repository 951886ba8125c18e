#include "platform/tcp/socket_watcher.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <vector>

namespace kb {

SocketWatcher::~SocketWatcher() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    if (!thread_.joinable()) return;
    changed_.notify_one();
    Interrupt();
    thread_.join();
    close(interruptRead_);
    close(interruptWrite_);
}

void SocketWatcher::Watch(const void* owner, int fd, short events, const Waker& wake) {
    const bool watch = fd >= 0 && events != 0 && wake;
    bool polling = false;
    {
        std::lock_guard lock(mutex_);
        const auto found = set_.find(owner);
        if (!watch) {
            if (found == set_.end()) return;
            set_.erase(found);
        } else {
            const bool same =
                found != set_.end() && found->second.fd == fd && found->second.events == events;
            if (same && armed_) return;  // already watching exactly this
            set_[owner] = Entry{fd, events, wake};
        }
        polling = armed_;
        armed_ = !set_.empty();
        ++version_;
        if (armed_ && !thread_.joinable()) {
            int ends[2];
            if (pipe2(ends, O_NONBLOCK | O_CLOEXEC) != 0) return;
            interruptRead_ = ends[0];
            interruptWrite_ = ends[1];
            thread_ = std::thread([this] { Run(); });
        }
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
    std::vector<const void*> owners;
    for (;;) {
        unsigned version = 0;
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [this] { return stop_ || armed_; });
            if (stop_) return;
            version = version_;
            fds.clear();
            owners.clear();
            for (const auto& [owner, e] : set_) {
                fds.push_back({e.fd, e.events, 0});
                owners.push_back(owner);
            }
        }
        fds.push_back({interruptRead_, POLLIN, 0});
        if (poll(fds.data(), fds.size(), -1) < 0) continue;  // EINTR: poll again
        if (fds.back().revents != 0) {
            char drained[64];
            while (read(interruptRead_, drained, sizeof drained) > 0) {
            }
            continue;  // a new set, or the end
        }
        // The wake is called under the lock, so that an owner withdrawing its entry knows that
        // its wake is not running and never will.
        std::lock_guard lock(mutex_);
        if (version != version_) continue;
        armed_ = false;
        for (size_t i = 0; i + 1 < fds.size(); ++i) {
            if (fds[i].revents == 0) continue;
            set_.at(owners[i]).wake();
            break;
        }
    }
}

}  // namespace kb
