// Second match loop, in D minor at 132 bpm: a pulsing synth bass, pizzicato
// arpeggios, orchestra hits and a saw lead. The bridge ends on A7 and a rising
// arpeggio, which the restart on the intro's D minor answers.
#include "part.h"
#include "pieces.h"

namespace kb::midi {

std::vector<std::uint8_t> compose_match_dark() {
    const Track conductor = make_conductor("Kanaburst match 2", 132);
    const Tick end = bar(32);

    const std::vector<Chord> intro = parse_chords("Dm Bb C A", bar(0));
    const std::vector<Chord> verse = parse_chords("Dm Bb Gm A Dm Bb Gm A7", bar(4));
    const std::vector<Chord> climb = parse_chords("Gm Dm Bb F Gm Dm Eb A", bar(12));
    const std::vector<Chord> reprise = parse_chords("Dm Bb Gm A Dm Bb Gm A7", bar(20));
    const std::vector<Chord> bridge = parse_chords("Bb C Gm A7", bar(28));

    constexpr std::string_view kTheme =
        "D5:6 E5:2 F5:4 A5:4  Bb5:6 A5:2 F5:4 D5:4  G5:6 F5:2 G5:4 Bb5:4  A5:8 E5:4 C#5:4 "
        "D5:6 E5:2 F5:4 A5:4  D6:6 C6:2 Bb5:4 F5:4  G5:4 Bb5:4 D6:4 C6:2 Bb5:2 "
        "A5:4 G5:4 E5:4 C#5:4";
    Part lead({"Saw lead", 0, 81, 84, 64, 55});
    lead.melody(kTheme, bar(4), 8, 84, 90);
    lead.melody(
        "Bb5:8 A5:4 G5:4  A5:8 F5:4 D5:4  F5:6 G5:2 A5:4 Bb5:4  C6:12 A5:4 "
        "D6:8 C6:4 Bb5:4  A5:8 F5:4 A5:4  G5:6 Bb5:2 Eb6:8  C#6:8 A5:4 E5:4",
        bar(12), 8, 92, 95);
    lead.melody(kTheme, bar(20), 8, 88, 90);
    lead.melody("F5:8 D5:8  G5:8 E5:8  Bb5:8 G5:8  A5:4 C#6:4 E6:4 G6:4", bar(28), 4, 80, 96);

    Part pizzicato({"Pizzicato strings", 1, 45, 84, 38, 60});
    for (const auto* section : {&intro, &verse, &climb, &reprise, &bridge}) {
        pizzicato.arpeggio(*section, "0-1-2-1-3-1-2-1-", 50, 72);
    }

    Part strings({"Synth strings", 2, 50, 72, 90, 75});
    strings.pads(verse, 57, 48);
    strings.pads(climb, 60, 64);
    strings.pads(reprise, 57, 56);
    strings.pads(bridge, 60, 60);

    Part bass({"Synth bass", 3, 38, 94, 64, 15});
    bass.bass(intro, "RrRrRrRrRrRrRrRr", 38, 92);
    bass.bass(verse, "RrRrRrRrRrRrRrRr", 38, 88);
    bass.bass(climb, "RrOrRrOrRrOrRrOr", 38, 92);
    bass.bass(reprise, "RrRrRrRrRrRrRrRr", 38, 90);
    bass.bass(bridge, "R-------R-rrR-rr", 38, 90);

    Part hits({"Orchestra hits", 4, 55, 76, 64, 60});
    hits.stabs(intro, "X---------------", 62, 90);
    hits.stabs(climb, "X-----------x---", 62, 84);

    Part drums({"Drums", kDrumChannel, 0, 90, 64, 30});
    const std::initializer_list<std::pair<int, std::string_view>> drive{
        {drum::kKick, "X.....X...X....."},
        {drum::kSnare, "....X.......X..."},
        {drum::kClosedHat, "xoxoxoxoxoxoxoxo"}};
    drums.drums(bar(0), 3, drive, 86);
    drums.drums(bar(3), 1,
                {{drum::kKick, "X.....X........."},
                 {drum::kSnare, "....X..........."},
                 {drum::kHighTom, "........xx......"},
                 {drum::kMidTom, "..........xx...."},
                 {drum::kLowTom, "............XXXX"}},
                88);
    drums.drums(bar(4), 8,
                {{drum::kKick, "X.....X.X.....x."},
                 {drum::kSnare, "....X.......X..."},
                 {drum::kClosedHat, "x.x.x.x.x.x.x.x."}},
                82);
    drums.drums(bar(12), 7,
                {{drum::kKick, "X...X...X...X..."},
                 {drum::kSnare, "....X.......X..."},
                 {drum::kRide, "x.x.x.x.x.x.x.x."}},
                90);
    drums.drums(bar(19), 1, {{drum::kKick, "X...X...X...X..."}, {drum::kSnare, "....x.x.xxxxXXXX"}},
                84);
    drums.drums(bar(20), 8, drive, 88);
    drums.drums(bar(28), 2,
                {{drum::kKick, "X.........X....."},
                 {drum::kSnare, "........X......."},
                 {drum::kClosedHat, "x.x.x.x.x.x.x.x."}},
                80);
    drums.drums(bar(30), 1, drive, 86);
    drums.drums(bar(31), 1,
                {{drum::kKick, "X.......X......."},
                 {drum::kSnare, "....X...x.x.xxXX"},
                 {drum::kMidTom, ".........x.x...."},
                 {drum::kLowTom, "..........x.x..."}},
                90);
    for (int at : {0, 4, 12, 16, 20, 28}) drums.note(bar(at), kBeat, drum::kCrash, 100);

    return encode_piece(conductor, {&lead, &pizzicato, &strings, &bass, &hits, &drums}, end);
}

}  // namespace kb::midi
