// The headless driver end to end: scripts in, effect lines and screenshots out.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "sim_runner.h"

namespace {

namespace fs = std::filesystem;

using kb::test::RunSim;
using kb::test::SimRun;

std::string Field(const std::string& out, const std::string& name) {
    return kb::test::JsonField(out, name);
}

TEST(SimDriver, WaitThenStateShowsTheSurfaceAndSteadyFrameRate) {
    const fs::path png =
        fs::temp_directory_path() / ("kb-sim-shot-" + std::to_string(::getpid()) + ".png");
    const SimRun r = RunSim("# a comment\n\nwait 3000\nstate\nshot " + png.string() + "\n");
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(Field(r.out, "DispW"), "480");
    EXPECT_EQ(Field(r.out, "DispH"), "320");
    EXPECT_EQ(Field(r.out, "TwipsX"), "15");
    EXPECT_EQ(Field(r.out, "TwipsY"), "15");
    EXPECT_EQ(Field(r.out, "Fps"), "15");
    std::ifstream in(png, std::ios::binary);
    char header[24] = {};
    in.read(header, sizeof header);
    ASSERT_TRUE(in.good());
    EXPECT_EQ(std::string(header + 1, 3), "PNG");
    auto be32 = [&](int at) {
        return (static_cast<unsigned char>(header[at]) << 24) |
               (static_cast<unsigned char>(header[at + 1]) << 16) |
               (static_cast<unsigned char>(header[at + 2]) << 8) |
               static_cast<unsigned char>(header[at + 3]);
    };
    EXPECT_EQ(be32(16), 480);
    EXPECT_EQ(be32(20), 320);
    fs::remove(png);
}

TEST(SimDriver, FirstSecondMeasuresOneFrame) {
    const SimRun r = RunSim("frames 2\nstate\n");
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(Field(r.out, "Fps"), "1");
}

TEST(SimDriver, MalformedLineStopsWithItsNumber) {
    for (const char* bad : {"frames\n", "dance 3\n", "key 13 14\n", "type ~\n", "wait x\n"}) {
        const SimRun r = RunSim(std::string("frames 1\n") + bad);
        EXPECT_EQ(r.status, 2) << bad;
        EXPECT_NE(r.out.find("line 2"), std::string::npos) << r.out;
    }
}

TEST(SimDriver, SameSeedSameGame) {
    const std::string script = "wait 1000\nstate\n";
    const SimRun a = RunSim(script, "--seed 7"), b = RunSim(script, "--seed 7");
    ASSERT_EQ(a.status, 0) << a.out;
    EXPECT_EQ(a.out, b.out);
}

}  // namespace
