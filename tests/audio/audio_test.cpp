// The sound-effect slots over a sound library that records what it is asked to do, and the
// music commands: the interpreter's answers, and the match piece that starts again when it ends.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "audio/music.h"
#include "audio/sound_effects.h"
#include "platform/mci_commands.h"
#include "platform/midi_player.h"
#include "test_game.h"

namespace kb {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

// Hands out buffer handles 100, 101, ... and remembers the file image of each.
class RecordingSoundDevice : public SoundDevice {
  public:
    int32_t device = 7;
    std::map<int32_t, std::string> images;
    Lines calls;

    int32_t Initialize() override { return device; }
    int32_t CreateBuffer(int32_t, const uint8_t* image, size_t size, int32_t) override {
        const int32_t b = 100 + static_cast<int32_t>(images.size());
        images[b] = std::string(reinterpret_cast<const char*>(image), size);
        return b;
    }
    void Play(int32_t b) override { Call("play", b); }
    void PlayEx(int32_t b, int32_t, int32_t pan, int32_t freq) override {
        Call("playex", b, " " + std::to_string(pan) + " " + std::to_string(freq));
    }
    void Stop(int32_t b) override { Call("stop", b); }
    void Free(int32_t b) override { Call("free", b); }
    void Terminate(int32_t dev) override { Call("terminate", dev); }
    void Call(const std::string& what, int32_t b, const std::string& rest = "") {
        calls.push_back(what + " " + std::to_string(b) + rest);
    }
};

Services WithSound(SoundDevice& device) {
    Services sv;
    sv.sound = &device;
    return sv;
}

// Each file holds its own name, so a buffer's image tells which file it came from. A slot
// whose file is missing stays empty silently; one that cannot be read shows the library's
// warning; loading goes on either way, and shutdown frees up to the first empty slot.
TEST(SoundSlots, LoadingFromTheTableAndWhatABrokenFileLeaves) {
    const Lines files = {"fire.wav",  "fire.wav",      "exp.wav",  "exp2.wav",
                         "spup.wav",  "spup.wav",      "open.wav", "select.wav",
                         "frame.wav", "encounter.wav", "er.wav",   "Hit.wav",
                         "Hit.wav",   "Hit.wav",       "Hit.wav",  "Hit.wav"};
    const struct {
        std::function<void(const fs::path&)> spoil;
        std::set<int> empty;
        Lines lines;
    } rows[] = {
        {[](const fs::path&) {}, {}, {}},
        {[](const fs::path& d) { fs::remove(d / "spup.wav"); }, {kSeMyPowerUp, kSeEnPowerUp}, {}},
        {[](const fs::path& d) { fs::rename(d / "Hit.wav", d / "hit.wav"); },  // case counts
         {11, 12, 13, 14, 15},
         {}},
        {[](const fs::path& d) { fs::resize_file(d / "exp.wav", 0); },
         {kSeCollision},
         {"msgbox VbDSnd.Dll|Input past end of file"}},
        {[](const fs::path& d) {  // opens, but reading fails
             fs::remove(d / "er.wav");
             fs::create_symlink("/proc/self/mem", d / "er.wav");
         },
         {kSeMiss},
         {"msgbox VbDSnd.Dll|Device I/O error"}},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(&r - rows);
        RecordingSoundDevice device;
        test::TestGame t(WithSound(device));
        for (const auto& f : files) t.WriteFile(f, f);
        r.spoil(t.dir.Path());
        SndInit(t.g);
        seInit(t.g);
        Lines freed;
        for (int slot = 0; slot < kSeSlots; ++slot) {
            const int32_t h = t.g.s.SeBuf[slot];
            EXPECT_EQ(h == 0, slot >= kSeLoadedSlots || r.empty.contains(slot)) << slot;
            EXPECT_EQ(device.images[h], h == 0 ? "" : files[slot]) << slot;
            if (freed.size() == static_cast<size_t>(slot) && h != 0)
                freed.push_back("free " + std::to_string(h));
        }
        EXPECT_EQ(t.TracedStartingWith("msgbox "), r.lines);
        FreeSounds(t.g);
        freed.push_back("terminate 7");
        EXPECT_EQ(device.calls, freed);
    }
}

TEST(SoundSlots, NoDeviceWarnsOnceAndTheGameGoesOnSilent) {
    RecordingSoundDevice device;
    device.device = 0;
    test::TestGame t(WithSound(device));
    t.WriteFile("fire.wav", "fire.wav");
    SndInit(t.g);
    seInit(t.g);
    EXPECT_EQ(t.TracedStartingWith("msgbox "),
              Lines{"msgbox VbDSnd.Dll|Direct Soundインターフェースが作成できません。"});
    EXPECT_EQ(t.g.s.SeBuf[kSeMyLaunch], 0);
    PlaySe(t.g, kSeMyLaunch, kPanFullRight);
    FreeSounds(t.g);
    EXPECT_EQ(device.calls, Lines{"playex 0 10000 14000"});
}

TEST(MusicCommands, OnePieceUnderOneAliasWhateverTheCase) {
    test::TempDir dir;
    const std::string piece = (dir.Path() / "a b.mid").string();  // a blank in the path
    dir.WriteFile("a b.mid", std::string("MThd\0\0\0\6", 8));
    dir.WriteFile("song.txt", "not music");
    const struct {
        std::string command;
        int32_t result;
        std::string answer = "";
    } rows[] = {
        {"play Media", kMciNoSuchAlias},
        {"open \"" + (dir.Path() / "missing.mid").string() + "\" alias Media", kMciCannotOpen},
        {"open \"" + (dir.Path() / "song.txt").string() + "\" alias Media", kMciCannotOpen},
        {"open \"" + piece + "\" Media", kMciBadArguments},
        {"open \"" + piece + " alias Media", kMciBadArguments},
        {"close Media", kMciNoSuchAlias},
        {"open \"" + piece + "\" alias Media", kMciOk},
        {"open \"" + piece + "\" alias Other", kMciAliasInUse},
        {"", kMciBadArguments},
        {"pause Media", kMciUnknownCommand},
        {"status Media position", kMciBadArguments},
        {"play Media from 0", kMciBadArguments},
        {"play", kMciNoSuchAlias},
        {"status Media mode", kMciOk, "stopped"},
        {"PLAY media", kMciOk},
        {"status MEDIA mode", kMciOk, "playing"},
        {"Seek Media To Start", kMciOk},
        {"status Media mode", kMciOk, "stopped"},
        {"close mEdIa", kMciOk},
        {"play Media", kMciNoSuchAlias},
    };
    SilentMidiPlayer player;
    MciMusicDevice device(player);
    for (const auto& r : rows) {
        SCOPED_TRACE(r.command);
        std::string answer = "left over";
        EXPECT_EQ(device.SendString(r.command, answer), r.result);
        EXPECT_EQ(answer, r.answer);
    }
}

TEST(MusicLoop, MatchPieceIsHeldAtItsStartThenStartsAgainWhenItEnds) {
    SilentMidiPlayer player;
    MciMusicDevice device(player);
    test::TestGame t([&] {
        Services sv;
        sv.music = &device;
        return sv;
    }());
    t.WriteFile("m.mid", "MThd");
    MusicPlay(t.g, (t.dir.Path() / "m.mid").string());
    MusicPause(t.g);
    EXPECT_FALSE(player.Playing());
    MusicLoop(t.g);  // the first frame after the count-down starts it
    EXPECT_TRUE(player.Playing());
    player.EndPiece();
    t.trace.clear();
    MusicLoop(t.g);
    MusicLoop(t.g);  // still playing: only the question
    EXPECT_EQ(t.trace,
              (std::vector<std::string>{"music status Media mode", "music seek Media to start",
                                        "music play Media", "music status Media mode"}));
    EXPECT_TRUE(player.Playing());
}

}  // namespace
}  // namespace kb
