// The two short pieces of the result screen: a brass fanfare for a win and a
// slow oboe lament for a loss. Each plays once.
#include "part.h"
#include "pieces.h"

namespace kb::midi {

std::vector<std::uint8_t> ComposeVictory() {
    const Track conductor = MakeConductor("Kanaburst victory", 126);
    const Tick end = Bar(4) + 6 * kBeat;

    const std::vector<Chord> chords = ParseChords("C F:2 G:2 C:2 Am:2 F:2 G7:2", Bar(0));
    const std::vector<Chord> last = ParseChords("C", Bar(4));

    Part trumpet({"Trumpet", 0, 56, 100, 64, 60});
    trumpet.Melody(
        "G4:2 C5:2 E5:2 G5:2 C6:8  A5:3 A5:1 C6:4 B5:3 B5:1 D6:4 "
        "C6:4 G5:4 A5:4 E5:4  F5:4 A5:4 G5:3 G5:1 B5:4  C6:16",
        Bar(0), 5, 96, 90);

    Part brass({"Brass section", 1, 61, 84, 50, 60});
    brass.Stabs(chords, "X-----x-X-------", 55, 80);
    brass.Pads(last, 55, 90);

    Part strings({"Strings", 2, 48, 76, 80, 70});
    strings.Pads(chords, 60, 62);
    strings.Pads(last, 60, 74);

    Part bass({"Bass", 3, 32, 92, 64, 30});
    bass.Bass(chords, "R-------R-------", 36, 86);
    bass.Bass(last, "R---------------", 36, 90);

    // Timpani: a stroke on the tonic, a roll on the dominant into the last chord.
    Part timpani({"Timpani", 4, 47, 90, 64, 50});
    timpani.Note(Bar(0), kBeat, 48, 100);
    for (int i = 0; i < 4; ++i)
        timpani.Note(Bar(3) + 3 * kBeat + i * kSixteenth, kSixteenth, 43, 70 + 10 * i);
    timpani.Note(Bar(4), 2 * kBeat, 48, 115);

    Part drums({"Drums", kDrumChannel, 0, 86, 64, 40});
    drums.Drums(Bar(3), 1, {{drum::kSnare, "........xxxxXXXX"}}, 70);
    drums.Note(Bar(0), kBeat, drum::kCrash, 96);
    drums.Note(Bar(4), kBeat, drum::kCrash, 110);
    drums.Note(Bar(4), kBeat, drum::kKick, 110);

    return EncodePiece(conductor, {&trumpet, &brass, &strings, &bass, &timpani, &drums}, end);
}

std::vector<std::uint8_t> ComposeDefeat() {
    Track conductor = MakeConductor("Kanaburst defeat", 100);
    conductor.Tempo(Bar(2), 92);
    conductor.Tempo(Bar(3), 75);
    const Tick end = Bar(3) + 4 * kBeat;

    const std::vector<Chord> chords = ParseChords("Am F Dm:2 E7:2", Bar(0));
    const std::vector<Chord> last = ParseChords("Am:3", Bar(3));

    Part oboe({"Oboe", 0, 68, 96, 64, 70});
    oboe.Melody("E5:6 D5:2 C5:4 A4:4  F5:6 E5:2 C5:4 A4:4  D5:4 F5:4 E5:4 G#4:4", Bar(0), 3, 92,
                95);
    oboe.Note(Bar(3), 3 * kBeat, KeyNumber("A4"), 84);

    Part piano({"Piano", 1, 0, 96, 48, 70});
    piano.Arpeggio(chords, "0-1-2-3-4-3-2-1-", 45, 56);
    const std::vector<int> roll = SpreadVoicing(last.front(), 45);
    for (Tick i = 0; i < 5; ++i) {
        piano.Note(Bar(3) + i * kSixteenth / 2, 3 * kBeat - i * kSixteenth / 2, roll[i], 54);
    }

    Part strings({"Strings", 2, 48, 70, 80, 80});
    strings.Pads(chords, 57, 44);
    strings.Pads(last, 57, 40);

    Part bass({"Bass", 3, 32, 86, 64, 40});
    bass.Bass(chords, "R-------R-------", 33, 70);
    bass.Bass(last, "R-----------", 33, 64);

    return EncodePiece(conductor, {&oboe, &piano, &strings, &bass}, end);
}

}  // namespace kb::midi
