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
void tom_fill(Part& drums, int at_bar) {
    drums.drums(bar(at_bar), 1,
                {{drum::kKick, "X.......X......."},
                 {drum::kSnare, "....X...xx......"},
                 {drum::kHighTom, "..........xx...."},
                 {drum::kMidTom, "............xx.."},
                 {drum::kLowTom, "..............XX"}},
                92);
}

}  // namespace

std::vector<std::uint8_t> compose_match_bright() {
    const Track conductor = make_conductor("Kanaburst match 1", 152);
    const Tick end = bar(38);

    const std::vector<Chord> intro = parse_chords("A F#m D E", bar(0));
    const std::vector<Chord> verse = parse_chords("A E/G# F#m C#m D A/C# Bm7 E", bar(4));
    const std::vector<Chord> build = parse_chords("D E C#m F#m D E F#m E", bar(12));
    const std::vector<Chord> chorus =
        parse_chords("D E C#m7 F#m D E A A  D E C#m7 F#m Bm7 E A A", bar(20));
    const std::vector<Chord> tag = parse_chords("Bm7:2 C#m7:2 D:2 E:2", bar(36));

    Part lead({"Square lead", 0, 80, 86, 64, 50});
    lead.melody(
        "E5:4 C#5:2 E5:2 A5:4 E5:4  G#5:4 F#5:2 E5:2 B4:8  A5:4 F#5:2 A5:2 C#6:4 A5:4 "
        "G#5:6 E5:2 C#5:8  F#5:4 D5:2 F#5:2 A5:4 F#5:4  E5:4 C#5:2 E5:2 A5:8 "
        "D6:4 C#6:2 B5:2 A5:4 F#5:4  G#5:8 E5:4 r:4",
        bar(4), 8, 84, 88);
    lead.melody(
        "A5:2 A5:2 F#5:2 A5:2 r:2 A5:2 B5:4  G#5:2 G#5:2 E5:2 G#5:2 r:2 G#5:2 B5:4 "
        "C#6:2 B5:2 G#5:2 E5:2 r:2 E5:2 G#5:4  A5:6 G#5:2 F#5:8 "
        "A5:2 A5:2 F#5:2 A5:2 r:2 A5:2 D6:4  B5:2 B5:2 G#5:2 B5:2 r:2 B5:2 E6:4 "
        "C#6:4 B5:4 A5:4 C#6:4  B5:12 r:4",
        bar(12), 8, 80, 80);
    constexpr std::string_view kHook =
        "F#5:4 A5:4 D6:6 C#6:2  B5:4 C#6:2 B5:2 G#5:4 E5:4  E5:4 G#5:4 B5:6 A5:2  A5:8 C#6:8 ";
    lead.melody(std::string(kHook) +
                    "D6:4 C#6:2 B5:2 A5:4 F#5:4  G#5:4 A5:2 B5:2 E6:8  C#6:12 B5:2 A5:2  A5:12 r:4",
                bar(20), 8, 92, 94);
    lead.melody(
        std::string(kHook) + "D6:4 C#6:2 B5:2 F#5:4 A5:4  G#5:4 B5:4 E6:4 D6:4  C#6:16  A5:8 r:8",
        bar(28), 8, 94, 94);
    lead.melody("B5:2 A5:2 F#5:2 D5:2 C#5:2 E5:2 G#5:2 B5:2  A5:2 F#5:2 D5:2 F#5:2 G#5:2 B5:2 E6:4",
                bar(36), 2, 80, 85);

    Part guitar({"Overdriven guitar", 1, 29, 78, 40, 40});
    guitar.stabs(intro, "X-x-x-X-x-x-X-x-", 40, 86, Voicing::kPower);
    guitar.stabs(verse, "x.x.x.x.x.x.x.x.", 40, 62, Voicing::kPower);
    guitar.stabs(build, "X-----x-X---x---", 40, 82, Voicing::kPower);
    guitar.stabs(chorus, "X-x-x-X-x-x-X-x-", 40, 88, Voicing::kPower);
    guitar.stabs(tag, "X-x-X-x-X-x-X-x-", 40, 88, Voicing::kPower);

    Part strings({"Strings", 2, 48, 56, 88, 70});
    strings.pads(verse, 57, 46);
    strings.pads(build, 60, 56);
    strings.pads(chorus, 62, 66);
    strings.pads(tag, 62, 60);

    Part bass({"Picked bass", 3, 34, 96, 64, 20});
    bass.bass(intro, "R-R-R-R-R-R-R-R-", 33, 92);
    bass.bass(verse, "R-R-R-R-R-R-R-R-", 33, 82);
    bass.bass(build, "R-R-O-R-R-R-O-R-", 33, 88);
    bass.bass(chorus, "R-R-O-R-R-R-O-F-", 33, 94);
    bass.bass(tag, "R-R-O-R-R-R-O-R-", 33, 94);

    Part drums({"Drums", kDrumChannel, 0, 92, 64, 30});
    const std::initializer_list<std::pair<int, std::string_view>> rock{
        {drum::kKick, "X.......X.x....."}, {drum::kSnare, kBackbeat}, {drum::kClosedHat, kHats}};
    drums.drums(bar(0), 3, rock, 88);
    tom_fill(drums, 3);
    drums.drums(bar(4), 7, rock, 78);
    drums.drums(bar(11), 1,
                {{drum::kKick, "X.......X.x....."},
                 {drum::kSnare, "....X.......xxXX"},
                 {drum::kClosedHat, "x.x.x.x.x.x....."}},
                80);
    drums.drums(bar(12), 7,
                {{drum::kKick, "X...X...X...X..."},
                 {drum::kSnare, kBackbeat},
                 {drum::kOpenHat, "..x...x...x...x."}},
                84);
    drums.drums(bar(19), 1, {{drum::kKick, "X...X...X...X..."}, {drum::kSnare, "x.x.x.x.xxxxXXXX"}},
                80);
    const std::initializer_list<std::pair<int, std::string_view>> chorus_beat{
        {drum::kKick, "X.....x.X.x....."},
        {drum::kSnare, kBackbeat},
        {drum::kRide, kHats},
        {drum::kTambourine, "....x.......x..."}};
    drums.drums(bar(20), 7, chorus_beat, 92);
    tom_fill(drums, 27);
    drums.drums(bar(28), 8, chorus_beat, 92);
    drums.drums(bar(36), 1, rock, 92);
    tom_fill(drums, 37);
    for (int at : {0, 4, 12, 20, 28, 36}) drums.note(bar(at), kBeat, drum::kCrash, 100);

    return encode_piece(conductor, {&lead, &guitar, &strings, &bass, &drums}, end);
}

}  // namespace kb::midi
