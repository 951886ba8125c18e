#include "audio/sound_effects.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <iterator>
#include <vector>

namespace kb {

namespace {

// The slot table, in loading order: launches and power-ups have a slot per side, and the
// typing sound rotates over five copies so that quick hits overlap instead of cutting off.
constexpr const char* kSlotFiles[] = {
    "fire.wav", "fire.wav",   "exp.wav",   "exp2.wav",      "spup.wav", "spup.wav",
    "open.wav", "select.wav", "frame.wav", "encounter.wav", "er.wav",   "Hit.wav",
    "Hit.wav",  "Hit.wav",    "Hit.wav",   "Hit.wav",
};
static_assert(std::size(kSlotFiles) == kSeLoadedSlots);

constexpr int32_t kBaseFrequency = 22000;
constexpr int32_t kFrequencyShift = -8000;

struct LoadError {
    const char16_t* text;
};

std::vector<uint8_t> ReadWhole(const std::string& path) {
    const FileBytes file = ReadFileBytes(path);
    if (!file.opened)
        throw LoadError{file.openError == EACCES ? u"Permission denied"
                                                 : u"Path/File access error"};
    if (!file.whole) throw LoadError{u"Device I/O error"};
    if (file.bytes.empty()) throw LoadError{u"Input past end of file"};
    return {file.bytes.begin(), file.bytes.end()};
}

}  // namespace

void SndInit(Game& g) {
    g.DsHandle = g.sv.sound->Initialize();
    if (g.DsHandle == 0) SndError(g, u"Direct Soundインターフェースが作成できません。");
}

int32_t SndLoad(Game& g, const std::string& path, int32_t flags) {
    if (g.DsHandle == 0) return 0;
    // A look-up by the exact name, as FilePresent does for names in the program's directory.
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return 0;
    try {
        const std::vector<uint8_t> image = ReadWhole(path);
        return g.sv.sound->CreateBuffer(g.DsHandle, image.data(), image.size(), flags);
    } catch (const LoadError& e) {
        SndError(g, e.text);
        return 0;
    }
}

void SndPlayEx(Game& g, int32_t handle, int32_t value, int32_t pan, int32_t shift) {
    g.sv.sound->PlayEx(handle, value, pan, kBaseFrequency + shift);
}

void SndTerm(Game& g) {
    if (g.DsHandle != 0) g.sv.sound->Terminate(g.DsHandle);
}

void SndError(Game& g, const std::u16string& text) {
    MsgBox(g, text, u"VbDSnd.Dll", Dialogs::Icon::kWarning);
}

void seInit(Game& g) {
    int slot = 0;
    for (const char* file : kSlotFiles) g.s.SeBuf[slot++] = SndLoad(g, ProgramFile(g, file), 1);
}

void PlaySe(Game& g, int slot, int pan) {
    g.Trace("sound playex " + std::to_string(slot) + " " + std::to_string(pan) + " " +
            std::to_string(kBaseFrequency + kFrequencyShift));
    SndPlayEx(g, g.s.SeBuf[slot], 0, pan, kFrequencyShift);
}

void PlayNormal(Game& g, int slot) {
    g.Trace("sound play " + std::to_string(slot));
    g.sv.sound->Play(g.s.SeBuf[slot]);
}

void StopSe(Game& g, int slot) {
    g.Trace("sound stop " + std::to_string(slot));
    g.sv.sound->Stop(g.s.SeBuf[slot]);
}

void FreeSounds(Game& g) {
    for (const Long handle : g.s.SeBuf) {
        if (handle == 0) break;  // slots behind the first empty one are never visited
        g.sv.sound->Free(handle);
    }
    SndTerm(g);
}

}  // namespace kb
