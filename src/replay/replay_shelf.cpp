#include "replay/replay_shelf.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <sstream>
#include <vector>

#include "replay/replay_text.h"

namespace kb {

namespace fs = std::filesystem;

namespace {

// 20260107-153012: the names sort as the matches were played.
std::string Stamp(std::time_t when) {
    std::tm local{};
    localtime_r(&when, &local);
    std::ostringstream out;
    out << std::put_time(&local, "%Y%m%d-%H%M%S");
    return out.str();
}

}  // namespace

bool ReadReplayFile(const std::string& path, Replay& out, std::string& why) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        why = "cannot open " + path + ": " + std::strerror(errno);
        return false;
    }
    std::string text(kReplayMaxBytes + 1, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    if (in.bad()) {
        why = "cannot read " + path;
        return false;
    }
    text.resize(static_cast<size_t>(in.gcount()));
    if (text.size() > kReplayMaxBytes) {
        why = "the file is too large to be a replay (a replay is at most " +
              std::to_string(kReplayMaxBytes / 1024) + " KB)";
        return false;
    }
    return ReadReplay(text, out, why);
}

bool ReplayShelf::Keep(const std::string& text, std::time_t when, std::string& why) const {
    std::error_code ec;
    fs::create_directories(dir_, ec);
    if (ec) {
        why = "cannot make " + dir_ + ": " + ec.message();
        return false;
    }
    // Two matches ended within one second get a number after the time (sorting after it).
    const std::string stamp = Stamp(when);
    fs::path file = fs::path(dir_) / (stamp + std::string(kReplayExtension));
    for (int n = 2; fs::exists(file, ec); ++n)
        file = fs::path(dir_) / (stamp + "_" + std::to_string(n) + std::string(kReplayExtension));
    {
        std::ofstream out(file, std::ios::binary);
        out << text;
        if (!out.flush()) {
            why = "cannot write " + file.string();
            out.close();
            fs::remove(file, ec);
            return false;
        }
    }
    std::vector<fs::path> kept;
    for (const auto& entry : fs::directory_iterator(dir_, ec))
        if (entry.path().extension() == kReplayExtension && entry.is_regular_file(ec))
            kept.push_back(entry.path());
    if (kept.size() <= keep_) return true;
    std::sort(kept.begin(), kept.end());
    for (size_t i = 0; i + keep_ < kept.size(); ++i) fs::remove(kept[i], ec);
    return true;
}

}  // namespace kb
