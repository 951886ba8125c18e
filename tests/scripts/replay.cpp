#include "scripts/replay.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

namespace kb::test {
namespace {

std::string Trimmed(const std::string& s) {
    const auto first = s.find_first_not_of(" \t\r");
    if (first == std::string::npos) return "";
    return s.substr(first, s.find_last_not_of(" \t\r") + 1 - first);
}

// Where the JSON value starting at `at` ends: past a string, a list or a bare number.
size_t ValueEnd(const std::string& json, size_t at) {
    auto stringEnd = [&json](size_t i) {
        for (++i; i < json.size(); ++i) {
            if (json[i] == '\\')
                ++i;
            else if (json[i] == '"')
                return i + 1;
        }
        return json.size();
    };
    if (at >= json.size()) return json.size();
    if (json[at] == '"') return stringEnd(at);
    if (json[at] == '[') {
        int depth = 0;
        for (size_t i = at; i < json.size();) {
            if (json[i] == '"') {
                i = stringEnd(i);
                continue;
            }
            if (json[i] == '[') ++depth;
            if (json[i] == ']' && --depth == 0) return i + 1;
            ++i;
        }
        return json.size();
    }
    const auto end = json.find_first_of(",]}", at);
    return end == std::string::npos ? json.size() : end;
}

}  // namespace

Replay ParseReplayText(const std::string& text) {
    Replay r;
    std::istringstream in(text);
    int lineNo = 0;
    for (std::string raw; std::getline(in, raw);) {
        ++lineNo;
        const std::string line = Trimmed(raw);
        if (line.starts_with("#@ words ")) {
            r.words = Trimmed(line.substr(9));
        } else if (line.starts_with("#= ")) {
            if (r.states.empty())
                throw std::runtime_error("line " + std::to_string(lineNo) +
                                         ": #= before any state");
            std::istringstream e(line.substr(3));
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
                throw std::runtime_error("line " + std::to_string(lineNo) +
                                         ": expected #= FIELD VALUE");
            r.states.back().push_back(x);
        } else if (line.starts_with("#") || line.empty()) {
            continue;
        } else {
            // A driver line, perhaps with a trailing comment.
            const std::string command = Trimmed(line.substr(0, line.find('#')));
            if (command == "state") r.states.emplace_back();
            if (command.starts_with("shot ")) r.shots.push_back(Trimmed(command.substr(5)));
        }
    }
    return r;
}

Replay ParseReplay(const std::filesystem::path& path) {
    std::ifstream in(path);
    if (!in) throw std::runtime_error("cannot read " + path.string());
    std::stringstream text;
    text << in.rdbuf();
    Replay r = ParseReplayText(text.str());
    r.path = path;
    r.text = text.str();
    return r;
}

SimRun PlayReplay(const Replay& r, const TempDir& programDir, const std::filesystem::path& work) {
    // Shots land in the work directory, whatever directory the test runs in.
    std::istringstream in(r.text);
    std::string script;
    for (std::string line; std::getline(in, line);) {
        const std::string command = Trimmed(line.substr(0, line.find('#')));
        if (command.starts_with("shot "))
            line = "shot " + (work / Trimmed(command.substr(5))).string();
        script += line + "\n";
    }
    std::string args;
    if (r.words != "bundled") {
        std::ifstream words(r.path.parent_path() / r.words, std::ios::binary);
        if (!words) throw std::runtime_error("no word list " + r.words);
        programDir.WriteFile("str.dat", std::string(std::istreambuf_iterator<char>(words), {}));
        args = "--dir '" + programDir.Path().string() + "'";
    }
    return RunSim(script, args);
}

std::optional<std::string> StateValue(const std::string& json, const std::string& field,
                                      int index) {
    const std::string key = "\"" + field + "\":";
    const auto at = json.find(key);
    if (at == std::string::npos) return std::nullopt;
    const size_t start = at + key.size();
    const std::string value = json.substr(start, ValueEnd(json, start) - start);
    if (index < 0) return value;
    if (value.empty() || value[0] != '[') return std::nullopt;
    size_t i = 1;
    for (int k = 0; i < value.size() && value[i] != ']'; ++k) {
        const size_t end = ValueEnd(value, i);
        if (k == index) return value.substr(i, end - i);
        i = end + (end < value.size() && value[end] == ',' ? 1 : 0);
    }
    return std::nullopt;
}

}  // namespace kb::test
