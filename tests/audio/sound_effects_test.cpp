// The sound-effect slots over a sound library that records what it is asked to do.
#include "audio/sound_effects.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace kb {
namespace {

namespace fs = std::filesystem;

// Hands out buffer handles 100, 101, ... and remembers the file image of each.
class RecordingSoundDevice : public SoundDevice {
  public:
    int32_t device = 7;
    std::map<int32_t, std::string> images;
    std::vector<std::string> calls;

    int32_t Initialize() override { return device; }
    int32_t CreateBuffer(int32_t dev, const uint8_t* image, size_t size, int32_t flags) override {
        calls.push_back("create " + std::to_string(dev) + " " + std::to_string(flags));
        images[next_] = std::string(reinterpret_cast<const char*>(image), size);
        return next_++;
    }
    void Play(int32_t b) override { calls.push_back("play " + std::to_string(b)); }
    void PlayEx(int32_t b, int32_t value, int32_t pan, int32_t freq) override {
        calls.push_back("playex " + std::to_string(b) + " " + std::to_string(value) + " " +
                        std::to_string(pan) + " " + std::to_string(freq));
    }
    void Stop(int32_t b) override { calls.push_back("stop " + std::to_string(b)); }
    void Free(int32_t b) override { calls.push_back("free " + std::to_string(b)); }
    void Terminate(int32_t dev) override { calls.push_back("terminate " + std::to_string(dev)); }

