#pragma once
// A Game for unit tests: its own empty program directory, a clock that only moves when told
// to, and every traced effect line collected in order.
//
//   TestGame t;                       // seed 1, clock at 3600000 ms
//   t.WriteFile("str.dat", "...");    // into the program directory
//   Start_Init(t.g);
//   EXPECT_TRUE(t.Traced("msgbox Kanaburst|"));
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/clock.h"
#include "shell/game.h"

namespace kb::test {

// The file's bytes; none when it cannot be read.
inline std::string ReadText(const std::filesystem::path& file) {
    return ReadFileBytes(file.string()).bytes;
}

// Sets or (with nullptr) unsets a variable for one scope, and puts it back.
class ScopedEnv {
  public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        const char* old = std::getenv(name);
        had_ = old != nullptr;
        if (had_) old_ = old;
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~ScopedEnv() {
        if (had_)
            setenv(name_, old_.c_str(), 1);
        else
            unsetenv(name_);
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

  private:
    const char* name_;
    bool had_ = false;
    std::string old_;
};

// A fresh directory under the system's temporary directory, removed with everything in it.
class TempDir {
  public:
    TempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "kb-test-XXXXXX").string();
        if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot make a temporary directory");
        path_ = pattern;
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return path_; }

    // Writes the bytes exactly as given (no line-end translation).
    void WriteFile(const std::string& name, std::string_view bytes) const {
        std::ofstream out(path_ / name, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        if (!out) throw std::runtime_error("cannot write " + (path_ / name).string());
    }

  private:
    std::filesystem::path path_;
};

class TestGame {
  public:
    explicit TestGame(uint32_t seed = 1) : TestGame(Services{}, seed) {}
    // `extra` supplies services of the test's own (a recording sound device, a socket pair);
    // the clock is ours unless it brings one, the program directory and the trace always are.
    explicit TestGame(Services extra, uint32_t seed = 1)
        : clock(3600000, seed), g(MakeServices(std::move(extra))) {
        g.rng.Seed(seed);
    }

    void WriteFile(const std::string& name, std::string_view bytes) const {
        dir.WriteFile(name, bytes);
    }

    // True when some traced line equals `line` exactly.
    bool Traced(std::string_view line) const {
        return std::find(trace.begin(), trace.end(), line) != trace.end();
    }
    // The traced lines that start with `prefix`, in order.
    std::vector<std::string> TracedStartingWith(std::string_view prefix) const {
        std::vector<std::string> out;
        for (const auto& l : trace)
            if (std::string_view(l).starts_with(prefix)) out.push_back(l);
        return out;
    }

    TempDir dir;
    VirtualClock clock;
    std::vector<std::string> trace;
    Game g;

  private:
    Services MakeServices(Services sv) {
        if (!sv.clock) sv.clock = &clock;
        sv.programDir = dir.Path().string();
        sv.trace = [this](std::string_view line) { trace.emplace_back(line); };
        return sv;
    }
};

}  // namespace kb::test
