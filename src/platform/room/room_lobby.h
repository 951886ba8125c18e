#pragma once
// The lobby: where a host that chose to be listed says it is waiting, and where a player who
// wants any opponent finds one. Private rooms (the default) never appear here.
//
// On the first relay a game knows (MqttLinkMaker::NewLink with no code):
//   lobby/ask    anyone asks: the listed rooms answer (empty payload)
//   lobby/CODE   a listed room's answer, "kb1\nSECONDS\nNAME\nWORDS": seconds it has waited,
//                the host's chosen name and the word list's name, each at most 24 characters
//                of printable text; empty when the room stops waiting (also the will of the
//                host's lobby link)
// The broker lets anyone read the lobby and ask, and writes to lobby/CODE only to a client of
// that room (user name CODE). A room answers at most once a second, however often it is asked.
// What a listing says is a claim: a player who follows it checks the host's key against the
// code (room_crypto.h), so a false listing leads nowhere but to a room that is not there.
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/room/mqtt_link.h"

namespace kb {

// Milliseconds of a steady clock.
using RoomClock = std::function<int64_t()>;
// The machine's steady clock, in milliseconds.
int64_t SteadyMilliseconds();

inline constexpr std::string_view kLobbyAsk = "lobby/ask";
inline constexpr size_t kListedNameChars = 24;

// How a host lists its room.
struct RoomListing {
    std::string name;   // the host's chosen name
    std::string words;  // the word list's name
};

// One room waiting in the lobby.
struct LobbyEntry {
    std::string code;  // twelve digits
    int waited = 0;    // seconds, as the host says
    std::string name, words;
};

// The text as a listing shows it: printable characters only (no control, format or
// direction-changing ones, nothing that is no UTF-8), blanks run together, at most `chars`
// characters. Empty when nothing printable is left.
std::string ListableText(std::string_view text, size_t chars = kListedNameChars);
// How long a room has waited, as a player reads it: "0:42", "12:05", "1:02:10".
std::string WaitedText(int seconds);
// Where a room answers in the lobby.
std::string ListingTopic(const std::string& code);
// A room's answer: how long it has waited and its listing (cleaned).
std::string ListingPayload(int waitedSeconds, const RoomListing& listing);
// A listing read from the lobby: none unless its topic names a room by code and its payload
// is a listing; its names cleaned.
std::optional<LobbyEntry> ReadListing(std::string_view topic, std::string_view payload);

// One look at the lobby: asks once, gathers the answers for a second and a half after the link
// is up, then holds the rooms found.
class LobbyQuery {
  public:
    LobbyQuery(std::unique_ptr<MqttLink> link, RoomClock now);
    ~LobbyQuery();
    LobbyQuery(const LobbyQuery&) = delete;
    LobbyQuery& operator=(const LobbyQuery&) = delete;

    // Runs the link and gathers what came in.
    void Pump();
    // Whether the look is over: the time is up, or the link went down.
    bool Done() const;
    // Why the link went down; empty while it is up.
    std::string Problem() const;
    // The rooms found, longest waiting first. A room that gave two different listings (someone
    // else answering in its name) is left out, as is one that said it stopped waiting.
    std::vector<LobbyEntry> Rooms() const;
    // Wakes the loop when the link has something.
    void WakeWhenDue(const Waker& wake);

  private:
    std::unique_ptr<MqttLink> link_;
    RoomClock now_;
    std::optional<int64_t> until_;  // when the gathering ends, once the link is up
    struct Seen {
        LobbyEntry entry;
        bool doubtful = false;  // two different listings, or a withdrawal
    };
    std::map<std::string, Seen> seen_;
};

}  // namespace kb
