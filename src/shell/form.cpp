#include "shell/form.h"

#include <stdexcept>

#include "audio/music.h"
#include "audio/sound_effects.h"
#include "screens/sprite_sheets.h"
#include "shell/scenes.h"

namespace kb {

namespace {

constexpr int kDisplayW = 480;
constexpr int kDisplayH = 320;

void LoadBackground(Game& g) {
    if (!FilePresent(g, "back.jpg")) return;  // optional: the match runs on black without it
    int w = 0, h = 0;
    std::vector<uint32_t> px;
    std::string error;
    if (!g.sv.images->Load(ProgramFile(g, "back.jpg"), w, h, px, error))
        throw std::runtime_error("back.jpg: " + error);
    // The picture sits at the top-left corner at its natural size.
    Surface picture;
    picture.SetPicture(w, h, px);
    g.BACKpic.Blit(RasterOp::kCopy, 0, 0, w, h, picture, 0, 0);
    g.s.BackLoaded = 1;
}

void LoadOrThrow(Game& g) {
    GameState& s = g.s;
    g.rng.Seed(g.sv.clock->RandomSeed());
    s.TwipsX = 15;
    s.TwipsY = 15;
    SndInit(g);
    g.Display.SetWidth(s.TwipsX * kDisplayW);
    g.Display.SetHeight(s.TwipsY * kDisplayH);
    for (Surface* work : {&g.IM, &g.IM2, &g.EF, &g.BACKpic}) {
        work->SetWidth(g.Display.Width());
        work->SetHeight(g.Display.Height());
    }
    LoadSpriteSheets(g);
    g.Display.ForeColor = Rgb(255, 255, 255);
    g.Display.FontSize = 10;
    g.Display.SetBackColor(Rgb(0, 0, 0));
    s.DispW = static_cast<Integer>(g.Display.Width() / s.TwipsX);
    s.DispH = static_cast<Integer>(g.Display.Height() / s.TwipsY);
    g.loop.FrameInterval = 67;  // 1000 / 15, rounded
    g.loop.LastFrameTime = g.sv.clock->TimeGetTime();
    seInit(g);
    Start_Init(g);
    s.KeyHold = 0;
    s.MenuNo = 0;
    s.MenuMax = 8;
    s.GameLevel = 0;
    s.BackLoaded = 0;
    LoadBackground(g);
}

}  // namespace

bool Form_Load(Game& g) {
    try {
        LoadOrThrow(g);
        return true;
    } catch (const std::exception& e) {
        g.Trace(std::string("startup-error ") + e.what());
        MsgBox(g, u"ゲーム起動に失敗しました");
        EndProgram(g);
        return false;
    }
}

void Form_Unload(Game& g) {
    MusicClose(g);
    FreeSounds(g);
    EndProgram(g);
}

}  // namespace kb
