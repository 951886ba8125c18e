#include "battle/computer.h"

#include <cmath>

#include "battle/missiles.h"
#include "typing/word_list.h"

namespace kb {

namespace {

constexpr Integer kFirstCharDelay = 45;  // frames from the end of the count-down
constexpr Integer kNoLimit = 480;        // right of every launch x

Integer ReadingLength(const Game& g, int i) {
    return static_cast<Integer>(ReadingAt(g, i).size());
}

// The pause after a word, which is also the wait for the next word's first character:
// two seconds of frames, shortened by a third of a second on Normal and half a second on Hard.
Integer Pause(const Game& g) {
    const Long fps = g.loop.Fps;
    const Integer twoSeconds = static_cast<Integer>(2 * fps);
    switch (g.s.GameLevel) {
        case 1:
            return static_cast<Integer>(std::nearbyint(twoSeconds - fps / 3.0));
        case 2:
            return static_cast<Integer>(std::nearbyint(twoSeconds - fps / 2.0));
        default:
            return twoSeconds;
    }
}

// The lane of the player's flying missile nearest the computer's base among the lanes the
// computer has nothing in; on equal x the lower lane. -1 when there is none.
int AimedLane(const GameState& s) {
    int lane = -1;
    Integer limit = kNoLimit;
    for (int i = 0; i < kLanes; ++i) {
        if (s.EnMisState[i] == kMisEmpty && s.MyMisState[i] == kMisFlying && s.MyMisX[i] < limit) {
            lane = i;
            limit = s.MyMisX[i];
        }
    }
    return lane;
}

}  // namespace

void Com_Init(Game& g) {
    GameState& s = g.s;
    const int n = static_cast<int>(g.Yomi.size());
    // Only the first word is picked at random; the rest come from the end of the list backwards.
    s.ComWordLen = ReadingLength(g, RandomIndex(g, n));
    s.ComPos = 0;
    // Menu items 0..4 are 1..5 characters a second; the two fastest both come out at 3 frames.
    s.ComWait = static_cast<Integer>(std::floor(15.0 / (s.MenuNo + 1)));
    s.ComTimer = kFirstCharDelay;
    s.ComWordNo = static_cast<Integer>(n - 1);
}

void Com_AI(Game& g) {
    GameState& s = g.s;
    if (s.StartCount != 0 || s.GameMode != kModeCom) return;

    s.ComTimer = static_cast<Integer>(s.ComTimer - 1);
    if (s.ComTimer >= 1) return;
    s.ComTimer = s.ComWait;
    s.ComPos = static_cast<Integer>(s.ComPos + 1);
    if (s.ComPos < s.ComWordLen) return;

    // The word is finished: take the next reading and fire.
    s.ComWordLen = ReadingLength(g, s.ComWordNo);
    s.ComPos = 0;
    s.ComWordNo = static_cast<Integer>(s.ComWordNo - 1);
    if (s.ComWordNo < 0) s.ComWordNo = static_cast<Integer>(static_cast<int>(g.Yomi.size()) - 1);
    s.ComTimer = Pause(g);

    const int lane = AimedLane(s);
    Fire_Mis(g, lane >= 0 ? lane : RandomIndex(g, kLanes), kEnSide);
}

}  // namespace kb
