#pragma once
// The cryptography of rooms, all of it libsodium's, in primitives the page's libsodium has too.
//
// A host's room is its key pair (X25519, crypto_kx), and the room's code is that public key's
// fingerprint: Argon2id (crypto_pwhash: one pass over 8 MiB, the salt "kanaburst room 1") of
// the key, its first 8 bytes read as a little-endian number, modulo 10^12, as twelve digits. A
// guest takes as its host only a key whose fingerprint is the code it was given; a stranger who
// has the code would need some 10^12 Argon2 runs to find a key of its own that passes.
//
// Once a guest has knocked with its own key pair, the two agree on a pair of session keys
// (crypto_kx: the guest is the client, the host the server), one for each direction. Every
// frame is crypto_secretbox_easy (XSalsa20-Poly1305) of a kind byte and its body under the key
// of its direction; the nonce is the frame's number in that direction (0, 1, 2, ...) as 8
// little-endian bytes followed by 16 zero bytes. The number is not sent: a frame opens only as
// the next one expected, so a forged, replayed or reordered frame never opens.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kb {

// A public or secret X25519 key.
using RoomKey = std::array<unsigned char, 32>;

struct RoomKeyPair {
    RoomKey pub{}, secret{};
    ~RoomKeyPair();  // the secret key is wiped
};

// A new key pair from the system's secure source; none when the library cannot start.
std::optional<RoomKeyPair> NewRoomKeyPair();

// The code of the room whose host has this public key (twelve digits); empty when there is no
// memory for the hash.
std::string RoomCodeOf(const RoomKey& hostKey);

// The key's bytes as raw text, and back (none unless exactly 32 bytes).
std::string KeyBytes(const RoomKey& key);
std::optional<RoomKey> KeyFrom(std::string_view bytes);

// A client id for the relay: 32 random hex digits, never shown to anyone, so that no one can
// take the connection over by connecting with the same id.
std::string NewClientId();
// Whether the text is such a client id.
bool IsClientId(std::string_view text);

// A seat: how a guest is named in its room's topics, the first 8 bytes of its public key in
// hex. Nothing in a room names a client itself.
std::string SeatOf(const RoomKey& guestKey);

// One end of the secure channel between a room's host and one guest.
class RoomChannel {
  public:
    // The guest's end; none when the host's key is no usable key.
    static std::optional<RoomChannel> ForGuest(const RoomKeyPair& guest, const RoomKey& host);
    // The host's end with that guest; none when the guest's key is no usable key.
    static std::optional<RoomChannel> ForHost(const RoomKeyPair& host, const RoomKey& guest);
    ~RoomChannel();
    RoomChannel(const RoomChannel&) = default;
    RoomChannel& operator=(const RoomChannel&) = default;

    // The next frame to send: kind and body, sealed.
    std::string Seal(char kind, std::string_view body);
    // The next frame expected, opened: its kind byte and then its body. None for anything else
    // (forged, replayed, out of order), and the count of frames expected stays.
    std::optional<std::string> Open(std::string_view frame);

  private:
    // libsodium's crypto_kx_client_session_keys or crypto_kx_server_session_keys.
    using SessionKeys = int (*)(unsigned char*, unsigned char*, const unsigned char*,
                                const unsigned char*, const unsigned char*);
    // This end's channel, its keys agreed by that side's function; none when they cannot be.
    static std::optional<RoomChannel> Agreed(SessionKeys keys, const RoomKeyPair& mine,
                                             const RoomKey& theirs);
    RoomChannel() = default;
    RoomKey rx_{}, tx_{};
    uint64_t sent_ = 0, opened_ = 0;
};

}  // namespace kb
