// How long a piece runs as written: the page counts a piece as playing for that long, as the
// desktop's sequencer plays it.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/midi_player.h"

namespace kb {
namespace {

using Bytes = std::vector<uint8_t>;

// A standard MIDI file of these tracks, each closed by an end-of-track event.
Bytes Smf(uint16_t division, const std::vector<Bytes>& tracks) {
    Bytes b = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0};
    for (const size_t n : {tracks.size(), size_t{division} >> 8, size_t{division}})
        b.push_back(static_cast<uint8_t>(n));
    for (Bytes t : tracks) {
        t.insert(t.end(), {0x00, 0xFF, 0x2F, 0x00});
        const size_t n = t.size();
        b.insert(b.end(),
                 {'M', 'T', 'r', 'k', 0, 0, static_cast<uint8_t>(n >> 8), static_cast<uint8_t>(n)});
        b.insert(b.end(), t.begin(), t.end());
    }
    return b;
}

// Delta, then a note held for a delta: 0x83 0x60 is 480 ticks.
const Bytes kNote480 = {0x00, 0x90, 60, 100, 0x83, 0x60, 0x80, 60, 0};
const Bytes kTempoHalfSecond = {0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20};  // 500,000 us
const Bytes kTempoSecondAt480 = {0x83, 0x60, 0xFF, 0x51, 0x03, 0x0F, 0x42, 0x40};

Bytes Join(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

TEST(MidiLength, AsWrittenThroughTempoChanges) {
    struct Case {
        const char* what;
        Bytes file;
        double ms;
    };
    const Bytes twoNotes = Join({kNote480, {0x00, 0x90, 62, 100, 0x83, 0x60, 0x80, 62, 0}});
    const std::vector<Case> cases = {
        {"120 beats a minute until told otherwise", Smf(480, {kNote480}), 500},
        {"a tempo at the start", Smf(480, {Join({kTempoHalfSecond, kNote480})}), 500},
        {"a second a beat from the second beat, a quarter second from the third",
         Smf(480, {Join({kTempoSecondAt480,
                         {0x83, 0x60, 0xFF, 0x51, 0x03, 0x03, 0xD0, 0x90},
                         {0x83, 0x60, 0xFF, 0x01, 0x00}})}),
         1750},
        {"the tempo of one track times the notes of another",
         Smf(480, {kTempoSecondAt480, twoNotes}), 1500},
        {"the longest track", Smf(240, {kNote480, twoNotes}), 2000},
        {"running status, and the one data byte of a program change and of pressure",
         Smf(480, {{0x00, 0xC0, 5, 0x00, 0xD0, 64, 0x00, 0x90, 60, 100, 0x83, 0x60, 60, 0}}), 500},
        {"25 frames a second, 40 ticks a frame: no tempo applies",
         Smf(0xE728, {Join({kTempoSecondAt480, kNote480})}), 960},
        {"a system-exclusive message (a GM reset) and an escaped one skip their bytes",
         Smf(480, {Join({{0x00, 0xF0, 0x05, 0x7E, 0x7F, 0x09, 0x01, 0xF7},
                         {0x00, 0xF7, 0x02, 0x83, 0x60},
                         kNote480})}),
         500},
        {"data before any status", Smf(480, {Join({{0x00, 60, 100}, kNote480})}), 0},
        {"a division of nothing", Smf(0, {kNote480}), 0},
    };
    for (const Case& c : cases) EXPECT_DOUBLE_EQ(MidiLengthMs(c.file), c.ms) << c.what;
}

TEST(MidiLength, ChunksItDoesNotKnowAreSkippedAndBrokenFilesAreNothing) {
    Bytes withJunk = Smf(480, {kNote480});
    withJunk.insert(withJunk.begin() + 14, {'J', 'U', 'N', 'K', 0, 0, 0, 2, 0xFF, 0xFF});
    EXPECT_DOUBLE_EQ(MidiLengthMs(withJunk), 500);

    Bytes cut = Smf(480, {kNote480});
    cut.resize(cut.size() - 3);
    EXPECT_DOUBLE_EQ(MidiLengthMs(cut), 0) << "a track longer than the file";
    Bytes notMidi = Smf(480, {kNote480});
    notMidi[0] = 'R';
    EXPECT_DOUBLE_EQ(MidiLengthMs(notMidi), 0);
}

}  // namespace
}  // namespace kb
