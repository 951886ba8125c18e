#include "scripts/replay.h"

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <map>
#include <regex>
#include <set>
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

// A transcript's lines by where they stand: a frame's line by its frame, an effect line by the
// frame before it and its place among that frame's effects, so that one line more or less does
// not make every later line differ.
std::map<std::string, std::string> Keyed(const std::string& transcript) {
    std::map<std::string, std::string> out;
    std::istringstream in(transcript);
    std::string frame = "start";
    int effect = 0;
    for (std::string line; std::getline(in, line);) {
        const auto colon = line.find(':');
        if ((line.starts_with("frame ") || line.starts_with("state after frame ")) &&
            colon != std::string::npos) {
            // A replay without traced frames has many states after one frame: number them.
            frame = line.substr(0, colon);
            for (int n = 2; out.contains(frame); ++n)
                frame = line.substr(0, colon) + " #" + std::to_string(n);
            effect = 0;
            out[frame] = line.substr(colon + 1);
        } else {
            out[frame + " effect " + std::to_string(++effect)] = line;
        }
    }
    return out;
}

// The fields of a frame's line: " Name=value" or " Name#digest" each.
std::map<std::string, std::string> FieldsOf(const std::string& changes) {
    static const std::regex field(R"( ([A-Za-z]\w*(\[\d+\])?)([=#]))");
    std::map<std::string, std::string> out;
    std::vector<std::pair<std::string, size_t>> starts;
    for (auto m = std::sregex_iterator(changes.begin(), changes.end(), field);
         m != std::sregex_iterator(); ++m)
        starts.emplace_back((*m)[1].str(), static_cast<size_t>(m->position(3)));
    for (size_t i = 0; i < starts.size(); ++i) {
        const size_t end = i + 1 < starts.size()
                               ? starts[i + 1].second - starts[i + 1].first.size() - 1
                               : changes.size();
        out[starts[i].first] = changes.substr(starts[i].second, end - starts[i].second);
    }
    return out;
}

}  // namespace

std::string DescribeChanges(const std::string& expected, const std::string& actual) {
    if (expected == actual) return "";
    const auto was = Keyed(expected), now = Keyed(actual);
    std::set<std::string> keys;
    for (const auto& [k, v] : was) keys.insert(k);
    for (const auto& [k, v] : now) keys.insert(k);
    int frames = 0, effects = 0, fields = 0;
    std::string first;
    int shown = 0;
    for (const std::string& key : keys) {
        const auto a = was.find(key), b = now.find(key);
        const std::string before = a == was.end() ? "(none)" : a->second;
        const std::string after = b == now.end() ? "(none)" : b->second;
        if (before == after) continue;
        std::string what;
        if (key.find(" effect ") != std::string::npos) {
            ++effects;
            what = "\n    expected: " + before + "\n    actual:   " + after;
        } else {
            ++frames;
            const auto f1 = FieldsOf(before), f2 = FieldsOf(after);
            std::set<std::string> names;
            for (const auto& [n, v] : f1) names.insert(n);
            for (const auto& [n, v] : f2) names.insert(n);
            for (const std::string& n : names) {
                const std::string v1 = f1.contains(n) ? f1.at(n) : "(unchanged)";
                const std::string v2 = f2.contains(n) ? f2.at(n) : "(unchanged)";
                if (v1 == v2) continue;
                ++fields;
                what += "\n    " + n + ": " + v1 + " -> " + v2;
            }
        }
        if (shown++ < 3) first += "\n  " + key + what;
    }
    return std::to_string(frames) + " frames differ (" + std::to_string(fields) +
           " fields changed), " + std::to_string(effects) + " effect lines differ; first:" + first;
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
