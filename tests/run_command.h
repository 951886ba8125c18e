#pragma once
// Runs a shell command line and keeps what it printed on stdout and on stderr apart.
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace kb::test {

struct CommandRun {
    int status = -1;  // exit status, -1 when it did not exit normally
    std::string out;
    std::string err;
};

inline CommandRun RunCommand(const std::string& command) {
    const std::filesystem::path errFile =
        std::filesystem::temp_directory_path() / ("kb-err-" + std::to_string(::getpid()) + ".txt");
    CommandRun r;
    if (FILE* p = popen((command + " 2>'" + errFile.string() + "'").c_str(), "r")) {
        char buf[4096];
        size_t n;
        while ((n = fread(buf, 1, sizeof buf, p)) > 0) r.out.append(buf, n);
        const int raw = pclose(p);
        r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    }
    std::ifstream in(errFile, std::ios::binary);
    r.err.assign(std::istreambuf_iterator<char>(in), {});
    std::filesystem::remove(errFile);
    return r;
}

}  // namespace kb::test
