#include "platform/web/web_midi_player.h"

#include <emscripten.h>

#include <cstdint>
#include <vector>

namespace kb {

// A page without its music script plays nothing, silently.
bool WebMidiPlayer::Open(const std::string& path) {
    std::vector<uint8_t> bytes;
    if (!ReadMidiFile(path, bytes)) return false;
    EM_ASM(
        {
            if (window.kanaburstMusic) kanaburstMusic.open(HEAPU8.subarray($0, $0 + $1), $2);
        },
        bytes.data(), bytes.size(), MidiLengthMs(bytes));
    return true;
}

void WebMidiPlayer::Play() {
    EM_ASM({
        if (window.kanaburstMusic) kanaburstMusic.play();
    });
}

void WebMidiPlayer::Stop() {
    EM_ASM({
        if (window.kanaburstMusic) kanaburstMusic.stop();
    });
}

void WebMidiPlayer::Rewind() {
    EM_ASM({
        if (window.kanaburstMusic) kanaburstMusic.rewind();
    });
}

bool WebMidiPlayer::Playing() {
    return EM_ASM_INT({ return window.kanaburstMusic && kanaburstMusic.playing() ? 1 : 0; }) != 0;
}

void WebMidiPlayer::Close() {
    EM_ASM({
        if (window.kanaburstMusic) kanaburstMusic.close();
    });
}

}  // namespace kb
