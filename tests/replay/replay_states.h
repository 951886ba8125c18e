#pragma once
// Holding a replay to the match it recorded: the state of every frame of the match, as the
// live game printed it, against the state of every frame played back.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sim_runner.h"

namespace kb::test {

// A state as a replay must repeat it: everything, but of the word list only the current entry.
// A replay carries the entries the match read, so the lists themselves differ where it did not.
inline std::string Comparable(const std::string& json) {
    const auto goku = json.find(",\"Goku\":");
    const auto yomi = json.find(",\"Yomi\":");
    if (goku == std::string::npos || yomi == std::string::npos) return json;
    const size_t yomiEnd = JsonValueEnd(json, yomi + 8);
    const int w = std::stoi(JsonField(json, "WordNo"));
    return json.substr(0, goku) + ",\"Word\":[" + JsonField(json, "Goku", w) + "," +
           JsonField(json, "Yomi", w) + "]" + json.substr(yomiEnd);
}

// The states printed by a run with --frame-states, made comparable.
inline std::vector<std::string> FrameStates(const SimRun& run) {
    std::vector<std::string> out;
    for (const std::string& s : run.states) out.push_back(Comparable(s));
    return out;
}

// The first field that differs between two states, for the failure message.
inline std::string FirstDifference(const std::string& a, const std::string& b) {
    size_t i = 0;
    while (i < a.size() && i < b.size() && a[i] == b[i]) ++i;
    const size_t from = a.rfind(",\"", i) == std::string::npos ? 0 : a.rfind(",\"", i);
    return "live:   " + a.substr(from, i - from + 60) +
           "\nplayed: " + b.substr(from, i - from + 60);
}

// Every played frame is the live frame it stands for: the live frames are taken from the first
// one of the last match on (the frame, or the arrival, that began it comes before), the match a
// recording keeps.
inline void ExpectSameFrames(const std::vector<std::string>& live,
                             const std::vector<std::string>& played, size_t atLeast) {
    size_t first = live.size();
    for (size_t i = 0; i < live.size(); ++i)
        if (JsonField(live[i], "SceneNo") != "0" &&
            (i == 0 || JsonField(live[i - 1], "SceneNo") == "0"))
            first = i;
    ASSERT_GE(played.size(), atLeast);
    ASSERT_LE(first + played.size(), live.size()) << "the replay has more frames than the match";
    for (size_t i = 0; i < played.size(); ++i)
        ASSERT_EQ(live[first + i], played[i]) << "frame " << i + 1 << " of the replay\n"
                                              << FirstDifference(live[first + i], played[i]);
}

}  // namespace kb::test
