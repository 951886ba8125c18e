// The programs' own command lines: --help names every option their parsers take and every
// environment variable their code reads, each option it lists is taken, --version prints the
// project's version, and anything else gets one usage line and status 2.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "run_command.h"

namespace kb::test {
namespace {

struct Program {
    std::string name;
    std::vector<std::string> parser;  // the sources whose "--option" literals it takes
    std::set<std::string> notRead;    // variables some code reads but never this program's
    std::string manPage;              // empty: it has none
};

const std::vector<Program>& Programs() {
    static const std::vector<Program> programs = {
        {"kanaburst",
         {"src/app/kanaburst_main.cpp", "src/app/command_line.cpp"},
         {},
         "packaging/kanaburst.6.in"},
        {"kanaburst-sim",
         {"src/app/sim_main.cpp", "src/app/command_line.cpp"},
         // No window, no player's folder, its effect lines on stdout.
         {"KB_TRACE", "KB_FRAME_LOG", "XDG_DATA_HOME", "HOME", "SDL_VIDEODRIVER"},
         ""},
    };
    return programs;
}

std::string Read(const std::string& sourcePath) {
    std::ifstream in(std::string(KB_SOURCE_DIR) + "/" + sourcePath, std::ios::binary);
    EXPECT_TRUE(in) << sourcePath;
    return {std::istreambuf_iterator<char>(in), {}};
}

// Every C++ file of the game and its programs.
std::vector<std::string> Sources() {
    std::vector<std::string> files;
    for (const auto& entry :
         std::filesystem::recursive_directory_iterator(std::string(KB_SOURCE_DIR) + "/src")) {
        const auto ext = entry.path().extension();
        if (ext == ".cpp" || ext == ".h")
            files.push_back(entry.path().lexically_relative(KB_SOURCE_DIR).string());
    }
    return files;
}

// Every distinct first group of PATTERN over the files.
std::set<std::string> Matches(const std::vector<std::string>& files, const std::string& pattern) {
    std::set<std::string> found;
    const std::regex re(pattern);
    for (const std::string& file : files) {
        const std::string text = Read(file);
        for (std::sregex_iterator it(text.begin(), text.end(), re), end; it != end; ++it)
            found.insert((*it)[1]);
    }
    return found;
}

std::string Command(const std::string& program, const std::string& args) {
    return std::string(KB_BINARY_DIR) + "/" + program + " " + args + " </dev/null";
}

// The options the help lists, at the start of a line in its option list, with their argument.
std::vector<std::pair<std::string, std::string>> ListedOptions(const std::string& help) {
    std::vector<std::pair<std::string, std::string>> options;
    const std::regex line(R"(^  (--[a-z-]+)(?: ([A-Z]+))?( |$))");
    std::istringstream in(help);
    for (std::string l; std::getline(in, l);) {
        std::smatch m;
        if (std::regex_search(l, m, line)) options.emplace_back(m[1], m[2]);
    }
    return options;
}

// The help and the manual name every option the parser takes and every variable the code
// reads, each option the help lists is taken, and the window program's help says where this
// copy reads its files.
TEST(CommandLine, HelpAndManualNameEveryOptionAndVariable) {
    const std::map<std::string, std::string> examples = {{"URL", "mqtt://127.0.0.1:1"},
                                                         {"DIR", KB_BINARY_DIR},
                                                         {"N", "7"},
                                                         {"NAME", "Taro"},
                                                         {"FILE", "/dev/null"}};
    const auto read = Matches(Sources(), R"re(getenv\("([A-Z_]+)"\))re");
    EXPECT_TRUE(read.contains("KB_PORT"));
    for (const Program& p : Programs()) {
        const CommandRun help = RunCommand(Command(p.name, "--help"));
        ASSERT_EQ(help.status, 0) << p.name;
        EXPECT_EQ(help.err, "") << p.name;
        const std::string manual = p.manPage.empty() ? "" : Read(p.manPage);
        const auto taken = Matches(p.parser, R"re("(--[a-z][a-z-]*)")re");
        EXPECT_GE(taken.size(), 3u) << p.name;  // at least --help, --version and one of its own
        std::set<std::string> listed;
        for (const auto& [option, arg] : ListedOptions(help.out)) {
            listed.insert(option);
            // Taken, the option lets the parser go on to --version (or answers itself).
            const std::string args =
                option + (arg.empty() ? "" : " '" + examples.at(arg) + "'") + " --version";
            const CommandRun r = RunCommand(Command(p.name, args));
            EXPECT_EQ(r.status, 0) << p.name << " " << args << ": " << r.err;
            EXPECT_EQ(r.err, "") << p.name << " " << args;
        }
        EXPECT_EQ(listed, taken) << p.name << "'s help lists other options than it takes";
        const std::string usage = help.out.substr(0, help.out.find('\n'));
        for (const std::string& option : taken) {
            EXPECT_NE(usage.find("[" + option), std::string::npos) << p.name << ": " << option;
            const std::string roff = std::regex_replace(option, std::regex("-"), "\\-");
            if (!p.manPage.empty()) {
                EXPECT_NE(manual.find(roff), std::string::npos) << p.manPage << " lacks " << option;
            }
        }
        if (p.name == "kanaburst") {
            // The build's copy is not installed: its own directory, and no player's folder.
            EXPECT_NE(help.out.find("    " + std::string(KB_BINARY_DIR) + "/\n"),
                      std::string::npos);
            EXPECT_NE(help.out.find("This copy is not installed"), std::string::npos) << help.out;
        }
        for (const std::string& name : read) {
            if (p.notRead.contains(name)) continue;
            EXPECT_NE(help.out.find(name), std::string::npos) << p.name << "'s help lacks " << name;
            if (!p.manPage.empty()) {
                EXPECT_NE(manual.find(name), std::string::npos) << p.manPage << " lacks " << name;
            }
        }
    }
}

// The version of the newest entry of debian/changelog: the package and the programs must agree.
std::string ChangelogVersion() {
    const std::string first = Read("debian/changelog").substr(0, 80);
    std::smatch m;
    EXPECT_TRUE(std::regex_search(first, m, std::regex(R"(\(([^)]+)\))")));
    return m[1];
}

TEST(CommandLine, VersionIsTheProjectVersion) {
    ASSERT_EQ(ChangelogVersion(), KB_PROJECT_VERSION);
    for (const Program& p : Programs()) {
        const CommandRun r = RunCommand(Command(p.name, "--version"));
        EXPECT_EQ(r.status, 0) << p.name;
        EXPECT_EQ(r.out, p.name + " " + KB_PROJECT_VERSION + "\n");
        EXPECT_EQ(r.err, "") << p.name;
    }
}

TEST(CommandLine, ACommandLineNotTakenGetsOneUsageLineAndStatusTwo) {
    const std::pair<std::string, std::vector<std::string>> cases[] = {
        {"kanaburst", {"--bogus", "--relay", "-h", "words.dat", "--relay x --helpx"}},
        {"kanaburst-sim",
         {"--bogus", "--seed", "--seed 12x", "--seed -1", "--seed 4294967296", "--dir",
          "--version=1"}},
    };
    for (const auto& [program, lines] : cases) {
        for (const std::string& args : lines) {
            const CommandRun r = RunCommand(Command(program, args));
            EXPECT_EQ(r.status, 2) << program << " " << args;
            EXPECT_EQ(r.out, "") << program << " " << args;
            EXPECT_TRUE(r.err.starts_with("usage: " + program + " ")) << r.err;
            EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        }
    }
}

TEST(CommandLine, ARoomNameThatShowsNothingIsRefusedByBothPrograms) {
    for (const Program& p : Programs()) {
        const CommandRun r = RunCommand(Command(p.name, "--host-public ' \t'"));
        EXPECT_EQ(r.status, 2) << p.name;
        EXPECT_EQ(r.err, p.name + ": the name for --host-public shows nothing\n");
    }
}

}  // namespace
}  // namespace kb::test