  private:
    int32_t next_ = 100;
};

const std::vector<std::string> kFiles = {"fire.wav", "exp.wav",    "exp2.wav",  "spup.wav",
                                         "open.wav", "select.wav", "frame.wav", "encounter.wav",
                                         "er.wav",   "Hit.wav"};

class SoundSlots : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("kb-sound-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    // Each file holds its own name, so a buffer's image tells which file it came from.
    void WriteAll() {
        for (const auto& f : kFiles) Write(f, f);
    }
    void Write(const std::string& name, const std::string& content) {
        std::ofstream(dir_ / name, std::ios::binary) << content;
    }
    Game& Start() {
        Services sv;
        sv.sound = &device_;
        sv.programDir = dir_.string();
        sv.trace = [this](std::string_view line) { lines_.emplace_back(line); };
        game_ = std::make_unique<Game>(sv);
        SndInit(*game_);
        seInit(*game_);
        return *game_;
    }
    std::string FileOfSlot(int slot) {
        const int32_t h = game_->s.SeBuf[slot];
        return h == 0 ? "" : device_.images.at(h);
    }

    fs::path dir_;
    RecordingSoundDevice device_;
    std::unique_ptr<Game> game_;
    std::vector<std::string> lines_;
};

TEST_F(SoundSlots, AllFilesPresentFillSlotsZeroToFifteenFromTheTable) {
    WriteAll();
    Game& g = Start();
    const std::vector<std::string> expected = {
        "fire.wav", "fire.wav",   "exp.wav",   "exp2.wav",      "spup.wav", "spup.wav",
        "open.wav", "select.wav", "frame.wav", "encounter.wav", "er.wav",   "Hit.wav",
        "Hit.wav",  "Hit.wav",    "Hit.wav",   "Hit.wav"};
    for (int slot = 0; slot < kSeLoadedSlots; ++slot) {
        EXPECT_NE(g.s.SeBuf[slot], 0) << slot;
        EXPECT_EQ(FileOfSlot(slot), expected[slot]) << slot;
    }
    for (int slot = kSeLoadedSlots; slot < kSeSlots; ++slot) EXPECT_EQ(g.s.SeBuf[slot], 0) << slot;
    // Every buffer of the same file is a separate one, so the copies can sound together.
    EXPECT_NE(g.s.SeBuf[kSeHitFirst], g.s.SeBuf[kSeHitFirst + kSeHitSlots - 1]);
    EXPECT_EQ(device_.calls[0], "create 7 1");
    EXPECT_TRUE(lines_.empty()) << lines_[0];
}

TEST_F(SoundSlots, ShutdownFreesUpToTheFirstEmptySlotThenTerminates) {
    struct Case {
        std::string missing;
        int firstEmpty;
    };
    for (const Case& c : std::vector<Case>{{"", kSeLoadedSlots},
                                           {"spup.wav", kSeMyPowerUp},
                                           {"fire.wav", kSeMyLaunch},
                                           {"Hit.wav", kSeHitFirst},
                                           {"open.wav", kSeSpeedUp}}) {
        SCOPED_TRACE(c.missing);
        WriteAll();
        if (!c.missing.empty()) fs::remove(dir_ / c.missing);
        device_ = RecordingSoundDevice();
        Game& g = Start();
        device_.calls.clear();
        FreeSounds(g);
        std::vector<std::string> expected;
        for (int slot = 0; slot < c.firstEmpty; ++slot)
            expected.push_back("free " + std::to_string(g.s.SeBuf[slot]));
        expected.push_back("terminate 7");
        EXPECT_EQ(device_.calls, expected);
    }
}

TEST_F(SoundSlots, MissingFileLeavesItsSlotsEmptySilently) {
    WriteAll();
    fs::remove(dir_ / "spup.wav");
    Game& g = Start();
    EXPECT_EQ(g.s.SeBuf[kSeMyPowerUp], 0);
    EXPECT_EQ(g.s.SeBuf[kSeEnPowerUp], 0);
    EXPECT_EQ(FileOfSlot(kSeSpeedUp), "open.wav");  // later slots still load
    EXPECT_TRUE(lines_.empty());
}

TEST_F(SoundSlots, FileNameCaseCounts) {
    WriteAll();
    fs::remove(dir_ / "Hit.wav");
    Write("hit.wav", "hit.wav");
    Game& g = Start();
    for (int slot = kSeHitFirst; slot < kSeHitFirst + kSeHitSlots; ++slot)
        EXPECT_EQ(g.s.SeBuf[slot], 0) << slot;
    EXPECT_EQ(FileOfSlot(kSeMiss), "er.wav");
}

TEST_F(SoundSlots, EmptyFileShowsTheLibraryWarningAndLoadingGoesOn) {
    WriteAll();
    Write("exp.wav", "");
    Game& g = Start();
    EXPECT_EQ(g.s.SeBuf[kSeCollision], 0);
    EXPECT_EQ(FileOfSlot(kSeBaseHit), "exp2.wav");
    EXPECT_EQ(lines_, std::vector<std::string>{"msgbox VbDSnd.Dll|Input past end of file"});
}

TEST_F(SoundSlots, UnreadableFileShowsTheLibraryWarning) {
    if (::geteuid() == 0) GTEST_SKIP() << "root reads every file";
    WriteAll();
    fs::permissions(dir_ / "er.wav", fs::perms::none);
    Game& g = Start();
    EXPECT_EQ(g.s.SeBuf[kSeMiss], 0);
    EXPECT_EQ(FileOfSlot(kSeHitFirst), "Hit.wav");
    EXPECT_EQ(lines_, std::vector<std::string>{"msgbox VbDSnd.Dll|Permission denied"});
}

TEST_F(SoundSlots, FileThatFailsWhileReadingShowsTheLibraryWarning) {
    WriteAll();
    fs::remove(dir_ / "er.wav");
    fs::create_symlink("/proc/self/mem", dir_ / "er.wav");  // opens, but reading fails
    Game& g = Start();
    EXPECT_EQ(g.s.SeBuf[kSeMiss], 0);
    EXPECT_EQ(FileOfSlot(kSeHitFirst), "Hit.wav");
    EXPECT_EQ(lines_, std::vector<std::string>{"msgbox VbDSnd.Dll|Device I/O error"});
}

TEST_F(SoundSlots, NoDeviceWarnsOnceAndEverySlotStaysEmpty) {
    WriteAll();
    device_.device = 0;
    Game& g = Start();
    EXPECT_EQ(lines_, std::vector<std::string>{
                          "msgbox VbDSnd.Dll|Direct Soundインターフェースが作成できません。"});
    for (int slot = 0; slot < kSeSlots; ++slot) EXPECT_EQ(g.s.SeBuf[slot], 0) << slot;
    EXPECT_TRUE(device_.calls.empty());
    PlaySe(g, kSeMyLaunch, kPanFullRight);
    PlayNormal(g, kSeMove);
    FreeSounds(g);
    EXPECT_EQ(device_.calls, (std::vector<std::string>{"playex 0 0 10000 14000", "play 0"}));
}

TEST_F(SoundSlots, PlayOperationsTraceTheirSlotAndReachTheSlotBuffer) {
    WriteAll();
    Game& g = Start();
    device_.calls.clear();
    lines_.clear();
    // Collisions at the player's launch positions 416 and 32, as the missiles compute them.
    PlaySe(g, kSeCollision, 7333);
    PlaySe(g, kSeCollision, -8667);
    StopSe(g, kSeMyLaunch);
    PlaySe(g, kSeMyLaunch, kPanFullRight);
    PlayNormal(g, kSeHitFirst + 2);
    const std::string exp = std::to_string(g.s.SeBuf[kSeCollision]);
    EXPECT_EQ(lines_, (std::vector<std::string>{"sound playex 2 7333 14000",
                                                "sound playex 2 -8667 14000", "sound stop 0",
                                                "sound playex 0 10000 14000", "sound play 13"}));
    EXPECT_EQ(device_.calls,
              (std::vector<std::string>{
                  "playex " + exp + " 0 7333 14000", "playex " + exp + " 0 -8667 14000",
                  "stop " + std::to_string(g.s.SeBuf[kSeMyLaunch]),
                  "playex " + std::to_string(g.s.SeBuf[kSeMyLaunch]) + " 0 10000 14000",
                  "play " + std::to_string(g.s.SeBuf[kSeHitFirst + 2])}));
}

TEST_F(SoundSlots, PlayExAddsTheShiftToTheBaseFrequency) {
    WriteAll();
    Game& g = Start();
    device_.calls.clear();
    SndPlayEx(g, 55, 0, -300, 1000);
    EXPECT_EQ(device_.calls, std::vector<std::string>{"playex 55 0 -300 23000"});
}

}  // namespace
}  // namespace kb
