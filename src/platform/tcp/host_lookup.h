#pragma once
// A host name looked up on a helper thread, so that connecting never holds up a frame. The
// thread keeps its own share of the result, so a caller that gives up meanwhile leaves it
// nothing freed to write into; `ReadyFd` becomes readable when the answer is in, so that a
// loop sleeping on it wakes for it.
#include <sys/socket.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kb {

class HostLookup {
  public:
    struct Address {
        sockaddr_storage addr;
        socklen_t len;
    };
    struct Answer {
        std::vector<Address> addresses;  // none when the name was not found
        std::string error;               // why not
    };

    // Starts looking host up (its addresses for port) on a helper thread.
    HostLookup(const std::string& host, int port);
    // The answer once it is in; nothing while the thread is still asking.
    std::optional<Answer> Take();
    // A descriptor that becomes readable once the answer is in.
    int ReadyFd() const;

  private:
    struct Shared;
    std::shared_ptr<Shared> shared_;
};

// An address as numeric text, for libraries that want a host name and must not look one up.
std::string NumericHost(const HostLookup::Address& a);

}  // namespace kb
