// Title theme in D major: a calm flute tune over electric piano arpeggios,
// with brushes of percussion joining halfway and a slowing close. Plays once.
#include "part.h"
#include "pieces.h"

namespace kb::midi {

std::vector<std::uint8_t> ComposeTitle() {
    Track conductor = MakeConductor("Kanaburst title", 84);
    conductor.Tempo(Bar(17), 80);
    conductor.Tempo(Bar(17) + 2 * kBeat, 76);
    conductor.Tempo(Bar(18), 70);
    const Tick end = Bar(18) + 6 * kBeat;

    const std::vector<Chord> intro = ParseChords("Dmaj7 Gmaj7 Dmaj7 Asus4:2 A:2", Bar(0));
    const std::vector<Chord> verse =
        ParseChords("Gmaj7 A F#m7 Bm7  Gmaj7 A F#m7:2 Bm7:2 Em7:2 A7:2", Bar(4));
    const std::vector<Chord> bridge = ParseChords("Gmaj7 A/G F#m7 Bm7  Em7 A7sus4:2 A7:2", Bar(12));
    const std::vector<Chord> last = ParseChords("Dmaj7", Bar(18));

    Part flute({"Flute", 0, 73, 100, 64, 70});
    flute.Melody(
        "F#5:6 E5:2 D5:4 A4:4  C#5:4 D5:4 E5:8  A5:6 F#5:2 E5:4 C#5:4  D5:10 r:2 A4:2 B4:2 "
        "D5:6 E5:2 F#5:4 A5:4  G5:6 F#5:2 E5:4 C#5:4  F#5:4 A5:4 B5:4 A5:4 "
        "G5:4 F#5:2 E5:2 E5:4 C#5:4 "
        "B5:6 A5:2 F#5:4 D5:4  E5:6 F#5:2 G5:4 A5:4  A5:6 C#6:2 B5:4 A5:4  F#5:8 D5:4 E5:4 "
        "G5:6 F#5:2 E5:4 D5:4  D5:4 E5:4 C#5:8  D5:16",
        Bar(4), 15, 82, 96);

    Part piano({"Electric piano", 1, 4, 90, 44, 75});
    for (const auto* section : {&intro, &verse, &bridge}) {
        piano.Arpeggio(*section, "0-1-2-3-4-3-2-1-", 50, 62);
    }
    // The last chord is rolled upwards and left to ring.
    const std::vector<int> roll = SpreadVoicing(last.front(), 50);
    for (Tick i = 0; i < 6; ++i) {
        piano.Note(Bar(18) + i * kSixteenth / 2, 4 * kBeat - i * kSixteenth / 2, roll[i], 64);
    }

    Part strings({"Strings", 2, 48, 54, 84, 80});
    strings.Pads(intro, 57, 44);
    strings.Pads(verse, 57, 50);
    strings.Pads(bridge, 60, 60);
    strings.Pads(last, 57, 56);

    Part bass({"Fretless bass", 3, 35, 92, 64, 40});
    bass.Bass(verse, "R-------R-------", 38, 78);
    bass.Bass(bridge, "R-------R-----F-", 38, 80);
    bass.Bass(last, "R---------------", 38, 78);

    Part drums({"Percussion", kDrumChannel, 0, 84, 64, 50});
    drums.Drums(Bar(8), 10,
                {{drum::kKick, "x.......o.....o."},
                 {drum::kSideStick, "....x.......x..."},
                 {drum::kShaker, "o.x.o.x.o.x.o.x."}},
                60);
    drums.Note(Bar(18), kBeat, drum::kCrash, 48);

    return EncodePiece(conductor, {&flute, &piano, &strings, &bass, &drums}, end);
}

}  // namespace kb::midi
