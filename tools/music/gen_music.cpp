// Writes the game's five music files into a directory.
//
// Usage: gen_music OUTPUT_DIR
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <string>
#include <vector>

#include "pieces.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: gen_music OUTPUT_DIR\n";
        return 2;
    }
    const std::filesystem::path dir = argv[1];
    std::filesystem::create_directories(dir);
    const std::vector<std::pair<std::string, std::function<std::vector<std::uint8_t>()>>> pieces{
        {"title.mid", kb::midi::ComposeTitle},
        {"music01.mid", kb::midi::ComposeMatchBright},
        {"music02.mid", kb::midi::ComposeMatchDark},
        {"result01.mid", kb::midi::ComposeVictory},
        {"result02.mid", kb::midi::ComposeDefeat}};
    bool ok = true;
    for (const auto& [file, compose] : pieces) {
        const std::vector<std::uint8_t> image = compose();
        std::ofstream out(dir / file, std::ios::binary);
        out.write(reinterpret_cast<const char*>(image.data()),
                  static_cast<std::streamsize>(image.size()));
        if (!out) {
            std::cerr << file << ": cannot write\n";
            ok = false;
        }
    }
    return ok ? 0 : 1;
}
