// The headless driver's script reader; what a whole script does is pinned by the replays in
// tests/scripts.
#include <gtest/gtest.h>

#include <string>

#include "sim_runner.h"

namespace {

using kb::test::RunSim;
using kb::test::SimRun;

TEST(SimDriver, MalformedLineStopsWithItsNumber) {
    // The script's peer knocks only while the game listens and speaks only once connected.
    for (const char* bad :
         {"frames\n", "dance 3\n", "key 13 14\n", "type ~\n", "wait x\n", "peer knock\n",
          "peer say 01\n", "peer say\n", "peer dance\n", "peer hangup now\n"}) {
        const SimRun r = RunSim(std::string("frames 1\n") + bad);
        EXPECT_EQ(r.status, 2) << bad;
        EXPECT_NE(r.out.find("line 2"), std::string::npos) << r.out;
    }
}

}  // namespace
