// First match loop, in A major at 152 bpm: overdriven guitar and a square
// lead, verse, build and a double chorus. The closing two bars climb back to
// the dominant so the restart on the intro's A chord feels like a resolution.
#include "part.h"
#include "pieces.h"

namespace kb::midi {
namespace {

constexpr std::string_view kHats = "x.x.x.x.x.x.x.x.";
constexpr std::string_view kBackbeat = "....X.......X...";

// Drum fill over the last two beats, snare into toms.
void TomFill(Part& drums, int atBar) {
    drums.Drums(Bar(atBar), 1,
                {{drum::kKick, "X.......X......."},
                 {drum::kSnare, "....X...xx......"},
                 {drum::kHighTom, "..........xx...."},
                 {drum::kMidTom, "............xx.."},
                 {drum::kLowTom, "..............XX"}},
                92);
}

}  // namespace

std::vector<std::uint8_t> ComposeMatchBright() {
    const Track conductor = MakeConductor("Kanaburst match 1", 152);
    const Tick end = Bar(38);

    const std::vector<Chord> intro = ParseChords("A F#m D E", Bar(0));
    const std::vector<Chord> verse = ParseChords("A E/G# F#m C#m D A/C# Bm7 E", Bar(4));
    const std::vector<Chord> build = ParseChords("D E C#m F#m D E F#m E", Bar(12));
    const std::vector<Chord> chorus =
        ParseChords("D E C#m7 F#m D E A A  D E C#m7 F#m Bm7 E A A", Bar(20));
    const std::vector<Chord> tag = ParseChords("Bm7:2 C#m7:2 D:2 E:2", Bar(36));

    Part lead({"Square lead", 0, 80, 86, 64, 50});
    lead.Melody(
        "E5:4 C#5:2 E5:2 A5:4 E5:4  G#5:4 F#5:2 E5:2 B4:8  A5:4 F#5:2 A5:2 C#6:4 A5:4 "
        "G#5:6 E5:2 C#5:8  F#5:4 D5:2 F#5:2 A5:4 F#5:4  E5:4 C#5:2 E5:2 A5:8 "
        "D6:4 C#6:2 B5:2 A5:4 F#5:4  G#5:8 E5:4 r:4",
        Bar(4), 8, 84, 88);
    lead.Melody(
        "A5:2 A5:2 F#5:2 A5:2 r:2 A5:2 B5:4  G#5:2 G#5:2 E5:2 G#5:2 r:2 G#5:2 B5:4 "
        "C#6:2 B5:2 G#5:2 E5:2 r:2 E5:2 G#5:4  A5:6 G#5:2 F#5:8 "
        "A5:2 A5:2 F#5:2 A5:2 r:2 A5:2 D6:4  B5:2 B5:2 G#5:2 B5:2 r:2 B5:2 E6:4 "
        "C#6:4 B5:4 A5:4 C#6:4  B5:12 r:4",
        Bar(12), 8, 80, 80);
    constexpr std::string_view kHook =
        "F#5:4 A5:4 D6:6 C#6:2  B5:4 C#6:2 B5:2 G#5:4 E5:4  E5:4 G#5:4 B5:6 A5:2  A5:8 C#6:8 ";
    lead.Melody(std::string(kHook) +
                    "D6:4 C#6:2 B5:2 A5:4 F#5:4  G#5:4 A5:2 B5:2 E6:8  C#6:12 B5:2 A5:2  A5:12 r:4",
                Bar(20), 8, 92, 94);
    lead.Melody(
        std::string(kHook) + "D6:4 C#6:2 B5:2 F#5:4 A5:4  G#5:4 B5:4 E6:4 D6:4  C#6:16  A5:8 r:8",
        Bar(28), 8, 94, 94);
    lead.Melody("B5:2 A5:2 F#5:2 D5:2 C#5:2 E5:2 G#5:2 B5:2  A5:2 F#5:2 D5:2 F#5:2 G#5:2 B5:2 E6:4",
                Bar(36), 2, 80, 85);

    Part guitar({"Overdriven guitar", 1, 29, 78, 40, 40});
    guitar.Stabs(intro, "X-x-x-X-x-x-X-x-", 40, 86, Voicing::kPower);
    guitar.Stabs(verse, "x.x.x.x.x.x.x.x.", 40, 62, Voicing::kPower);
    guitar.Stabs(build, "X-----x-X---x---", 40, 82, Voicing::kPower);
    guitar.Stabs(chorus, "X-x-x-X-x-x-X-x-", 40, 88, Voicing::kPower);
    guitar.Stabs(tag, "X-x-X-x-X-x-X-x-", 40, 88, Voicing::kPower);

    Part strings({"Strings", 2, 48, 56, 88, 70});
    strings.Pads(verse, 57, 46);
    strings.Pads(build, 60, 56);
    strings.Pads(chorus, 62, 66);
    strings.Pads(tag, 62, 60);

    Part bass({"Picked bass", 3, 34, 96, 64, 20});
    bass.Bass(intro, "R-R-R-R-R-R-R-R-", 33, 92);
    bass.Bass(verse, "R-R-R-R-R-R-R-R-", 33, 82);
    bass.Bass(build, "R-R-O-R-R-R-O-R-", 33, 88);
    bass.Bass(chorus, "R-R-O-R-R-R-O-F-", 33, 94);
    bass.Bass(tag, "R-R-O-R-R-R-O-R-", 33, 94);

    Part drums({"Drums", kDrumChannel, 0, 92, 64, 30});
    const std::initializer_list<std::pair<int, std::string_view>> rock{
        {drum::kKick, "X.......X.x....."}, {drum::kSnare, kBackbeat}, {drum::kClosedHat, kHats}};
    drums.Drums(Bar(0), 3, rock, 88);
    TomFill(drums, 3);
    drums.Drums(Bar(4), 7, rock, 78);
    drums.Drums(Bar(11), 1,
                {{drum::kKick, "X.......X.x....."},
                 {drum::kSnare, "....X.......xxXX"},
                 {drum::kClosedHat, "x.x.x.x.x.x....."}},
                80);
    drums.Drums(Bar(12), 7,
                {{drum::kKick, "X...X...X...X..."},
                 {drum::kSnare, kBackbeat},
                 {drum::kOpenHat, "..x...x...x...x."}},
                84);
    drums.Drums(Bar(19), 1, {{drum::kKick, "X...X...X...X..."}, {drum::kSnare, "x.x.x.x.xxxxXXXX"}},
                80);
    const std::initializer_list<std::pair<int, std::string_view>> chorusBeat{
        {drum::kKick, "X.....x.X.x....."},
        {drum::kSnare, kBackbeat},
        {drum::kRide, kHats},
        {drum::kTambourine, "....x.......x..."}};
    drums.Drums(Bar(20), 7, chorusBeat, 92);
    TomFill(drums, 27);
    drums.Drums(Bar(28), 8, chorusBeat, 92);
    drums.Drums(Bar(36), 1, rock, 92);
    TomFill(drums, 37);
    for (int at : {0, 4, 12, 20, 28, 36}) drums.Note(Bar(at), kBeat, drum::kCrash, 100);

    return EncodePiece(conductor, {&lead, &guitar, &strings, &bass, &drums}, end);
}

}  // namespace kb::midi
