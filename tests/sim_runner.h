#pragma once
// Runs the headless driver binary on a script and collects what it printed.
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
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

    // The printed lines that start with prefix.
    std::vector<std::string> LinesStartingWith(const std::string& prefix) const {
        std::vector<std::string> lines;
        std::istringstream in(out);
        for (std::string line; std::getline(in, line);)
            if (line.starts_with(prefix)) lines.push_back(line);
        return lines;
    }
};

// The driver under test and its directory: the native one in the build directory, unless
// KB_SIM_COMMAND names another build of it (the WebAssembly one under node) whose program
// directory is KB_SIM_DIR. A run without --dir is given the driver's directory.
inline std::string SimDir() {
    const char* dir = std::getenv("KB_SIM_COMMAND") ? std::getenv("KB_SIM_DIR") : nullptr;
    return dir ? dir : KB_BINARY_DIR;
}

// args go before the script path, e.g. "--dir /tmp/x --seed 3". native: the native driver,
// whatever KB_SIM_COMMAND names.
inline SimRun RunSim(const std::string& script, std::string args = "", bool native = false) {
    static std::atomic<int> counter{0};
    const std::filesystem::path file =
        std::filesystem::temp_directory_path() /
        ("kb-sim-" + std::to_string(::getpid()) + "-" + std::to_string(counter++) + ".txt");
    std::ofstream(file) << script;
    const char* command = native ? nullptr : std::getenv("KB_SIM_COMMAND");
    const std::string dir = native ? KB_BINARY_DIR : SimDir();
    if (args.find("--dir") == std::string::npos) args += " --dir '" + dir + "'";
    const std::string cmd = (command ? std::string(command) : dir + "/kanaburst-sim") + " " + args +
                            " '" + file.string() + "' 2>&1";
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

// Where the JSON value starting at `at` ends: past a string, a list or a bare number.
inline size_t JsonValueEnd(const std::string& json, size_t at) {
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

// The elements of a JSON list, each as its raw text.
inline std::vector<std::string> JsonElements(const std::string& list) {
    std::vector<std::string> out;
    for (size_t i = 1; i < list.size() && list[i] != ']';) {
        const size_t end = JsonValueEnd(list, i);
        out.push_back(list.substr(i, end - i));
        i = end + (end < list.size() && list[end] == ',' ? 1 : 0);
    }
    return out;
}

// The raw JSON text of a field of a `state` line (a number, a quoted string or a whole list),
// or of element `index` of a list field; "<missing>" when there is no such field or element.
inline std::string JsonField(const std::string& json, const std::string& name, int index = -1) {
    const std::string key = "\"" + name + "\":";
    const auto at = json.find(key);
    if (at == std::string::npos) return "<missing>";
    const size_t start = at + key.size();
    const std::string value = json.substr(start, JsonValueEnd(json, start) - start);
    if (index < 0) return value;
    const auto elements = JsonElements(value);
    return index < static_cast<int>(elements.size()) ? elements[index] : "<missing>";
}

}  // namespace kb::test
