#pragma once
// A player for long matches against the computer: it types each reading as a quick typist does
// (a key every other frame, held for one), and fires only to stop the computer's missiles, so
// that the match goes on, until it is told to win. With it a match of any length can be
// recorded to measure replays by.
#include <map>
#include <string>
#include <vector>

#include "battle/missiles.h"
#include "shell/game.h"
#include "typing/key_codes.h"
#include "typing/key_input.h"
#include "typing/roma_to_kana.h"

namespace kb::test {

class Typist {
  public:
    // Before each frame: presses or releases the next key. After `winFrom` frames it fires
    // every word it finishes.
    void Act(Game& g, long frame, long winFrom) {
        if (held_ != 0) {
            Display_KeyUp(g, held_, 0);
            held_ = 0;
            return;
        }
        if (keys_.empty()) Plan(g, frame >= winFrom);
        if (keys_.empty()) return;
        held_ = keys_.front();
        keys_.erase(keys_.begin());
        Display_KeyDown(g, held_, 0);
    }

  private:
    // The keys of each kana unit, the shortest that types it.
    static const std::map<std::u16string, std::string>& Units() {
        static const std::map<std::u16string, std::string> units = [] {
            std::map<std::u16string, std::string> m;
            const std::string keys = "abcdefghijklmnopqrstuvwxyz-,.0123456789";
            std::vector<std::string> all;
            for (char a : keys) {
                all.push_back({a});
                for (char b : keys) {
                    all.push_back({a, b});
                    for (char c : keys) all.push_back({a, b, c});
                }
            }
            for (const std::string& s : all) {
                const std::u16string kana = RomaToKana(std::u16string(s.begin(), s.end()));
                if (!kana.empty() && (!m.contains(kana) || m[kana].size() > s.size())) m[kana] = s;
            }
            return m;
        }();
        return units;
    }

    void Plan(Game& g, bool atWill) {
        const GameState& s = g.s;
        const std::u16string reading =
            s.WordNo < static_cast<int>(g.Yomi.size()) ? g.Yomi[s.WordNo] : u"";
        if (s.StartCount != 0 || s.SceneNo != kSceneMatch) return;
        if (s.KanaPos < static_cast<int>(reading.size())) {
            // The longest unit that starts the rest of the reading.
            for (size_t n = std::min<size_t>(3, reading.size() - s.KanaPos); n > 0; --n) {
                const auto unit = Units().find(reading.substr(s.KanaPos, n));
                if (unit == Units().end()) continue;
                for (char c : unit->second) keys_.push_back(KeyCodeForChar(c));
                return;
            }
            return;  // a reading no key types: the word stays
        }
        // The word is ready: the lane of the computer's missile nearest, if none of ours is
        // there to meet it.
        int lane = -1;
        for (int i = 0; i < kLanes; ++i)
            if (s.EnMisState[i] == kMisFlying && s.MyMisState[i] != kMisFlying &&
                (lane < 0 || s.EnMisX[i] > s.EnMisX[lane]))
                lane = i;
        if (lane < 0 && !atWill) return;
        if (lane < 0) lane = s.LaneNo;
        for (int i = s.LaneNo; i != lane; i = (i + 1) % kLanes) keys_.push_back(kVkDown);
        keys_.push_back(kVkReturn);
    }

    int held_ = 0;
    std::vector<int> keys_;
};

}  // namespace kb::test
