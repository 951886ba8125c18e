#include "shell/scenes.h"

#include "audio/music.h"
#include "audio/sound_effects.h"
#include "battle/computer.h"
#include "battle/explosions.h"
#include "battle/missiles.h"
#include "debug/debug_log.h"
#include "record/keep_match.h"
#include "screens/match_screen.h"
#include "text/ustr.h"
#include "typing/mistype.h"
#include "typing/word_list.h"

namespace kb {

void Start_Init(Game& g) {
    if (g.recorder) g.recorder->BackToTitle();
    GameState& s = g.s;
    s.SceneNo = kSceneTitle;
    s.InputOn = 1;
    s.KanaPos = 0;
    s.WordNo = 0;
    s.InputStr.clear();
    s.TypeCount = 0;
    s.PlaySec = 0;
    s.StartSec = Num(WallSecond(g));
    g.Goku.clear();
    g.Yomi.clear();
    g.Wrong.clear();
    for (auto& slot : s.SendList) slot.clear();
    s.LaneNo = 0;
    s.GameMode = kModeNone;
    s.StartCount = 0;
    MusicClose(g);
    if (FilePresent(g, "title.mid")) MusicPlay(g, ProgramFile(g, "title.mid"));
    Read_File(g);
    RecordWordsLoaded(g);
    rndSort(g);
}

void GameStartInit(Game& g) {
    if (g.recorder) g.recorder->MatchStart();
    GameState& s = g.s;
    s.SceneNo = kSceneMatch;
    s.InputOn = 0;
    s.KeyState = 0;
    s.InputStr.clear();
    g.Display.SetBackColor(Rgb(0, 0, 0));
    s.LaneNo = 0;
    s.PlaySec = 0;
    Init_Mis(g);
    Com_Init(g);
    s.MissCount = 0;
    s.MissFlag = 0;
    s.StartCount = 4.0f;
    s.PlaySec = 0;
    s.StartSec = Num(WallSecond(g));
    s.SpeedBonus = 0;
    s.TypeSeNo = 0;
    PlayNormal(g, kSeMatchStart);
}

void Game_End(Game& g, const std::u16string& result) {
    GameState& s = g.s;
    KeepMatch(g, result);
    MusicClose(g);
    g.Display.Cls();
    Dis_Mis(g);
    const std::u16string upper = UpperAscii(result);
    if (upper == u"WIN") {
        if (FilePresent(g, "result01.mid")) MusicPlay(g, ProgramFile(g, "result01.mid"));
    } else if (upper == u"LOSE") {
        if (FilePresent(g, "result02.mid")) MusicPlay(g, ProgramFile(g, "result02.mid"));
    }
    g.Display.Refresh();
    for (int i = 0; i < kParticles; ++i) ExpInit(g, i, kExpClear);
    s.WaveRowPhase = 0;
    s.WaveColPhase = 0;
    s.WaveRowAmp = 0;
    s.WaveColAmp = 0;
    s.WaveRowStart = 0;
    s.WaveColStart = 0;
    s.InputOn = 0;
    s.WaveLeft = -1;
    s.WaveHold = 30;
    s.ResultSec = 0;
    s.SceneNo = kSceneOver;
    s.KeyState = 0;
    s.EndSec = static_cast<Integer>(WallSecond(g));
    s.GameResult = result;
    s.GameMode = kModeNone;
    SortWrong(g);
    for (const auto& record : g.SortW) DebugAdd(g, 2, u"Wrong List : " + record);
}

}  // namespace kb
