#include "replay/replay_link.h"

#include <zlib.h>

#include "replay/replay.h"

namespace kb {

namespace {

// zlib's raw deflate: no header or check of its own, the fewest bytes.
constexpr int kRawDeflate = -15;

Bytef* In(std::string_view bytes) {
    return reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
}

}  // namespace

std::string PackForLink(std::string_view text) {
    z_stream z{};
    if (deflateInit2(&z, 9, Z_DEFLATED, kRawDeflate, 9, Z_DEFAULT_STRATEGY) != Z_OK) return {};
    std::string out(deflateBound(&z, static_cast<uLong>(text.size())), '\0');
    z.next_in = In(text);
    z.avail_in = static_cast<uInt>(text.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    const int done = deflate(&z, Z_FINISH);
    out.resize(z.total_out);
    deflateEnd(&z);
    if (done != Z_STREAM_END || out.size() > kReplayLinkMaxBytes) return {};
    return out;
}

bool UnpackLink(std::string_view packed, std::string& text, std::string& why) {
    text.clear();
    if (packed.size() > kReplayLinkMaxBytes) {
        why = "the link is longer than a replay link can be (" +
              std::to_string(kReplayLinkMaxChars) + " characters)";
        return false;
    }
    z_stream z{};
    if (inflateInit2(&z, kRawDeflate) != Z_OK) {
        why = "the link cannot be unpacked here";
        return false;
    }
    // One byte more than a replay may hold, to tell a replay that is too large.
    text.assign(kReplayMaxBytes + 1, '\0');
    z.next_in = In(packed);
    z.avail_in = static_cast<uInt>(packed.size());
    z.next_out = reinterpret_cast<Bytef*>(text.data());
    z.avail_out = static_cast<uInt>(text.size());
    const int done = inflate(&z, Z_FINISH);
    text.resize(z.total_out);
    const bool rest = z.avail_in > 0;
    inflateEnd(&z);
    if (text.size() > kReplayMaxBytes) {
        why = "the link's replay is larger than a replay can be";
    } else if (done == Z_DATA_ERROR) {
        why = "the link is damaged: it holds no replay";
    } else if (done != Z_STREAM_END) {
        why = "the link is cut short: copy all of it";
    } else if (rest) {
        why = "the link is damaged: it goes on after its replay";
    } else {
        return true;
    }
    text.clear();
    return false;
}

}  // namespace kb
