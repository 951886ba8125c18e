// Second match loop, in D minor at 132 bpm: a pulsing synth bass, pizzicato
// arpeggios, orchestra hits and a saw lead. The bridge ends on A7 and a rising
// arpeggio, which the restart on the intro's D minor answers.
#include "part.h"
#include "pieces.h"

namespace kb::midi {

std::vector<std::uint8_t> ComposeMatchDark() {
    const Track conductor = MakeConductor("Kanaburst match 2", 132);
    const Tick end = Bar(32);

    const std::vector<Chord> intro = ParseChords("Dm Bb C A", Bar(0));
    const std::vector<Chord> verse = ParseChords("Dm Bb Gm A Dm Bb Gm A7", Bar(4));
    const std::vector<Chord> climb = ParseChords("Gm Dm Bb F Gm Dm Eb A", Bar(12));
    const std::vector<Chord> reprise = ParseChords("Dm Bb Gm A Dm Bb Gm A7", Bar(20));
    const std::vector<Chord> bridge = ParseChords("Bb C Gm A7", Bar(28));

    constexpr std::string_view kTheme =
        "D5:6 E5:2 F5:4 A5:4  Bb5:6 A5:2 F5:4 D5:4  G5:6 F5:2 G5:4 Bb5:4  A5:8 E5:4 C#5:4 "
        "D5:6 E5:2 F5:4 A5:4  D6:6 C6:2 Bb5:4 F5:4  G5:4 Bb5:4 D6:4 C6:2 Bb5:2 "
        "A5:4 G5:4 E5:4 C#5:4";
    Part lead({"Saw lead", 0, 81, 84, 64, 55});
    lead.Melody(kTheme, Bar(4), 8, 84, 90);
    lead.Melody(
        "Bb5:8 A5:4 G5:4  A5:8 F5:4 D5:4  F5:6 G5:2 A5:4 Bb5:4  C6:12 A5:4 "
        "D6:8 C6:4 Bb5:4  A5:8 F5:4 A5:4  G5:6 Bb5:2 Eb6:8  C#6:8 A5:4 E5:4",
        Bar(12), 8, 92, 95);
    lead.Melody(kTheme, Bar(20), 8, 88, 90);
    lead.Melody("F5:8 D5:8  G5:8 E5:8  Bb5:8 G5:8  A5:4 C#6:4 E6:4 G6:4", Bar(28), 4, 80, 96);

    Part pizzicato({"Pizzicato strings", 1, 45, 84, 38, 60});
    for (const auto* section : {&intro, &verse, &climb, &reprise, &bridge}) {
        pizzicato.Arpeggio(*section, "0-1-2-1-3-1-2-1-", 50, 72);
    }

    Part strings({"Synth strings", 2, 50, 72, 90, 75});
    strings.Pads(verse, 57, 48);
    strings.Pads(climb, 60, 64);
    strings.Pads(reprise, 57, 56);
    strings.Pads(bridge, 60, 60);

    Part bass({"Synth bass", 3, 38, 94, 64, 15});
    bass.Bass(intro, "RrRrRrRrRrRrRrRr", 38, 92);
    bass.Bass(verse, "RrRrRrRrRrRrRrRr", 38, 88);
    bass.Bass(climb, "RrOrRrOrRrOrRrOr", 38, 92);
    bass.Bass(reprise, "RrRrRrRrRrRrRrRr", 38, 90);
    bass.Bass(bridge, "R-------R-rrR-rr", 38, 90);

    Part hits({"Orchestra hits", 4, 55, 76, 64, 60});
    hits.Stabs(intro, "X---------------", 62, 90);
    hits.Stabs(climb, "X-----------x---", 62, 84);

    Part drums({"Drums", kDrumChannel, 0, 90, 64, 30});
    const std::initializer_list<std::pair<int, std::string_view>> drive{
        {drum::kKick, "X.....X...X....."},
        {drum::kSnare, "....X.......X..."},
        {drum::kClosedHat, "xoxoxoxoxoxoxoxo"}};
    drums.Drums(Bar(0), 3, drive, 86);
    drums.Drums(Bar(3), 1,
                {{drum::kKick, "X.....X........."},
                 {drum::kSnare, "....X..........."},
                 {drum::kHighTom, "........xx......"},
                 {drum::kMidTom, "..........xx...."},
                 {drum::kLowTom, "............XXXX"}},
                88);
    drums.Drums(Bar(4), 8,
                {{drum::kKick, "X.....X.X.....x."},
                 {drum::kSnare, "....X.......X..."},
                 {drum::kClosedHat, "x.x.x.x.x.x.x.x."}},
                82);
    drums.Drums(Bar(12), 7,
                {{drum::kKick, "X...X...X...X..."},
                 {drum::kSnare, "....X.......X..."},
                 {drum::kRide, "x.x.x.x.x.x.x.x."}},
                90);
    drums.Drums(Bar(19), 1, {{drum::kKick, "X...X...X...X..."}, {drum::kSnare, "....x.x.xxxxXXXX"}},
                84);
    drums.Drums(Bar(20), 8, drive, 88);
    drums.Drums(Bar(28), 2,
                {{drum::kKick, "X.........X....."},
                 {drum::kSnare, "........X......."},
                 {drum::kClosedHat, "x.x.x.x.x.x.x.x."}},
                80);
    drums.Drums(Bar(30), 1, drive, 86);
    drums.Drums(Bar(31), 1,
                {{drum::kKick, "X.......X......."},
                 {drum::kSnare, "....X...x.x.xxXX"},
                 {drum::kMidTom, ".........x.x...."},
                 {drum::kLowTom, "..........x.x..."}},
                90);
    for (int at : {0, 4, 12, 16, 20, 28}) drums.Note(Bar(at), kBeat, drum::kCrash, 100);

    return EncodePiece(conductor, {&lead, &pizzicato, &strings, &bass, &hits, &drums}, end);
}

}  // namespace kb::midi
