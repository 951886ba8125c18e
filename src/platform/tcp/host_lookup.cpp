#include "platform/tcp/host_lookup.h"

#include <netdb.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cstring>
#include <mutex>
#include <thread>

namespace kb {

struct HostLookup::Shared {
    Shared() : ready(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}
    ~Shared() {
        if (ready >= 0) close(ready);
    }
    Shared(const Shared&) = delete;
    Shared& operator=(const Shared&) = delete;

    std::mutex mutex;
    std::optional<Answer> answer;
    const int ready;
};

HostLookup::HostLookup(const std::string& host, int port) : shared_(std::make_shared<Shared>()) {
    std::thread([shared = shared_, host, port = std::to_string(port)] {
        addrinfo hints{};
        hints.ai_family = AF_UNSPEC;
        hints.ai_socktype = SOCK_STREAM;
        addrinfo* found = nullptr;
        Answer answer;
        if (const int rc = getaddrinfo(host.c_str(), port.c_str(), &hints, &found); rc == 0) {
            for (addrinfo* a = found; a; a = a->ai_next) {
                Address address{};
                std::memcpy(&address.addr, a->ai_addr, a->ai_addrlen);
                address.len = a->ai_addrlen;
                answer.addresses.push_back(address);
            }
            freeaddrinfo(found);
        } else {
            answer.error = gai_strerror(rc);
        }
        std::lock_guard lock(shared->mutex);
        shared->answer = std::move(answer);
        if (shared->ready >= 0) eventfd_write(shared->ready, 1);
    }).detach();
}

std::optional<HostLookup::Answer> HostLookup::Take() {
    std::lock_guard lock(shared_->mutex);
    return std::move(shared_->answer);
}

int HostLookup::ReadyFd() const {
    return shared_->ready;
}

std::string NumericHost(const HostLookup::Address& a) {
    char text[NI_MAXHOST] = {};
    if (getnameinfo(reinterpret_cast<const sockaddr*>(&a.addr), a.len, text, sizeof text, nullptr,
                    0, NI_NUMERICHOST) != 0)
        return "";
    return text;
}

}  // namespace kb
