// A replay in a link: a match of 90 seconds fits in about 2,000 characters and comes back whole;
// a link too long, damaged, cut short or unpacking to more than a replay may hold is refused
// with its reason.
#include "replay/replay_link.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "replay/long_match.h"
#include "replay/replay.h"

namespace kb::test {
namespace {

// The characters base64url without padding takes for n bytes.
size_t LinkChars(size_t n) {
    return (n * 4 + 2) / 3;
}

// A raw deflate stream of one stored block: the bytes as they are, five bytes before them.
std::string StoredBlock(const std::string& bytes) {
    const auto n = static_cast<uint16_t>(bytes.size());
    const uint16_t inverse = static_cast<uint16_t>(~n);
    std::string out = {'\x01', static_cast<char>(n & 0xff), static_cast<char>(n >> 8),
                       static_cast<char>(inverse & 0xff), static_cast<char>(inverse >> 8)};
    return out + bytes;
}

TEST(ReplayLink, AMatchOfNinetySecondsFitsInAboutTwoThousandCharacters) {
    const std::string words = ReadFileBytes(std::string(KB_SOURCE_DIR) + "/assets/str.dat").bytes;
    const LongMatch m = RecordLongMatch(words, 2, 90 * 15L, [](const Game&) { return ""; });
    ASSERT_GE(m.playSec, 90);
    const std::string packed = PackForLink(m.replay);
    ASSERT_FALSE(packed.empty());
    EXPECT_LE(LinkChars(packed.size()), 2000u);
    std::string text, why;
    ASSERT_TRUE(UnpackLink(packed, text, why)) << why;
    EXPECT_EQ(text, m.replay);
}

TEST(ReplayLink, AReplayTooLongForALinkIsNotPacked) {
    // Bytes no deflate can shrink, so that the packed size follows the text's.
    std::mt19937 random(7);
    std::string noise(kReplayLinkMaxBytes + 100, '\0');
    for (char& c : noise) c = static_cast<char>(random());
    EXPECT_EQ(PackForLink(noise), "");
    const std::string fits = noise.substr(0, kReplayLinkMaxBytes - 100);
    const std::string packed = PackForLink(fits);
    ASSERT_FALSE(packed.empty());
    EXPECT_LE(LinkChars(packed.size()), kReplayLinkMaxChars);
}

TEST(ReplayLink, WhatALinkHoldsIsCheckedBeforeItIsPlayed) {
    const std::string zeros(kReplayMaxBytes, '0');
    const std::string packedZeros = PackForLink(zeros);
    const std::string hello = PackForLink("kanaburst-replay 1\n");
    const std::string most(kReplayLinkMaxBytes - 5, 'k');
    const struct {
        const char* name;
        std::string packed;
        const char* why;  // "" when it unpacks
        std::string text;
    } cases[] = {
        {"a replay", hello, "", "kanaburst-replay 1\n"},
        {"as many bytes as a link holds", StoredBlock(most), "", most},
        {"one byte more", StoredBlock(most + "k"), "longer than a replay link can be", ""},
        {"nothing", "", "cut short", ""},
        {"half of it", hello.substr(0, hello.size() / 2), "cut short", ""},
        {"bytes after it", hello + "xy", "goes on after its replay", ""},
        {"not deflate", "\xff\xff\xff\xff", "damaged", ""},
        {"a block whose length is wrong", std::string("\x01\x05\x00\x00\x00hello", 10), "damaged",
         ""},
        {"as large as a replay may be", packedZeros, "", zeros},
        {"a byte larger", PackForLink(zeros + "0"), "larger than a replay can be", ""},
    };
    for (const auto& c : cases) {
        std::string text = "left over", why;
        EXPECT_EQ(UnpackLink(c.packed, text, why), *c.why == '\0') << c.name;
        EXPECT_NE(why.find(c.why), std::string::npos) << c.name << ": " << why;
        EXPECT_EQ(text, c.text) << c.name;
    }
}

}  // namespace
}  // namespace kb::test
