#include "replay/playback.h"

#include <array>
#include <tuple>
#include <utility>

#include "audio/music.h"
#include "debug/debug_log.h"
#include "net/connection.h"
#include "net/protocol.h"
#include "platform/debug_console.h"
#include "replay/replay_text.h"
#include "shell/form.h"
#include "shell/main_loop.h"
#include "text/ustr.h"
#include "typing/key_codes.h"
#include "typing/key_input.h"
#include "typing/word_file.h"

namespace kb {

namespace {

// What a reading known only by its length holds: never shown, since the player never met it.
constexpr char16_t kUnseen = u'・';
constexpr int kDisplayW = 480;  // the size of the picture and of the surfaces it is made on
constexpr int kDisplayH = 320;

}  // namespace

// Tells the playback where its game starts a match and where it leaves for the title.
class Playback::Watch : public MatchRecorder {
  public:
    void Frame() override {}
    void KeyDown(int) override {}
    void KeyUp(int) override {}
    void Arrival(const std::string&) override {}
    void SendComplete() override {}
    void ConnectionRequest() override {}
    void SendRefused() override {}
    void ConsoleCommand(const std::u16string&) override {}
    void MatchStart() override { started = true; }
    void BackToTitle() override { left = true; }

    bool started = false;
    bool left = false;
};

// Frames skipped over are neither shown nor heard, and not drawn either: no text is set, and
// the surfaces drawn into have no pixels to draw on (every frame draws its picture afresh on
// them, so the frame landed on is drawn in full). What the frames change in the game is the
// same.
class Playback::Quiet {
  public:
    explicit Quiet(Playback& p) : g_(*p.game_), sound_(g_.sv.sound) {
        for (Surface* s : Surfaces()) s->SetFonts(&p.quietFonts_);
        for (Surface* s : DrawnInto()) s->Resize(0, 0);
        g_.sv.sound = &p.quietSound_;
        std::swap(show_, g_.Display.onRefresh);
    }
    ~Quiet() {
        for (Surface* s : Surfaces()) s->SetFonts(g_.sv.fonts);
        for (Surface* s : DrawnInto()) s->Resize(kDisplayW, kDisplayH);
        g_.sv.sound = sound_;
        std::swap(show_, g_.Display.onRefresh);
    }
    Quiet(const Quiet&) = delete;
    Quiet& operator=(const Quiet&) = delete;

