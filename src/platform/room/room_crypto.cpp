#include "platform/room/room_crypto.h"

#include <sodium.h>

#include <cstring>

#include "platform/room/room_code.h"

namespace kb {

namespace {

static_assert(crypto_kx_PUBLICKEYBYTES == 32 && crypto_kx_SECRETKEYBYTES == 32);
static_assert(crypto_kx_SESSIONKEYBYTES == crypto_secretbox_KEYBYTES);

// The fingerprint's cost: one pass over 8 MiB takes a desktop some 10 to 25 ms, once for the
// host and once for a guest. A fuzzing build explores the messages, not the hash: there it is
// the cheapest Argon2id there is.
#ifdef FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION
constexpr unsigned long long kFingerprintPasses = crypto_pwhash_argon2id_OPSLIMIT_MIN;
constexpr size_t kFingerprintMemory = crypto_pwhash_argon2id_MEMLIMIT_MIN;
#else
constexpr unsigned long long kFingerprintPasses = 1;
constexpr size_t kFingerprintMemory = 8u << 20;
#endif
constexpr char kFingerprintSalt[] = "kanaburst room 1";
static_assert(sizeof kFingerprintSalt - 1 == crypto_pwhash_argon2id_SALTBYTES);

bool Started() {
    static const bool started = sodium_init() >= 0;
    return started;
}

// Frame number n's nonce.
std::array<unsigned char, crypto_secretbox_NONCEBYTES> Nonce(uint64_t n) {
    std::array<unsigned char, crypto_secretbox_NONCEBYTES> nonce{};
    for (int i = 0; i < 8; ++i) nonce[i] = static_cast<unsigned char>(n >> (8 * i));
    return nonce;
}

std::string Hex(const unsigned char* bytes, size_t n) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string hex;
    for (size_t i = 0; i < n; ++i) {
        hex += kHex[bytes[i] >> 4];
        hex += kHex[bytes[i] & 15];
    }
    return hex;
}

}  // namespace

RoomKeyPair::~RoomKeyPair() {
    sodium_memzero(secret.data(), secret.size());
}

std::optional<RoomKeyPair> NewRoomKeyPair() {
    if (!Started()) return std::nullopt;
    RoomKeyPair keys;
    crypto_kx_keypair(keys.pub.data(), keys.secret.data());
    return keys;
}

std::string RoomCodeOf(const RoomKey& hostKey) {
    if (!Started()) return "";
    unsigned char hash[crypto_pwhash_argon2id_BYTES_MIN];
    if (crypto_pwhash_argon2id(
            hash, sizeof hash, reinterpret_cast<const char*>(hostKey.data()), hostKey.size(),
            reinterpret_cast<const unsigned char*>(kFingerprintSalt), kFingerprintPasses,
            kFingerprintMemory, crypto_pwhash_argon2id_ALG_ARGON2ID13) != 0)
        return "";
    uint64_t n = 0;
    for (int i = 7; i >= 0; --i) n = n << 8 | hash[i];
    n %= 1'000'000'000'000ULL;
    std::string code(kRoomCodeDigits, '0');
    for (size_t i = kRoomCodeDigits; i-- > 0; n /= 10) code[i] = static_cast<char>('0' + n % 10);
    return code;
}

std::string KeyBytes(const RoomKey& key) {
    return std::string(reinterpret_cast<const char*>(key.data()), key.size());
}

std::optional<RoomKey> KeyFrom(std::string_view bytes) {
    RoomKey key;
    if (bytes.size() != key.size()) return std::nullopt;
    std::memcpy(key.data(), bytes.data(), key.size());
    return key;
}

std::string NewClientId() {
    unsigned char bytes[16];
    Started();  // the generator starts itself if the library cannot
    randombytes_buf(bytes, sizeof bytes);
    return Hex(bytes, sizeof bytes);
}

bool IsClientId(std::string_view text) {
    return text.size() == 32 && text.find_first_not_of("0123456789abcdef") == std::string::npos;
}

std::string SeatOf(const RoomKey& guestKey) {
    return Hex(guestKey.data(), 8);
}

std::optional<RoomChannel> RoomChannel::ForGuest(const RoomKeyPair& guest, const RoomKey& host) {
    return Agreed(crypto_kx_client_session_keys, guest, host);
}

std::optional<RoomChannel> RoomChannel::ForHost(const RoomKeyPair& host, const RoomKey& guest) {
    return Agreed(crypto_kx_server_session_keys, host, guest);
}

std::optional<RoomChannel> RoomChannel::Agreed(SessionKeys keys, const RoomKeyPair& mine,
                                               const RoomKey& theirs) {
    RoomChannel c;
    if (!Started() ||
        keys(c.rx_.data(), c.tx_.data(), mine.pub.data(), mine.secret.data(), theirs.data()) != 0)
        return std::nullopt;
    return c;
}

RoomChannel::~RoomChannel() {
    sodium_memzero(rx_.data(), rx_.size());
    sodium_memzero(tx_.data(), tx_.size());
}

std::string RoomChannel::Seal(char kind, std::string_view body) {
    std::string plain(1, kind);
    plain += body;
    std::string frame(crypto_secretbox_MACBYTES + plain.size(), '\0');
    crypto_secretbox_easy(reinterpret_cast<unsigned char*>(frame.data()),
                          reinterpret_cast<const unsigned char*>(plain.data()), plain.size(),
                          Nonce(sent_++).data(), tx_.data());
    return frame;
}

std::optional<std::string> RoomChannel::Open(std::string_view frame) {
    if (frame.size() <= crypto_secretbox_MACBYTES) return std::nullopt;
    std::string plain(frame.size() - crypto_secretbox_MACBYTES, '\0');
    if (crypto_secretbox_open_easy(reinterpret_cast<unsigned char*>(plain.data()),
                                   reinterpret_cast<const unsigned char*>(frame.data()),
                                   frame.size(), Nonce(opened_).data(), rx_.data()) != 0)
        return std::nullopt;
    ++opened_;
    return plain;
}

}  // namespace kb
