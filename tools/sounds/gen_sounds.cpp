// Writes the game's ten sound effects into a directory.
//
// Usage: gen_sounds OUTPUT_DIR     render, check and write every effect
//        gen_sounds --check DIR    check the effect files already in DIR
// Exits 1 when a file breaks a rule of sound_check.h or cannot be written.
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "effects.h"
#include "sound_check.h"
#include "wav_file.h"

namespace {

bool Report(const std::string& file, const std::vector<std::uint8_t>& image) {
    const std::vector<std::string> faults = kb::sfx::CheckWavImage(image);
    for (const std::string& fault : faults) std::cerr << file << ": " << fault << '\n';
    return faults.empty();
}

int WriteAll(const std::filesystem::path& dir) {
    std::filesystem::create_directories(dir);
    bool ok = true;
    for (const kb::sfx::Effect& effect : kb::sfx::AllEffects()) {
        const std::vector<std::uint8_t> image = kb::sfx::EncodeWav(effect.samples);
        ok = Report(effect.file, image) && ok;
        std::ofstream out(dir / effect.file, std::ios::binary);
        out.write(reinterpret_cast<const char*>(image.data()),
                  static_cast<std::streamsize>(image.size()));
        if (!out) {
            std::cerr << effect.file << ": cannot write\n";
            ok = false;
        }
    }
    return ok ? 0 : 1;
}

int CheckAll(const std::filesystem::path& dir) {
    bool ok = true;
    for (const kb::sfx::Effect& effect : kb::sfx::AllEffects()) {
        std::ifstream in(dir / effect.file, std::ios::binary);
        if (!in) {
            std::cerr << effect.file << ": missing\n";
            ok = false;
            continue;
        }
        const std::vector<std::uint8_t> image{std::istreambuf_iterator<char>(in), {}};
        ok = Report(effect.file, image) && ok;
    }
    return ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 1 && args[0] != "--check") return WriteAll(args[0]);
    if (args.size() == 2 && args[0] == "--check") return CheckAll(args[1]);
    std::cerr << "usage: gen_sounds OUTPUT_DIR | gen_sounds --check DIR\n";
    return 2;
}
