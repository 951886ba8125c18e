// The README and docs/ stay true to the tree: every relative link names a file (and a heading of
// it after '#'), every path of the tree written as code exists, and every `make TARGET` named is a
// target of the Makefile. The README stays a front door with the two commands.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace kb::test {
namespace {

namespace fs = std::filesystem;

const fs::path kTop = KB_SOURCE_DIR;

std::string Read(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::vector<fs::path> Documents() {
    std::vector<fs::path> docs = {kTop / "README.md"};
    for (const auto& entry : fs::directory_iterator(kTop / "docs"))
        if (entry.path().extension() == ".md") docs.push_back(entry.path());
    std::sort(docs.begin(), docs.end());
    return docs;
}

// A heading's anchor as the forges make it: lower case, punctuation dropped, blanks as '-'.
std::string Anchor(std::string heading) {
    std::string out;
    for (unsigned char c : heading) {
        if (c >= 0x80 || std::isalnum(c) || c == '-' || c == '_')
            out += static_cast<char>(std::tolower(c));
        else if (c == ' ')
            out += '-';
    }
    return out;
}

// The text outside fenced code blocks, line by line.
std::vector<std::string> ProseLines(const std::string& text) {
    std::vector<std::string> lines;
    bool fenced = false;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (line.starts_with("```")) fenced = !fenced;
        if (!fenced) lines.push_back(line);
    }
    return lines;
}

std::set<std::string> Anchors(const std::string& text) {
    std::set<std::string> anchors;
    const std::regex heading(R"(^#+ +(.*?) *$)");
    for (const std::string& line : ProseLines(text)) {
        std::smatch m;
        if (std::regex_match(line, m, heading)) anchors.insert(Anchor(m[1]));
    }
    return anchors;
}

// Every link target in the text, images included, that is not a web address.
std::vector<std::string> RelativeLinks(const std::string& text) {
    std::vector<std::string> links;
    const std::regex link(R"(\]\(([^)\s]+)\))");
    for (const std::string& line : ProseLines(text)) {
        if (line.starts_with("    ")) continue;  // an indented code block
        for (std::sregex_iterator it(line.begin(), line.end(), link), end; it != end; ++it) {
            const std::string target = (*it)[1];
            if (!std::regex_search(target, std::regex("^[a-z]+:"))) links.push_back(target);
        }
    }
    return links;
}

// The text written as code: inline code spans and the lines of indented code blocks.
std::vector<std::string> CodeParts(const std::string& text) {
    std::vector<std::string> parts;
    const std::regex span("`([^`]+)`");
    for (const std::string& line : ProseLines(text)) {
        if (line.starts_with("    ")) {
            parts.push_back(line);
            continue;
        }
        for (std::sregex_iterator it(line.begin(), line.end(), span), end; it != end; ++it)
            parts.push_back((*it)[1]);
    }
    return parts;
}

// The make targets named in code (`make test`, `make relay RELAY_PORT=1884`, `... && make web`).
std::set<std::string> MakeTargetsNamed(const std::string& text) {
    std::set<std::string> targets;
    const std::regex make(R"((?:^|[\s;&|(])make ([a-z][a-z0-9-]*))");
    for (const std::string& code : CodeParts(text))
        for (std::sregex_iterator it(code.begin(), code.end(), make), end; it != end; ++it)
            targets.insert((*it)[1]);
    return targets;
}

std::set<std::string> MakefileTargets() {
    std::set<std::string> targets;
    const std::string makefile = Read(kTop / "Makefile");
    const std::regex rule(R"((?:^|\n)([a-z][a-z0-9-]*) *:(?!=))");
    for (std::sregex_iterator it(makefile.begin(), makefile.end(), rule), end; it != end; ++it)
        targets.insert((*it)[1]);
    return targets;
}

// The paths into the tree's own folders written in code; globs and placeholders left out.
std::set<std::string> TreePathsNamed(const std::string& text) {
    std::set<std::string> paths;
    const std::regex path(
        R"((?:^|[\s(=])((?:src|tests|tools|relay|bench|fuzz|packaging|debian|web|docs|assets|cmake|\.ci)/[^\s`'"),;:]*))");
    for (const std::string& code : CodeParts(text)) {
        for (std::sregex_iterator it(code.begin(), code.end(), path), end; it != end; ++it) {
            std::string p = (*it)[1];
            if (p.find_first_of("*<>{}$") != std::string::npos) continue;
            while (p.ends_with('.')) p.pop_back();
            paths.insert(p);
        }
    }
    return paths;
}

