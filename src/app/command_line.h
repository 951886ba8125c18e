#pragma once
// What every program answers on its command line, as Debian's command-line programs do: --help
// and --version on stdout with exit status 0, and one usage line on stderr with status 2 for a
// command line it cannot take.
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace kb {

// The exit status of a command line the program cannot take.
inline constexpr int kBadUsage = 2;

// For "--help" prints what HELP gives and for "--version" "NAME VERSION" (the build's project
// version), both to stdout, and gives exit status 0; none for any other argument.
std::optional<int> AnswerInfoOption(std::string_view arg, std::string_view name,
                                    const std::function<std::string()>& help);

// Prints USAGE, one line, to stderr and gives kBadUsage.
int BadUsage(std::string_view usage);

// The name a room is listed under, from --host-public's argument; when it would show nothing,
// prints so to stderr as PROGRAM and gives none.
std::optional<std::string> PublicRoomName(std::string_view program, std::string name);

// The directory the running program lies in (links resolved), or ARGV0's when the system cannot
// say; "." when neither names one.
std::string ExecutableDir(const char* argv0);

}  // namespace kb
