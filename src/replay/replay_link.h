#pragma once
// A replay carried in a link (?replay=...): its text deflated (raw deflate, zlib's), the page
// writing those bytes in base64url. The link's length has a cap, so that a link stays one that
// chat programs and servers pass on whole; a longer replay is shared as a file.
#include <cstddef>
#include <string>
#include <string_view>

namespace kb {

// The most characters of replay a link carries (base64url of the deflated text): about ten
// minutes of a match typed throughout; a request line with it stays under the 8 KB servers take.
inline constexpr size_t kReplayLinkMaxChars = 4000;
// The most deflated bytes such a link holds.
inline constexpr size_t kReplayLinkMaxBytes = kReplayLinkMaxChars / 4 * 3;

// The replay's text deflated for a link; empty when the link would be longer than the cap.
std::string PackForLink(std::string_view text);
// The text a link's deflated bytes hold: false, with the reason for the player, when they are
// more than a link holds, are not raw deflate, are cut short, or would be larger than a replay.
bool UnpackLink(std::string_view packed, std::string& text, std::string& why);

}  // namespace kb