TEST(DocsLinks, TheCheckerReadsLinksAnchorsTargetsAndPaths) {
    const std::string doc =
        "# Kanaburst\n## Rooms: playing across the `internet`\n### The page's figures\n"
        "See [a](docs/playing.md#rooms), ![b](docs/pictures/title.png) and "
        "[web](https://example.org/x) or [here](#the-pages-figures).\n"
        "    make relay RELAY_PORT=1884 && build/kanaburst-sim tests/scripts/kaki5.dat\n"
        "Run `make test`, `cd x && make web`, not make sure; see `tools/web/*.js` and "
        "`tests/golden/<script>.trace`, `relay/run.sh`.\n"
        "```\n## not a heading [x](nowhere.md) `make never`\n```\n";
    EXPECT_EQ(Anchors(doc), (std::set<std::string>{"kanaburst", "rooms-playing-across-the-internet",
                                                   "the-pages-figures"}));
    EXPECT_EQ(RelativeLinks(doc),
              (std::vector<std::string>{"docs/playing.md#rooms", "docs/pictures/title.png",
                                        "#the-pages-figures"}));
    EXPECT_EQ(MakeTargetsNamed(doc), (std::set<std::string>{"relay", "test", "web"}));
    EXPECT_EQ(TreePathsNamed(doc),
              (std::set<std::string>{"tests/scripts/kaki5.dat", "relay/run.sh"}));
}

TEST(DocsLinks, EveryRelativeLinkNamesAFileAndItsHeading) {
    for (const fs::path& doc : Documents()) {
        for (const std::string& link : RelativeLinks(Read(doc))) {
            const auto hash = link.find('#');
            const fs::path target = hash == 0 ? doc : doc.parent_path() / link.substr(0, hash);
            ASSERT_TRUE(fs::exists(target)) << doc.filename() << " links to " << link;
            if (hash == std::string::npos) continue;
            EXPECT_TRUE(Anchors(Read(target)).contains(link.substr(hash + 1)))
                << doc.filename() << " links to " << link << ", a heading " << target.filename()
                << " lacks";
        }
    }
}

TEST(DocsLinks, EveryMakeTargetNamedIsInTheMakefile) {
    const std::set<std::string> targets = MakefileTargets();
    ASSERT_TRUE(targets.contains("run") && targets.contains("test"));
    for (const fs::path& doc : Documents())
        for (const std::string& target : MakeTargetsNamed(Read(doc)))
            EXPECT_TRUE(targets.contains(target)) << doc.filename() << " names make " << target;
}

TEST(DocsLinks, EveryPathOfTheTreeNamedExists) {
    for (const fs::path& doc : Documents())
        for (const std::string& path : TreePathsNamed(Read(doc)))
            EXPECT_TRUE(fs::exists(kTop / path)) << doc.filename() << " names " << path;
}

TEST(DocsLinks, TheReadmeIsAFrontDoorWithTheTwoCommands) {
    const std::string readme = Read(kTop / "README.md");
    EXPECT_LE(std::count(readme.begin(), readme.end(), '\n'), 150);
    // The two commands within the first 40 lines.
    size_t top = 0;
    for (int line = 0; line < 40 && top != std::string::npos; ++line)
        top = readme.find('\n', top + 1);
    const auto targets = MakeTargetsNamed(readme.substr(0, top));
    EXPECT_TRUE(targets.contains("run") && targets.contains("test"))
        << "the two commands belong near the top";
    for (const fs::path& doc : Documents()) {
        if (doc.parent_path() == kTop / "docs") {
            EXPECT_NE(readme.find("(docs/" + doc.filename().string() + ")"), std::string::npos)
                << "the README does not lead to " << doc.filename();
        }
    }
}

}  // namespace
}  // namespace kb::test