  private:
    // The picture and the two surfaces the match-over picture is composed on.
    std::array<Surface*, 3> DrawnInto() { return {&g_.Display, &g_.IM, &g_.IM2}; }
    std::array<Surface*, 8> Surfaces() {
        return {&g_.Display, &g_.PIC, &g_.IM, &g_.IM2, &g_.EF, &g_.EXPpic, &g_.BACKpic, &g_.Waku};
    }
    Game& g_;
    SoundDevice* sound_;
    std::function<void(const Surface&)> show_;
};

Playback::Playback(Replay replay, Services base)
    : replay_(std::move(replay)), base_(std::move(base)), watch_(std::make_unique<Watch>()) {
    Services sv = base_;
    sv.clock = &clock_;
    sv.winsock = &winsock_;
    sv.winsockL = &winsockL_;
    sv.form2 = nullptr;
    sv.debugWin = nullptr;
    sv.dialogs = &dialogs_;  // a recorded message box was seen then; it must not stop the play
    sv.record = nullptr;     // a match watched again is not one more match of the player's
    sv.music = nullptr;      // until the title's music of loading has come and gone
    game_ = std::make_unique<Game>(sv);
    framesTotal_ = replay_.Frames();
}

Playback::~Playback() {
    // The sound device and the music are the machine's: this game lets go of what it took,
    // and the device stays open for the game that goes on.
    Game& g = *game_;
    MusicClose(g);
    for (const Long handle : g.s.SeBuf) {
        if (handle == 0) break;
        g.sv.sound->Free(handle);
    }
}

bool Playback::Start(std::string& why) {
    Game& g = *game_;
    // Loading opens the title music and the player's own word list: neither belongs to the
    // replay, so the music stays off until the match's own steps run.
    if (!Form_Load(g)) {
        why = "the game could not start";
        return false;
    }
    if (base_.music) g.sv.music = base_.music;
    if (!LoadWords(why)) return false;
    LoadStart();
    g.recorder = watch_.get();
    if (!replay_.steps.empty()) {
        if (replay_.steps[0].kind == ReplayStep::kFrames) {
            NextFrame();
        } else {
            RunStep(replay_.steps[0]);
            step_ = 1;
        }
    }
    if (!watch_->started) {
        why = "it does not begin with the start of a match";
        return false;
    }
    return true;
}

bool Playback::LoadWords(std::string& why) {
    Game& g = *game_;
    const auto n = static_cast<size_t>(replay_.wordCount);
    g.Goku.assign(n, {});
    g.Yomi.assign(n, {});
    if (!replay_.bundled.empty()) {
        const FileBytes list = ReadFileBytes(BundledList(g));
        const WordFileResult parsed = ParseWordFile(list.bytes);
        if (!list.whole || ReplayCheck(list.bytes) != replay_.bundledCheck) {
            why = "it was played on the word list that comes with Kanaburst " +
                  replay_.gameVersion + ", and the list this game comes with is another";
            return false;
        }
        for (const ReplayBundled& b : replay_.bundled) {
            if (static_cast<size_t>(b.bundled) >= parsed.entries.size()) {
                why = "it names a word its word list does not hold";
                return false;
            }
            std::tie(g.Goku[b.index], g.Yomi[b.index]) = parsed.entries[b.bundled];
        }
    }
    for (const ReplayWord& w : replay_.words) {
        g.Goku[w.index] = w.display;
        g.Yomi[w.index] = w.reading;
    }
    for (const ReplayLength& l : replay_.lengths)
        g.Yomi[l.index] = std::u16string(static_cast<size_t>(l.length), kUnseen);
    return true;
}

void Playback::LoadStart() {
    Game& g = *game_;
    GameState& s = g.s;
    const ReplayStart& r = replay_.start;
#define KB_GIVE_FIELD(name) s.name = r.name;
    KB_REPLAY_START_FIELDS(KB_GIVE_FIELD)
#undef KB_GIVE_FIELD
    for (size_t i = 0; i < s.SendList.size(); ++i)
        s.SendList[i] = i < r.queue.size() ? r.queue[i] : std::u16string();
    g.recvBuf = r.held;
    g.rng.Seed(r.rng);
    g.loop.Fps = r.fps;
    clock_.SetSecond(r.second);
}

void Playback::RunFrame() {
    Game& g = *game_;
    clock_.Advance(static_cast<uint32_t>(g.loop.FrameInterval));
    g.loop.NowTime = g.loop.LastFrameTime = clock_.TimeGetTime();
    Main_Loop(g);
    ++framesRun_;
    // The rate measured at the end of this frame belongs to it, as the loop sets it there.
    while (step_ < replay_.steps.size() && replay_.steps[step_].kind == ReplayStep::kFps) {
        RunStep(replay_.steps[step_]);
        ++step_;
    }
    if (onFrame) onFrame();
}

void Playback::RunStep(const ReplayStep& s) {
    Game& g = *game_;
    switch (s.kind) {
        case ReplayStep::kFrames:
            break;
        case ReplayStep::kKeyDown:
            Display_KeyDown(g, s.value, 0);
            break;
        case ReplayStep::kKeyUp:
            Display_KeyUp(g, s.value, 0);
            break;
        case ReplayStep::kSecond:
            clock_.SetSecond(s.value);
            break;
        case ReplayStep::kFps:
            g.loop.Fps = s.value;
            break;
        case ReplayStep::kArrival:
            winsock_.Receive(s.bytes);
            Winsock_DataArrival(g, static_cast<int32_t>(s.bytes.size()));
            break;
        case ReplayStep::kSendComplete:
            SendEND(g);
            break;
        case ReplayStep::kConnectionRequest:
            WinsockL_ConnectionRequest(g, 0);
            break;
        case ReplayStep::kRefuse:
            winsock_.RefuseNext();
            break;
        case ReplayStep::kConsole:
            DebugWin(g).SetCommandText(FromUtf8(s.bytes));
            SndTxt_KeyDown(g, kVkReturn, 0);
            break;
    }
}

bool Playback::AtEnd() const {
    return step_ >= replay_.steps.size() || game_->ended || watch_->left;
}

bool Playback::NextFrame() {
    while (!AtEnd()) {
        const ReplayStep& s = replay_.steps[step_];
        if (s.kind == ReplayStep::kFrames) {
            if (++doneInStep_ >= s.value) {
                ++step_;
                doneInStep_ = 0;
            }
            RunFrame();
            return true;
        }
        ++step_;
        RunStep(s);
    }
    return false;
}

void Playback::RunTo(size_t step) {
    while (step_ < step && !AtEnd()) {
        const ReplayStep& s = replay_.steps[step_];
        if (s.kind != ReplayStep::kFrames) {
            ++step_;
            RunStep(s);
            continue;
        }
        const size_t at = step_;
        while (step_ == at && !AtEnd()) NextFrame();
    }
}

void Playback::SkipWhile(const std::function<bool()>& more) {
    if (AtEnd()) return;  // the last frame stays as it is shown
    {
        Quiet quiet(*this);
        while (!AtEnd() && framesRun_ < framesTotal_ - 1 && more()) NextFrame();
    }
    NextFrame();
}

void Playback::SkipToDecision() {
    SkipWhile([this] { return game_->s.SceneNo != kSceneOver; });
}

void Playback::SkipToEnd() {
    SkipWhile([] { return true; });
}

}  // namespace kb
