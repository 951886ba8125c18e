// The player's own folder comes first for every file the game reads. A file there must give
// exactly what the same file gives in the program's directory, a broken one the same message,
// and the game goes on; only the folder in the effect lines differs.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "robustness/whole_game.h"

namespace kb::test {
namespace {

namespace fs = std::filesystem;

constexpr const char* kDirectory = "<a directory>";
constexpr const char* kDanglingLink = "<a link to nowhere>";

struct OwnFileCase {
    const char* name;
    const char* file;
    std::string bytes;  // or kDirectory, kDanglingLink
};

void PrintTo(const OwnFileCase& c, std::ostream* os) {
    *os << c.name;
}

// What a start with the file shows: whether it started, every effect line with both folders
// written as <dir>, the words, the background's pixels; then a short match is played.
struct Outcome {
    bool started = false;
    std::vector<std::string> trace;
    std::vector<std::u16string> words;
    std::vector<uint32_t> background;
    bool ownWords = false;
    int namingOwn = 0, namingProgram = 0;  // effect lines naming the file in each folder
};

std::string Replaced(std::string s, const std::string& from, const std::string& to) {
    for (size_t at = s.find(from); at != std::string::npos; at = s.find(from, at + to.size()))
        s.replace(at, from.size(), to);
    return s;
}

Outcome StartWith(const OwnFileCase& c, bool inOwnFolder) {
    WholeGame w;
    const fs::path path = (inOwnFolder ? w.own : w.dir).Path() / c.file;
    fs::remove(path);
    if (c.bytes == kDirectory)
        fs::create_directory(path);
    else if (c.bytes == kDanglingLink)
        fs::create_symlink(path.parent_path() / "nowhere", path);
    else
        (inOwnFolder ? w.own : w.dir).WriteFile(c.file, c.bytes);
    Outcome o;
    o.started = w.Start();
    o.words = w.g->Goku;
    o.background.assign(w.g->BACKpic.Pixels(), w.g->BACKpic.Pixels() + 480 * 320);
    o.ownWords = w.g->ownWords;
    if (o.started) {
        EXPECT_TRUE(w.PlayAMatch(true));
    }
    for (const std::string& line : w.trace) {
        o.namingOwn += line.find((w.own.Path() / c.file).string()) != std::string::npos;
        o.namingProgram += line.find((w.dir.Path() / c.file).string()) != std::string::npos;
        o.trace.push_back(Replaced(Replaced(line, w.own.Path().string(), "<dir>"),
                                   w.dir.Path().string(), "<dir>"));
    }
    return o;
}

class PlayerFiles : public ::testing::TestWithParam<OwnFileCase> {};

TEST_P(PlayerFiles, TakenFirstWithTheOutcomeOfTheSameFileInTheProgramsDirectory) {
    const OwnFileCase& c = GetParam();
    const Outcome bundled = StartWith(c, false);
    const Outcome own = StartWith(c, true);
    EXPECT_EQ(own.started, bundled.started);
    EXPECT_EQ(own.trace, bundled.trace);
    EXPECT_EQ(own.words, bundled.words);
    EXPECT_TRUE(own.background == bundled.background);
    EXPECT_EQ(own.ownWords, std::string(c.file) == "str.dat");
    EXPECT_FALSE(bundled.ownWords);
    // Where the effect lines name the file, they name the player's.
    EXPECT_EQ(own.namingOwn, bundled.namingProgram);
    EXPECT_EQ(own.namingProgram, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Robustness, PlayerFiles,
    ::testing::Values(
        // かき, いぬ, ねこ in code page 932.
        OwnFileCase{"WordList", "str.dat",
                    "kaki,\x82\xa9\x82\xab\r\ninu,\x82\xa2\x82\xca\r\nneko,\x82\xcb\x82\xb1\r\n"},
        OwnFileCase{"WordListEndingInsideAPair", "str.dat", "b,y\r\nlast"},
        OwnFileCase{"WordListDirectory", "str.dat", kDirectory},
        OwnFileCase{"WordListDanglingLink", "str.dat", kDanglingLink},
        OwnFileCase{"Background", "back.jpg",
                    ReadFileBytes(KB_SOURCE_DIR "/tests/golden/match.png").bytes},
        OwnFileCase{"CorruptBackground", "back.jpg", "no picture"},
        OwnFileCase{"EmptySound", "fire.wav", ""},
        OwnFileCase{"TitleMusic", "title.mid",
                    ReadFileBytes(KB_SOURCE_DIR "/assets/music02.mid").bytes}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kb::test
