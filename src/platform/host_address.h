#pragma once
// Whether what a player typed (trimmed, brackets around an IPv6 address taken off) can name a
// host: a host name, an IPv4 address or an IPv6 address. A host name's last label holds a
// letter, as every top-level domain does, so that a room code (digits, blanks and hyphens) is
// never one and the ways to meet by host never take it.
#include <string_view>

namespace kb {

// True for "example.org", "my-pc", "192.168.1.5", "::1", "fe80::1%eth0"; false for a room code
// and for anything else no host can be called.
bool IsHostAddress(std::string_view address);

}  // namespace kb
