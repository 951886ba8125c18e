#pragma once
// The one state record of the game. Every routine reads and writes these fields by name.
// Integer = int16_t, Long = int32_t, Byte = uint8_t, Single = float; all zero or empty at creation.
#include <array>
#include <cstdint>
#include <string>

namespace kb {

using Integer = int16_t;
using Long = int32_t;
using Byte = uint8_t;
using Single = float;

enum Scene : Integer { kSceneTitle = 0, kSceneMatch = 1, kSceneOver = 2 };
enum Mode : Long { kModeNone = 0, kModeCom = 1, kModeClient = 2, kModeServer = 3 };

constexpr int kLanes = 6;        // lanes 0..5 are used
constexpr int kLaneSlots = 7;    // the missile arrays hold 0..6
constexpr int kSendSlots = 501;  // SendList 0..500
constexpr int kSeSlots = 31;     // SeBuf 0..30
constexpr int kParticles = 51;   // ExpX.. 0..50

using LaneArray = std::array<Integer, kLaneSlots>;
using SendArray = std::array<std::u16string, kSendSlots>;
using SlotArray = std::array<Long, kSeSlots>;
using ParticleArray = std::array<Integer, kParticles>;

// Every field of the record, in its order: type, name and what it holds. The record below and
// the driver's state printer are both made from this one list.
#define KB_GAME_STATE_FIELDS(X)                                                                  \
    X(Byte, KeyState)           /* 0 none, 1 a key went down, 2 that key was released */         \
    X(Byte, KeyHold)            /* 1: the next key release only clears this flag */              \
    X(Byte, LastKeyUp)          /* key code of the last key release */                           \
    X(Integer, DispW)           /* drawing surface width in pixels, 480 */                       \
    X(Integer, DispH)           /* drawing surface height in pixels, 320 */                      \
    X(std::u16string, InputStr) /* romaji typed so far for the current word */                   \
    X(Integer, InputOn)         /* 1 when Up and Down act (menu cursor, lane) */                 \
    X(Integer, TypeCount)       /* keys typed in the match */                                    \
    X(Integer, WordNo)          /* index of the current word in Goku and Yomi */                 \
    X(Integer, KanaPos)         /* characters of the reading typed correctly */                  \
    X(Integer, MissCount)       /* misses counted in the match */                                \
    X(Byte, MissFlag)           /* 1 after a miss, until the next accepted character */          \
    X(std::u16string, StartSec) /* wall-clock second last seen, as text */                       \
    X(Integer, PlaySec)         /* seconds elapsed in the match */                               \
    X(Integer, SceneNo)         /* 0 title, 1 match, 2 match over */                             \
    X(Long, GameLevel)          /* difficulty: 0 Easy, 1 Normal, 2 Hard */                       \
    X(Integer, ResultSec)       /* whole seconds counted on the result screen */                 \
    X(Integer, EndSec)          /* wall-clock second of the match end, then of each count */     \
    X(LaneArray, MyMisState)    /* player's missile per lane: 0 none, 1 flying, 2 hit */         \
    X(LaneArray, MyMisX)        /* its position along the flight (416 at launch) */              \
    X(LaneArray, MyMisY)        /* its lane coordinate, 32 * lane + 16 */                        \
    X(LaneArray, MyMisPower)    /* its power: words fired into the lane while it flies */        \
    X(LaneArray, MyMisAnim)     /* its animation phase */                                        \
    X(LaneArray, EnMisState)    /* the opponent's missiles, the same (32 at launch) */           \
    X(LaneArray, EnMisX)                                                                         \
    X(LaneArray, EnMisY)                                                                         \
    X(LaneArray, EnMisPower)                                                                     \
    X(LaneArray, EnMisAnim)                                                                      \
    X(Integer, SpeedBonus)        /* added to every missile's speed; +1 every 30 s of play */    \
    X(Integer, LaneNo)            /* the player's lane, 0..5 */                                  \
    X(std::u16string, GameResult) /* "WIN" or "LOSE" of the last match */                        \
    X(Integer, TwipsX)            /* twips per pixel across, 15 */                               \
    X(Integer, TwipsY)            /* twips per pixel down, 15 */                                 \
    X(Integer, ComWordLen)        /* computer: length of its current reading */                  \
    X(Integer, ComPos)            /* computer: characters of it typed */                         \
    X(Integer, ComWait)           /* computer: frames per character */                           \
    X(Integer, ComTimer)          /* computer: frames left to its next character */              \
    X(Integer, ComWordNo)         /* computer: index of its next word */                         \
    X(Integer, MenuNo)            /* title-menu cursor, 0..8 (0..4: the computer's speed - 1) */ \
    X(Integer, MenuMax)           /* highest title-menu index, 8 */                              \
    X(SendArray, SendList)        /* queue of outgoing network messages */                       \
    X(Long, GameMode)             /* 0 none, 1 computer, 2 network client, 3 network server */   \
    X(SlotArray, SeBuf)           /* loaded sound per effect slot; 0 = empty */                  \
    X(Integer, TypeSeNo)          /* rotating index 0..4 of the key-hit sound */                 \
    X(Single, WaveColPhase)       /* match-over wave: phase of the column shifts */              \
    X(Single, WaveColStart)       /* ... their start angle */                                    \
    X(Single, WaveRowPhase)       /* ... phase of the row shifts */                              \
    X(Single, WaveRowStart)       /* ... their start angle */                                    \
    X(Single, WaveRowAmp)         /* ... amplitude of the row shifts */                          \
    X(Single, WaveColAmp)         /* ... amplitude of the column shifts */                       \
    X(Integer, WaveLeft)          /* frames left of the wave; 0 = over */                        \
    X(Integer, WaveHold)          /* frame counter of the wave */                                \
    X(ParticleArray, ExpX)        /* match-over particles: x */                                  \
    X(ParticleArray, ExpY)        /* ... y */                                                    \
    X(ParticleArray, ExpSpeed)    /* ... horizontal speed, pixels per frame */                   \
    X(ParticleArray, ExpState)    /* ... 0 free, 1..5 animation frame */                         \
    X(std::u16string, LastKeyStr) /* key code of the last key press, as decimal text */          \
    X(Byte, ShiftDown)            /* 1 while Shift is held */                                    \
    X(Single, StartCount)         /* count-down before typing: 4 at the start, -1 a second */    \
    X(Integer, BackLoaded)        /* 1 when back.jpg was loaded at start-up */

struct GameState {
#define KB_DECLARE_FIELD(type, name) type name{};
    KB_GAME_STATE_FIELDS(KB_DECLARE_FIELD)
#undef KB_DECLARE_FIELD
};

// Frame-loop values, kept beside the record (milliseconds of the 32-bit timer).
struct FrameLoop {
    Long FrameInterval = 0;      // least time between two frame starts, 67
    uint32_t LastFrameTime = 0;  // timer at the start of the last frame
    uint32_t NowTime = 0;        // timer read in the current pass
    uint32_t FpsTime = 0;        // timer at the start of the current measuring window
    Long FpsCount = 0;           // frames run in the current window
    Long Fps = 0;                // frames in the last whole window: the measured frame rate
};

}  // namespace kb
