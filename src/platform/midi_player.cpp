#include "platform/midi_player.h"

#include <algorithm>
#include <fstream>
#include <iterator>

namespace kb {

bool ReadMidiFile(const std::string& path, std::vector<uint8_t>& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    static constexpr uint8_t kHeader[] = {'M', 'T', 'h', 'd'};
    return !in.bad() && bytes.size() >= sizeof kHeader &&
           std::equal(std::begin(kHeader), std::end(kHeader), bytes.begin());
}

bool SilentMidiPlayer::Open(const std::string& path) {
    std::vector<uint8_t> bytes;
    playing_ = false;
    return ReadMidiFile(path, bytes);
}

}  // namespace kb
