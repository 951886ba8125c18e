// Replay files of any bytes: the reader refuses them with a reason or reads them, and what it
// reads is written back to the same replay and played (its first frames) in a game of its own
// without a crash, a hang, or a send queue with a gap; as a link's deflated bytes, they unpack to
// no more than a replay holds, or are refused with a reason.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "replay/playback.h"
#include "replay/replay_link.h"
#include "replay/replay_text.h"
#include "started_game.h"

namespace {

constexpr long kFramesPlayed = 300;  // enough for the count-down and the first words

using kb::fuzz::Check;

bool SameStart(const kb::ReplayStart& a, const kb::ReplayStart& b) {
    return a.KeyState == b.KeyState && a.KeyHold == b.KeyHold && a.LastKeyUp == b.LastKeyUp &&
           a.ShiftDown == b.ShiftDown && a.LastKeyStr == b.LastKeyStr && a.WordNo == b.WordNo &&
           a.MenuNo == b.MenuNo && a.GameLevel == b.GameLevel && a.GameMode == b.GameMode &&
           a.queue == b.queue && a.held == b.held && a.rng == b.rng && a.second == b.second &&
           a.fps == b.fps;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    kb::Replay r;
    std::string why;
    // The same bytes as a link's: unpacked to no more than a replay holds, or refused.
    std::string unpacked;
    if (kb::UnpackLink(text, unpacked, why))
        Check(unpacked.size() <= kb::kReplayMaxBytes);
    else
        Check(!why.empty() && unpacked.empty());
    why.clear();
    if (!kb::ReadReplay(text, r, why)) {
        Check(!why.empty());
        return 0;
    }
    Check(r.Frames() <= kb::kReplayMaxFrames);
    kb::Replay again;
    Check(kb::ReadReplay(kb::WriteReplay(r), again, why));
    Check(again.steps == r.steps && SameStart(again.start, r.start));
    Check(again.wordCount == r.wordCount && again.words.size() == r.words.size() &&
          again.lengths.size() == r.lengths.size());

    kb::Services machine;
    // Empty, so that loading is quick and reads nothing of ours.
    static const std::string kProgramDir = kb::fuzz::NewProgramDir("");
    machine.programDir = kProgramDir;
    kb::Playback p(std::move(r), machine);
    if (!p.Start(why)) return 0;
    while (p.FramesRun() < kFramesPlayed && p.NextFrame()) {
        const auto& list = p.game().s.SendList;
        bool gap = false;
        for (size_t i = 1; i < list.size(); ++i) {
            Check(!(gap && !list[i].empty()));
            gap = gap || list[i].empty();
        }
    }
    Check(p.FramesRun() <= p.FramesTotal());
    return 0;
}
