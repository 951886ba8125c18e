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

constexpr int kLanes = 6;          // lanes 0..5 are used
constexpr int kLaneSlots = 7;      // the missile arrays hold 0..6
constexpr int kSendSlots = 501;    // SendList 0..500
constexpr int kSeSlots = 31;       // SeBuf 0..30
constexpr int kParticles = 51;     // ExpX.. 0..50

struct GameState {
    Byte KeyState = 0;
    Byte KeyHold = 0;
    Byte LastKeyUp = 0;
    Integer DispW = 0;
    Integer DispH = 0;
    std::u16string InputStr;
    Integer InputOn = 0;
    Integer TypeCount = 0;
    Integer WordNo = 0;
    Integer KanaPos = 0;
    Integer MissCount = 0;
    Byte MissFlag = 0;
    std::u16string StartSec;
    Integer PlaySec = 0;
    Integer SceneNo = 0;
    Long GameLevel = 0;
    Integer ResultSec = 0;
    Integer EndSec = 0;
    std::array<Integer, kLaneSlots> MyMisState{}, MyMisX{}, MyMisY{}, MyMisPower{}, MyMisAnim{};
    std::array<Integer, kLaneSlots> EnMisState{}, EnMisX{}, EnMisY{}, EnMisPower{}, EnMisAnim{};
    Integer SpeedBonus = 0;
    Integer LaneNo = 0;
    std::u16string GameResult;
    Integer TwipsX = 0;
    Integer TwipsY = 0;
    Integer ComWordLen = 0;
    Integer ComPos = 0;
    Integer ComWait = 0;
    Integer ComTimer = 0;
    Integer ComWordNo = 0;
    Integer MenuNo = 0;
    Integer MenuMax = 0;
    std::array<std::u16string, kSendSlots> SendList{};
    Long GameMode = 0;
    std::array<Long, kSeSlots> SeBuf{};
    Integer TypeSeNo = 0;
    Single WaveColPhase = 0, WaveColStart = 0, WaveRowPhase = 0, WaveRowStart = 0;
    Single WaveRowAmp = 0, WaveColAmp = 0;
    Integer WaveLeft = 0;
    Integer WaveHold = 0;
    std::array<Integer, kParticles> ExpX{}, ExpY{}, ExpSpeed{}, ExpState{};
    std::u16string LastKeyStr;
    Byte ShiftDown = 0;
    Single StartCount = 0;
    Integer BackLoaded = 0;
};

// Frame-loop values, kept beside the record (milliseconds of the 32-bit timer).
struct FrameLoop {
    Long FrameInterval = 0;
    uint32_t LastFrameTime = 0;
    uint32_t NowTime = 0;
    uint32_t FpsTime = 0;
    Long FpsCount = 0;
    Long Fps = 0;
};

}  // namespace kb
