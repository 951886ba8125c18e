// The rooms' sealed frames: each opens once, in its turn, on the other end of its own channel
// and nowhere else, and no change to it goes unnoticed.
#include "platform/room/room_crypto.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace kb::test {
namespace {

struct Pair {
    RoomKeyPair host = *NewRoomKeyPair(), guest = *NewRoomKeyPair();
    RoomChannel hostEnd = *RoomChannel::ForHost(host, guest.pub);
    RoomChannel guestEnd = *RoomChannel::ForGuest(guest, host.pub);
};

TEST(RoomCrypto, FramesOpenOnceInTheirTurnAndOnlyAtTheOtherEnd) {
    Pair p, other;
    const std::string first = p.guestEnd.Seal('d', "041"), second = p.guestEnd.Seal('q', "");
    const std::string third = p.guestEnd.Seal('d', std::string(3000, 'x'));
    EXPECT_EQ(first.size(), 16u + 1 + 3);
    std::string flipped = first;
    flipped.back() ^= 1;
    const struct {
        const char* what;
        RoomChannel* end;
        std::string frame;
        std::optional<std::string> opened;
    } steps[] = {
        {"out of its turn", &p.hostEnd, second, std::nullopt},
        {"at the end that sealed it", &p.guestEnd, first, std::nullopt},
        {"at another room's end", &other.hostEnd, first, std::nullopt},
        {"changed", &p.hostEnd, flipped, std::nullopt},
        {"cut short", &p.hostEnd, first.substr(0, 19), std::nullopt},
        {"only a tag", &p.hostEnd, first.substr(0, 16), std::nullopt},
        {"nothing", &p.hostEnd, "", std::nullopt},
        {"in its turn", &p.hostEnd, first, "d041"},
        {"again", &p.hostEnd, first, std::nullopt},
        {"the next", &p.hostEnd, second, "q"},
        {"a long one", &p.hostEnd, third, "d" + std::string(3000, 'x')},
    };
    for (const auto& step : steps) EXPECT_EQ(step.end->Open(step.frame), step.opened) << step.what;
    // The other direction has its own key and count.
    const std::string back = p.hostEnd.Seal('a', "id");
    EXPECT_EQ(p.hostEnd.Open(back), std::nullopt);
    EXPECT_EQ(p.guestEnd.Open(back), "aid");
}

TEST(RoomCrypto, KeysIdsAndSeats) {
    const RoomKey nothing{};
    const RoomKeyPair guest = *NewRoomKeyPair();
    EXPECT_FALSE(RoomChannel::ForGuest(guest, nothing)) << "a key of no use is refused";
    EXPECT_FALSE(RoomChannel::ForHost(guest, nothing));
    EXPECT_NE(NewRoomKeyPair()->pub, guest.pub);
    const std::string id = NewClientId();
    EXPECT_TRUE(IsClientId(id)) << id;
    EXPECT_NE(NewClientId(), id);
    for (const char* notId :
         {"", "0123456789abcdef0123456789abcde", "0123456789abcdef0123456789abcdeF",
          "0123456789abcdef0123456789abcdef0", "0123456789abcdef/123456789abcdef"})
        EXPECT_FALSE(IsClientId(notId)) << notId;
    RoomKey key{};
    for (size_t i = 0; i < key.size(); ++i) key[i] = static_cast<unsigned char>(0xA0 + i);
    EXPECT_EQ(SeatOf(key), "a0a1a2a3a4a5a6a7");
    EXPECT_EQ(KeyFrom(KeyBytes(key)), key);
    EXPECT_FALSE(KeyFrom(KeyBytes(key).substr(1)));
    EXPECT_FALSE(KeyFrom(KeyBytes(key) + "x"));
}

}  // namespace
}  // namespace kb::test
