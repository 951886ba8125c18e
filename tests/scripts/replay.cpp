#include "scripts/replay.h"

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <utility>

namespace kb::test {
namespace {

namespace fs = std::filesystem;

std::string Trimmed(const std::string& s) {
    const auto first = s.find_first_not_of(" \t\r");
    if (first == std::string::npos) return "";
    return s.substr(first, s.find_last_not_of(" \t\r") + 1 - first);
}

std::string Command(const std::string& line) {
    return Trimmed(line.substr(0, line.find('#')));
}

Expectation ParseExpectation(const std::string& text, int lineNo) {
    std::istringstream e(text);
    Expectation x;
    x.line = lineNo;
    e >> x.field;
    std::getline(e, x.value);
    x.value = Trimmed(x.value);
    if (const auto open = x.field.find('['); open != std::string::npos) {
        x.index = std::stoi(x.field.substr(open + 1));
        x.field.erase(open);
    }
    if (x.field.empty() || x.value.empty())
        throw std::runtime_error("line " + std::to_string(lineNo) + ": expected #= FIELD VALUE");
    return x;
}

// The top-level fields of a state, in the order printed.
std::vector<std::pair<std::string, std::string>> Fields(const std::string& json) {
    std::vector<std::pair<std::string, std::string>> out;
    for (size_t i = json.find('"'); i != std::string::npos && i < json.size();) {
        const size_t nameEnd = json.find('"', i + 1);
        const size_t end = JsonValueEnd(json, nameEnd + 2);
        out.emplace_back(json.substr(i + 1, nameEnd - i - 1),
                         json.substr(nameEnd + 2, end - nameEnd - 2));
        i = json.find('"', end);
    }
    return out;
}

// FNV-1a, in hex: enough to tell two values apart in a transcript.
std::string Digest(const std::string& text) {
    uint32_t h = 2166136261u;
    for (unsigned char c : text) h = (h ^ c) * 16777619u;
    char hex[9];
    std::snprintf(hex, sizeof hex, "%08x", h);
    return hex;
}

// " Name=value" for every field that differs from `before`; where one or two elements of a
// list changed, only those; a long list with more changes, as a digest.
std::string Changes(const std::vector<std::pair<std::string, std::string>>& before,
                    const std::vector<std::pair<std::string, std::string>>& after) {
    std::string out;
    for (size_t f = 0; f < after.size(); ++f) {
        const auto& [name, value] = after[f];
        const std::string old = f < before.size() ? before[f].second : "";
        if (value == old) continue;
        const auto was = JsonElements(old), now = JsonElements(value);
        std::string elements;
        int changed = 0;
        for (size_t i = 0; i < now.size() && i < was.size(); ++i) {
            if (now[i] == was[i]) continue;
            elements += " " + name + "[" + std::to_string(i) + "]=" + now[i];
            ++changed;
        }
        if (value[0] == '[' && !old.empty() && was.size() == now.size() && changed <= 2)
            out += elements;
        else if (now.size() > 8 && !old.empty())
            out += " " + name + "#" + Digest(value);  // a particle table: 51 numbers a frame
        else
            out += " " + name + "=" + value;
    }
    return out;
}

std::string Replaced(std::string line, const std::string& from, const std::string& to) {
    for (size_t at = line.find(from); at != std::string::npos; at = line.find(from, at))
        line.replace(at, from.size(), to);
    return line;
}

}  // namespace

std::string DescribeChanges(const std::string& expected, const std::string& actual) {
    std::istringstream was(expected), now(actual);
    for (int line = 1; was || now; ++line) {
        std::string a, b;
        std::getline(was, a);
        std::getline(now, b);
        if (a != b)
            return "line " + std::to_string(line) + " is the first to differ\n  expected: " + a +
                   "\n  actual:   " + b;
    }
    return "";
}

Replay ParseReplay(const fs::path& path) {
    std::ifstream file(path);
    if (!file) throw std::runtime_error("cannot read " + path.string());
    std::stringstream text;
    text << file.rdbuf();
    Replay r;
    r.path = path;
    r.text = text.str();
    std::istringstream in(r.text);
    int lineNo = 0;
    for (std::string raw; std::getline(in, raw);) {
        ++lineNo;
        const std::string line = Trimmed(raw);
        if (line.starts_with("#@ words ")) {
            r.words = Trimmed(line.substr(9));
        } else if (line.starts_with("#= ")) {
            if (r.states.empty())
                throw std::runtime_error("line " + std::to_string(lineNo) + ": #= before a state");
            r.states.back().push_back(ParseExpectation(line.substr(3), lineNo));
        } else if (Command(line) == "state") {
            r.states.emplace_back();
        } else if (Command(line).starts_with("shot ")) {
            r.shots.push_back(Trimmed(Command(line).substr(5)));
        }
    }
    return r;
}

ReplayRun PlayReplay(const Replay& r, const TempDir& programDir, const fs::path& work) {
    const bool everyFrame = r.words != "bundled";
    // Each `frames N` becomes N single frames, each followed by a state for the transcript.
    std::vector<bool> traced;
    std::string script;
    std::istringstream in(r.text);
    for (std::string line; std::getline(in, line);) {
        const std::string command = Command(line.starts_with("#") ? "" : line);
        if (command.starts_with("shot ")) {
            script += "shot " + (work / Trimmed(command.substr(5))).string() + "\n";
        } else if (command.starts_with("frames ") && everyFrame) {
            for (long i = std::stol(command.substr(7)); i > 0; --i) {
                script += "frames 1\nstate\n";
                traced.push_back(true);
            }
        } else {
            if (command == "state") traced.push_back(false);
            script += line + "\n";
        }
    }
    std::string args;
    if (r.words != "bundled") {
        std::ifstream words(r.path.parent_path() / r.words, std::ios::binary);
        if (!words) throw std::runtime_error("no word list " + r.words);
        programDir.WriteFile("str.dat", std::string(std::istreambuf_iterator<char>(words), {}));
        args = "--dir '" + programDir.Path().string() + "'";
    }
    ReplayRun run{RunSim(script, args), {}, {}};
    std::vector<std::pair<std::string, std::string>> before;
    size_t stateNo = 0;
    int frame = 0;
    std::istringstream out(run.sim.out);
    for (std::string line; std::getline(out, line);) {
        if (!line.starts_with("state ")) {
            line = Replaced(line, programDir.Path().string(), "<dir>");
            line = Replaced(line, work.string(), "<work>");
            run.transcript += Replaced(line, SimDir(), "<dir>") + "\n";
            continue;
        }
        const std::string json = line.substr(6);
        const bool perFrame = stateNo < traced.size() && traced[stateNo++];
        frame += perFrame ? 1 : 0;
        if (!perFrame) run.states.push_back(json);
        auto fields = Fields(json);
        const std::string changes = Changes(before, fields);
        if (!changes.empty())
            run.transcript += (perFrame ? "frame " : "state after frame ") + std::to_string(frame) +
                              ":" + changes + "\n";
        before = std::move(fields);
    }
    return run;
}

}  // namespace kb::test
