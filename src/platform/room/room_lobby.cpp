#include "platform/room/room_lobby.h"

#include <algorithm>
#include <chrono>
#include <utility>

#include "platform/room/room_code.h"
#include "platform/room/room_crypto.h"
#include "text/ustr.h"

namespace kb {

namespace {

constexpr std::string_view kListingTopic = "lobby/";
constexpr std::string_view kListingVersion = "kb1";
constexpr int64_t kGatherMs = 1500;  // a room answers within a second of an ask
constexpr size_t kMostRooms = 64;    // a lobby flooded with listings shows this many
constexpr size_t kLongestListing = 512;
constexpr int kLongestWait = 24 * 3600;  // seconds; a claim beyond this is taken as this

bool Blank(char32_t c) {
    return c == u' ' || c == u'\t' || c == u'\u00A0' || c == u'\u3000' ||
           (c >= u'\u2000' && c <= u'\u200A');
}

// Characters a listing never shows: controls, the ones that change the text's direction or
// join or hide others, and the replacement for bytes that were no UTF-8.
bool Hidden(char32_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0xAD || (c >= 0x200B && c <= 0x200F) ||
           (c >= 0x2028 && c <= 0x202E) || (c >= 0x2060 && c <= 0x206F) || c == 0xFEFF ||
           (c >= 0xFFF9 && c <= 0xFFFD) || c == 0xFFFE || c == 0xFFFF ||
           (c >= 0xE0000 && c <= 0xE007F);
}

// The code a listing topic names; empty for any other topic.
std::string CodeInTopic(std::string_view topic) {
    if (!topic.starts_with(kListingTopic)) return "";
    const std::string_view code = topic.substr(kListingTopic.size());
    if (code.size() != kRoomCodeDigits) return "";
    return std::all_of(code.begin(), code.end(), [](char c) { return c >= '0' && c <= '9'; })
               ? std::string(code)
               : "";
}

}  // namespace

int64_t SteadyMilliseconds() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

std::string ListableText(std::string_view text, size_t chars) {
    const std::u16string wide = FromUtf8(text);
    std::u16string out;
    size_t count = 0;
    bool blank = false;
    for (size_t i = 0, units = 1; i < wide.size() && count < chars; i += units) {
        // FromUtf8 writes surrogates in pairs only.
        char32_t c = wide[i];
        units = c >= 0xD800 && c <= 0xDBFF ? 2 : 1;
        if (units == 2) c = 0x10000 + ((c - 0xD800) << 10) + (wide[i + 1] - 0xDC00);
        if (Blank(c)) {
            blank = !out.empty();
        } else if (!Hidden(c)) {
            if (blank) {
                if (count + 2 > chars) break;  // no blank at the end
                out += u' ';
                ++count;
                blank = false;
            }
            out.append(wide, i, units);
            ++count;
        }
    }
    return ToUtf8(out);
}

std::string WaitedText(int seconds) {
    const auto two = [](int n) { return std::string(n < 10 ? "0" : "") + std::to_string(n); };
    const int h = seconds / 3600, m = seconds / 60 % 60, s = seconds % 60;
    return h > 0 ? std::to_string(h) + ":" + two(m) + ":" + two(s)
                 : std::to_string(m) + ":" + two(s);
}

std::string ListingTopic(const std::string& code) {
    return std::string(kListingTopic) + code;
}

std::string ListingPayload(int waitedSeconds, const RoomListing& listing) {
    return std::string(kListingVersion) + "\n" + std::to_string(std::max(0, waitedSeconds)) + "\n" +
           ListableText(listing.name) + "\n" + ListableText(listing.words);
}

std::optional<LobbyEntry> ReadListing(std::string_view topic, std::string_view payload) {
    LobbyEntry entry;
    entry.code = CodeInTopic(topic);
    if (entry.code.empty() || payload.size() > kLongestListing) return std::nullopt;
    std::vector<std::string_view> fields;
    for (size_t start = 0;;) {
        const size_t end = payload.find('\n', start);
        fields.push_back(payload.substr(start, end - start));
        if (end == std::string_view::npos) break;
        start = end + 1;
    }
    if (fields.size() != 4 || fields[0] != kListingVersion || fields[1].empty() ||
        fields[1].size() > 9)
        return std::nullopt;
    for (char c : fields[1]) {
        if (c < '0' || c > '9') return std::nullopt;
        entry.waited = std::min(kLongestWait, entry.waited * 10 + (c - '0'));
    }
    entry.name = ListableText(fields[2]);
    entry.words = ListableText(fields[3]);
    if (entry.name.empty()) entry.name = "?";
    return entry;
}

LobbyQuery::LobbyQuery(std::unique_ptr<MqttLink> link, RoomClock now)
    : link_(std::move(link)), now_(std::move(now)) {
    // The lobby's own user name: not a code, so it reads no room.
    link_->Open("lobby", NewClientId(), "", false);
    link_->Subscribe(std::string(kListingTopic) + "+");
    link_->Publish(std::string(kLobbyAsk), "", false);
}

LobbyQuery::~LobbyQuery() {
    link_->Close();
}

void LobbyQuery::Pump() {
    std::vector<MqttLink::Message> in;
    link_->Poll(in);
    if (!until_ && link_->LinkState() == MqttLink::State::kUp) until_ = now_() + kGatherMs;
    for (const MqttLink::Message& m : in) {
        const std::string code = CodeInTopic(m.topic);
        if (code.empty()) continue;
        const auto found = seen_.find(code);
        if (m.payload.empty()) {
            if (found != seen_.end()) found->second.doubtful = true;
            continue;
        }
        const std::optional<LobbyEntry> entry = ReadListing(m.topic, m.payload);
        if (!entry) continue;
        if (found == seen_.end()) {
            if (seen_.size() < kMostRooms) seen_.emplace(code, Seen{*entry});
        } else if (found->second.entry.name != entry->name ||
                   found->second.entry.words != entry->words) {
            found->second.doubtful = true;
        } else {
            found->second.entry.waited = std::max(found->second.entry.waited, entry->waited);
        }
    }
}

bool LobbyQuery::Done() const {
    return link_->LinkState() == MqttLink::State::kDown || (until_ && now_() >= *until_);
}

std::string LobbyQuery::Problem() const {
    return link_->LinkState() == MqttLink::State::kDown ? link_->Why() : "";
}

std::vector<LobbyEntry> LobbyQuery::Rooms() const {
    std::vector<LobbyEntry> rooms;
    for (const auto& [code, seen] : seen_)
        if (!seen.doubtful) rooms.push_back(seen.entry);
    std::stable_sort(rooms.begin(), rooms.end(),
                     [](const LobbyEntry& a, const LobbyEntry& b) { return a.waited > b.waited; });
    return rooms;
}

void LobbyQuery::WakeWhenDue(const Waker& wake) {
    link_->WakeWhenDue(wake);
}

}  // namespace kb
