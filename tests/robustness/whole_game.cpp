#include "robustness/whole_game.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "shell/form.h"
#include "shell/main_loop.h"
#include "shell/scenes.h"
#include "test_keys.h"

namespace kb::test {

namespace fs = std::filesystem;

WholeGame::WholeGame(bool synthesiseMusic) : clock(3600000, 5) {
    if (synthesiseMusic) mixerMidi_ = std::make_unique<MixerMidiPlayer>();
    music_ = mixerMidi_ ? std::make_unique<MciMusicDevice>(*mixerMidi_)
                        : std::make_unique<MciMusicDevice>(silentMidi_);
    for (const auto& entry : fs::directory_iterator(fs::path(KB_SOURCE_DIR) / "assets"))
        fs::copy_file(entry.path(), dir.Path() / entry.path().filename());
    std::string error;
    if (!fonts_.Open(TtfFontEngine::FindFontFile(dir.Path().string()), error))
        throw std::runtime_error(error);
}

bool WholeGame::Start() {
    g = std::make_unique<Game>(
        Services{.clock = &clock,
                 .fonts = &fonts_,
                 .images = &images_,
                 .sound = &sound_,
                 .music = music_.get(),
                 .programDir = dir.Path().string(),
                 .userDir = own.Path().string(),
                 .trace = [this](std::string_view line) { trace.emplace_back(line); }});
    g->Display.onRefresh = [this](const Surface&) { ++refreshes_; };
    return Form_Load(*g);
}

bool WholeGame::Frames(int n) {
    for (int i = 0; i < n; ++i) {
        const int before = refreshes_;
        clock.Advance(67);
        if (!FramePass(*g, clock.TimeGetTime()) || refreshes_ == before) {
            ADD_FAILURE() << "frame " << i + 1 << " of " << n << " in scene " << g->s.SceneNo
                          << " did not reach the screen";
            return false;
        }
    }
    return true;
}

bool WholeGame::PlayAMatch(bool brief) {
    if (brief) {
        g->s.GameMode = kModeCom;
        GameStartInit(*g);
        g->s.StartCount = 0;  // past the count-down: the word is on the screen
        g->s.InputOn = 1;
        if (!Frames(3)) return false;
    } else {
        if (!Frames(20)) return false;
        Press(*g, kVkReturn);
        if (g->s.SceneNo != kSceneTitle || !Frames(70)) return false;  // the count-down
        TypeKeys(*g, "kakikukekosasisusesotatitutetonn");
        Press(*g, kVkReturn);
        Press(*g, kVkDown);
        if (!Frames(150)) return false;
    }
    // As a missile getting through would; a computer with nothing to type may have won already.
    if (g->s.SceneNo == kSceneMatch) Game_End(*g, u"LOSE");
    return g->s.SceneNo == kSceneOver && Frames(brief ? 3 : 60);
}

std::vector<std::string> WholeGame::Boxes() const {
    std::vector<std::string> boxes;
    for (const auto& line : trace)
        if (line.starts_with("msgbox ")) boxes.push_back(line.substr(7));
    return boxes;
}

}  // namespace kb::test
