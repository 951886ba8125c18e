#include "replay/recorder.h"

#include <algorithm>
#include <map>
#include <utility>

#include "replay/replay_text.h"
#include "text/ustr.h"
#include "typing/word_file.h"

namespace kb {

namespace {

// How long the result screen is kept after the match is decided, in frames: enough for the
// explosion, the wave and the figures; a player may leave the game there for hours.
constexpr long kOverFrames = 15 * 10;

std::string Opponent(const ReplayStart& s) {
    if (s.GameMode == kModeServer) return "VS. Player [Server]";
    if (s.GameMode == kModeClient) return "VS. Player [Client]";
    return "VS. Com [" + std::to_string(s.MenuNo + 1) + "type/sec]";
}

const char* Level(Long level) {
    return level == 1 ? "Normal" : level == 2 ? "Hard" : "Easy";
}

}  // namespace

void Recorder::Attach(Game& g) {
    g_ = &g;
    g.recorder = this;
}

int Recorder::WallSecond() {
    if (!latched_) {
        second_ = machine_.WallSecond();
        latched_ = true;
    }
    return second_;
}

void Recorder::Frame() {
    if (!g_) return;
    Step({ReplayStep::kFrames, 1, {}});
    if (!recording_) return;
    if (g_->s.SceneNo == kSceneOver && ++overFrames_ > kOverFrames) return End(false);
    if (++frames_ > kReplayMaxFrames) End(false);
}

void Recorder::KeyDown(int keyCode) {
    Step({ReplayStep::kKeyDown, keyCode, {}});
}

void Recorder::KeyUp(int keyCode) {
    Step({ReplayStep::kKeyUp, keyCode, {}});
}

void Recorder::Arrival(const std::string& bytes) {
    // A peer's burst beyond what a replay holds cuts the recording short there.
    if (bytes.size() > kReplayMaxText && recording_) return End(false);
    Step({ReplayStep::kArrival, 0, bytes});
}

void Recorder::SendComplete() {
    Step({ReplayStep::kSendComplete, 0, {}});
}

void Recorder::ConnectionRequest() {
    Step({ReplayStep::kConnectionRequest, 0, {}});
}

void Recorder::ConsoleCommand(const std::u16string& text) {
    std::string bytes = ToUtf8(text);
    if (bytes.size() > kReplayMaxText && recording_) return End(false);
    Step({ReplayStep::kConsole, 0, std::move(bytes)});
}

void Recorder::Step(ReplayStep step) {
    if (!g_) return;
    if (recording_) {
        Flush();
        NoteAfterStep();
    }
    Snapshot();
    step_ = std::move(step);
    stepOpen_ = true;
    latched_ = false;
    refused_ = false;
}

void Recorder::Snapshot() {
    const GameState& s = g_->s;
    ReplayStart& r = snapshot_;
#define KB_TAKE_FIELD(name) r.name = s.name;
    KB_REPLAY_START_FIELDS(KB_TAKE_FIELD)
#undef KB_TAKE_FIELD
    r.queue.clear();
    for (const auto& message : s.SendList) {
        if (message.empty()) break;
        r.queue.push_back(message);
    }
    r.held = g_->recvBuf;
    r.rng = g_->rng.State();
    r.fps = g_->loop.Fps;
}

void Recorder::MatchStart() {
    if (!g_ || !stepOpen_) return;  // a match started outside any step cannot be replayed
    if (recording_) End(false);
    recording_ = true;
    first_ = true;
    replay_ = Replay{};
    replay_.start = snapshot_;
    lastFps_ = snapshot_.fps;
    frames_ = 0;
    overFrames_ = 0;
    replay_.wordCount = static_cast<int>(g_->Yomi.size());
    playerEntries_ = {snapshot_.WordNo};
    computerEntries_.clear();
    // The computer's first word is a random entry, drawn now from the sequence as it stands.
    Random draw = g_->rng;
    computerEntries_.insert(RandomIndex(draw, replay_.wordCount));
}

void Recorder::BackToTitle() {
    // The step that leaves the result screen belongs to the title, not to the match.
    if (recording_) End(false);
}

void Recorder::Finish() {
    if (recording_) End(true);
}

void Recorder::Flush() {
    if (!stepOpen_) return;
    stepOpen_ = false;
    if (first_) {
        first_ = false;
        replay_.start.second = latched_ ? second_ : machine_.WallSecond();
        lastSecond_ = replay_.start.second;
    } else if (latched_ && second_ != lastSecond_) {
        Add({ReplayStep::kSecond, second_, {}});
        lastSecond_ = second_;
    }
    if (refused_) Add({ReplayStep::kRefuse, 0, {}});
    Add(std::move(step_));
}

void Recorder::Add(ReplayStep step) {
    auto& steps = replay_.steps;
    if (step.kind == ReplayStep::kFrames && !steps.empty() &&
        steps.back().kind == ReplayStep::kFrames)
        steps.back().value += step.value;
    else
        steps.push_back(std::move(step));
}

void Recorder::NoteAfterStep() {
    // The frame rate is measured as a frame ends: the next one reads the new value.
    if (g_->loop.Fps != lastFps_) {
        lastFps_ = g_->loop.Fps;
        Add({ReplayStep::kFps, lastFps_, {}});
    }
    const GameState& s = g_->s;
    playerEntries_.insert(s.WordNo);
    computerEntries_.insert(s.ComWordNo);
}

void Recorder::End(bool keepStep) {
    // A step left out stays open: a match may begin in it (a peer's "50" in the middle of one).
    if (keepStep) {
        Flush();
        NoteAfterStep();
    }
    recording_ = false;
    const int n = replay_.wordCount;
    // An entry of the list the game comes with is named by its place there, which is shorter.
    const FileBytes list = ReadFileBytes(BundledList(*g_));
    std::map<std::pair<std::u16string, std::u16string>, int> places;
    if (list.opened && list.whole) {
        const WordFileResult parsed = ParseWordFile(list.bytes);
        for (size_t k = 0; k < parsed.entries.size(); ++k)
            places.emplace(parsed.entries[k], static_cast<int>(k));
    }
    for (int i : playerEntries_) {
        if (i < 0 || i >= n) continue;
        const auto place = places.find({g_->Goku[i], g_->Yomi[i]});
        if (place != places.end())
            replay_.bundled.push_back({i, place->second});
        else
            replay_.words.push_back({i, g_->Goku[i], g_->Yomi[i]});
    }
    if (!replay_.bundled.empty()) replay_.bundledCheck = ReplayCheck(list.bytes);
    for (int i : computerEntries_)
        if (i >= 0 && i < n && !playerEntries_.contains(i))
            replay_.lengths.push_back({i, static_cast<int>(g_->Yomi[i].size())});
    // A match of no frames at all shows nothing: there is nothing to watch.
    if (replay_.Frames() > 0 && onRecorded) onRecorded(WriteReplay(replay_, Note()));
    replay_ = Replay{};
}

std::string Recorder::Note() const {
    const GameState& s = g_->s;
    std::string note = Opponent(replay_.start) + ", " + Level(replay_.start.GameLevel);
    if (s.SceneNo == kSceneOver) note += ": " + ToUtf8(s.GameResult);
    return note + " after " + std::to_string(s.PlaySec) + " s";
}

}  // namespace kb
