// The driver's console lines end to end: console, copy, closeconsole.
#include <gtest/gtest.h>

#include <string>

#include "sim_runner.h"

namespace kb::test {
namespace {

std::string RunConsole(const std::string& script) {
    const SimRun r = RunSim(script);
    EXPECT_EQ(r.status, 0) << r.out;
    return r.out;
}

bool Has(const std::string& out, const std::string& line) {
    return ("\n" + out).find("\n" + line + "\n") != std::string::npos;
}

TEST(ConsoleDriver, CommandsTypedWhileHiddenAreTracedNotLogged) {
    const std::string out = RunConsole("console 0401\ncopy\n");
    EXPECT_TRUE(Has(out, "send 0401")) << out;
    EXPECT_TRUE(Has(out, "log 0 0401")) << out;
    EXPECT_TRUE(Has(out, "log 2 DEBUG : 0401")) << out;
    EXPECT_TRUE(Has(out, "clipboard ")) << out;
}

TEST(ConsoleDriver, OpenedConsoleLogsAndCopiesWithCrLf) {
    const std::string out = RunConsole("mouse 2 1 31 31\nconsole 4\ncopy\n");
    EXPECT_TRUE(Has(out, "log 2 DEBUG : 4")) << out;
    const auto at = out.find("clipboard ");
    ASSERT_NE(at, std::string::npos) << out;
    const std::string clip = out.substr(at, out.find('\n', at) - at);
    EXPECT_EQ(clip, "clipboard ← SND : 04\\r\\nDEBUG : 4\\r\\n");
}

TEST(ConsoleDriver, GestureWithCtrlLeavesItHidden) {
    const std::string out =
        RunConsole("mouse 2 3 31 31\nmouse 1 1 0 0\nmouse 2 1 32 0\nconsole 1\ncopy\n");
    EXPECT_TRUE(Has(out, "clipboard ")) << out;
}

TEST(ConsoleDriver, ClosingDiscardsTheLog) {
    const std::string out =
        RunConsole("mouse 2 1 0 0\nconsole 2\ncloseconsole\nmouse 2 1 0 0\ncopy\n");
    EXPECT_TRUE(Has(out, "log 2 DEBUG : 2")) << out;
    EXPECT_TRUE(Has(out, "clipboard ")) << out;
}

}  // namespace
}  // namespace kb::test
