#include "platform/web/web_midi_player.h"

#include <cstdint>
#include <vector>

#include "platform/web/page_script.h"

namespace kb {

// A page without its music script plays nothing, silently.
bool WebMidiPlayer::Open(const std::string& path) {
    std::vector<uint8_t> bytes;
    if (!ReadMidiFile(path, bytes)) return false;
    kb_music_open(bytes.data(), bytes.size(), MidiLengthMs(bytes));
    return true;
}

void WebMidiPlayer::Play() {
    kb_music_play();
}

void WebMidiPlayer::Stop() {
    kb_music_stop();
}

void WebMidiPlayer::Rewind() {
    kb_music_rewind();
}

bool WebMidiPlayer::Playing() {
    return kb_music_playing() != 0;
}

void WebMidiPlayer::Close() {
    kb_music_close();
}

}  // namespace kb
