#pragma once
// Runs the headless driver binary on a script and collects what it printed.
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace kb::test {

struct SimRun {
    int status = -1;                  // exit status, -1 when it did not exit normally
    std::string out;                  // everything printed, stderr included
    std::vector<std::string> states;  // the JSON of each `state` line, in order

    // True when `line` was printed as a whole line.
    bool Has(const std::string& line) const {
        return ("\n" + out).find("\n" + line + "\n") != std::string::npos;
    }
    // The printed lines that start with prefix.
    std::vector<std::string> LinesStartingWith(const std::string& prefix) const {
        std::vector<std::string> lines;
        std::istringstream in(out);
        for (std::string line; std::getline(in, line);)
            if (line.starts_with(prefix)) lines.push_back(line);
        return lines;
    }
};

// args go before the script path, e.g. "--dir /tmp/x --seed 3".
inline SimRun RunSim(const std::string& script, const std::string& args = "") {
    static std::atomic<int> counter{0};
    const std::filesystem::path file =
        std::filesystem::temp_directory_path() /
        ("kb-sim-" + std::to_string(::getpid()) + "-" + std::to_string(counter++) + ".txt");
    std::ofstream(file) << script;
    const std::string cmd =
        std::string(KB_BINARY_DIR) + "/kanaburst-sim " + args + " '" + file.string() + "' 2>&1";
    SimRun r;
    if (FILE* p = popen(cmd.c_str(), "r")) {
        char buf[4096];
        size_t n;
        while ((n = fread(buf, 1, sizeof buf, p)) > 0) r.out.append(buf, n);
        const int raw = pclose(p);
        r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    }
    std::filesystem::remove(file);
    for (const std::string& line : r.LinesStartingWith("state "))
        r.states.push_back(line.substr(6));
    return r;
}

// The raw JSON value of a field of a `state` line: a number, a quoted string or a whole list.
inline std::string JsonField(const std::string& json, const std::string& name) {
    const auto at = json.find("\"" + name + "\":");
    if (at == std::string::npos) return "<missing>";
    const auto start = at + name.size() + 3;
    if (json[start] == '[') return json.substr(start, json.find(']', start) + 1 - start);
    if (json[start] == '"') return json.substr(start, json.find('"', start + 1) + 1 - start);
    return json.substr(start, json.find_first_of(",}", start) - start);
}

}  // namespace kb::test
