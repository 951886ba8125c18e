#pragma once
// A room's host played by hand: the room protocol written again from its description, straight
// on libsodium and a plain MQTT client, so that the game is checked against the format and not
// against its own code.
#include <sodium.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "net/relay_broker.h"

namespace kb::test {

using Key = std::array<unsigned char, 32>;

inline std::string Bytes(const Key& key) {
    return std::string(reinterpret_cast<const char*>(key.data()), key.size());
}

// The room code a host key stands for: Argon2id, one pass over 8 MiB, the salt
// "kanaburst room 1"; the first 8 bytes, little-endian, modulo 10^12, in twelve digits.
inline std::string Fingerprint(const Key& key) {
    if (sodium_init() < 0) return "";
    unsigned char hash[16];
    if (crypto_pwhash_argon2id(hash, sizeof hash, reinterpret_cast<const char*>(key.data()),
                               key.size(),
                               reinterpret_cast<const unsigned char*>("kanaburst room 1"), 1,
                               8u << 20, crypto_pwhash_argon2id_ALG_ARGON2ID13) != 0)
        return "";
    unsigned long long n = 0;
    for (int i = 7; i >= 0; --i) n = n << 8 | hash[i];
    char code[16];
    std::snprintf(code, sizeof code, "%012llu", n % 1000000000000ULL);
    return code;
}

inline std::string Hex(std::string_view bytes) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string hex;
    for (unsigned char c : bytes) {
        hex += kHex[c >> 4];
        hex += kHex[c & 15];
    }
    return hex;
}

// One direction of a channel: a key and the count of frames so far.
struct Direction {
    Key key{};
    uint64_t count = 0;
    std::array<unsigned char, 24> Nonce() const {
        std::array<unsigned char, 24> nonce{};
        for (int i = 0; i < 8; ++i) nonce[i] = static_cast<unsigned char>(count >> (8 * i));
        return nonce;
    }
    std::string Seal(char kind, const std::string& body) {
        const std::string plain = kind + body;
        std::string frame(16 + plain.size(), '\0');
        crypto_secretbox_easy(reinterpret_cast<unsigned char*>(frame.data()),
                              reinterpret_cast<const unsigned char*>(plain.data()), plain.size(),
                              Nonce().data(), key.data());
        ++count;
        return frame;
    }
    std::optional<std::string> Open(const std::string& frame) {
        if (frame.size() <= 16) return std::nullopt;
        std::string plain(frame.size() - 16, '\0');
        if (crypto_secretbox_open_easy(reinterpret_cast<unsigned char*>(plain.data()),
                                       reinterpret_cast<const unsigned char*>(frame.data()),
                                       frame.size(), Nonce().data(), key.data()) != 0)
            return std::nullopt;
        ++count;
        return plain;
    }
};

// A host: a key pair, the room it stands for (or, played by a stranger, another room's code),
// its client id (its inbox), and the guest it took.
class HandHost {
  public:
    explicit HandHost(const Broker& broker, const std::string& code = "") {
        if (sodium_init() < 0) return;
        crypto_kx_keypair(pub_.data(), secret_.data());
        code_ = code.empty() ? Fingerprint(pub_) : code;
        char id[16];
        randombytes_buf(id, sizeof id);
        id_ = Hex(std::string_view(id, sizeof id));
        mqtt_.emplace(broker, code_.c_str(), id_);
        mqtt_->Subscribe("kb/" + code_ + "/knock/+");
        mqtt_->Subscribe("kb/" + code_ + "/in/" + id_ + "/+");
        mqtt_->Publish("kb/" + code_ + "/room", "kb1" + Bytes(pub_), true);
    }
    const std::string& Code() const { return code_; }
    RawMqtt& Mqtt() { return *mqtt_; }
    // The seat of the first knock that opens, once one has come: its channel is made and its
    // inbox known.
    std::optional<std::string> Knocked() {
        for (const RawMqtt::Message& m : mqtt_->Got()) {
            const std::string prefix = "kb/" + code_ + "/knock/";
            if (!m.topic.starts_with(prefix) || m.payload.size() <= 32) continue;
            Key guest;
            std::copy(m.payload.begin(), m.payload.begin() + 32, guest.begin());
            Direction in, out;
            if (crypto_kx_server_session_keys(in.key.data(), out.key.data(), pub_.data(),
                                              secret_.data(), guest.data()) != 0)
                continue;
            const std::optional<std::string> inbox = in.Open(m.payload.substr(32));
            if (!inbox || (*inbox)[0] != 'i') continue;
            in_ = in;
            out_ = out;
            seat_ = m.topic.substr(prefix.size());
            guestId_ = inbox->substr(1);
            return seat_;
        }
        return std::nullopt;
    }
    // A frame to the guest; Take sends the one that takes its knock, with our inbox.
    void Send(char kind, const std::string& body = "") {
        mqtt_->Publish("kb/" + code_ + "/in/" + guestId_ + "/host", out_.Seal(kind, body));
    }
    void Take() { Send('a', id_); }
    // The guest's frames opened so far, in order (kind byte and body).
    std::vector<std::string> Received() {
        const auto got = mqtt_->Got();
        for (; read_ < got.size(); ++read_)
            if (got[read_].topic == "kb/" + code_ + "/in/" + id_ + "/" + seat_)
                if (auto plain = in_.Open(got[read_].payload)) opened_.push_back(*plain);
        return opened_;
    }

  private:
    Key pub_{}, secret_{};
    std::string code_, id_, seat_, guestId_;
    std::optional<RawMqtt> mqtt_;
    Direction in_, out_;
    size_t read_ = 0;
    std::vector<std::string> opened_;
};

}  // namespace kb::test
