#include "started_game.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <tuple>

#include "shell/form.h"
#include "shell/main_loop.h"
#include "shell/scenes.h"

namespace kb::fuzz {

namespace {

// Readings with doubled consonants, y-combinations, "ん", marks, digits, and two that no key
// sequence can finish; UTF-8 with the byte-order mark.
constexpr char kWords[] =
    "\xEF\xBB\xBF"
    "切符,きっぷ\r\n"
    "東京,とうきょう\r\n"
    "三百,さんびゃく\r\n"
    "ヴァイオリン,ゔぁいおりん\r\n"
    "１２３,１２３\r\n"
    "長音,ちょーおん\r\n"
    "句読点,、。・\r\n"
    "記号,？！\r\n"
    "カタカナ,カタカナ\r\n";

std::vector<Surface*> Surfaces(Game& g) {
    return {&g.Display, &g.PIC, &g.IM, &g.IM2, &g.EF, &g.EXPpic, &g.BACKpic, &g.Waku};
}

}  // namespace

std::string NewProgramDir(const std::string& words) {
    std::string pattern = (std::filesystem::temp_directory_path() / "kb-fuzz-XXXXXX").string();
    Check(mkdtemp(pattern.data()) != nullptr);
    if (!words.empty())
        std::ofstream(std::filesystem::path(pattern) / "str.dat", std::ios::binary) << words;
    return pattern;
}

StartedGame::StartedGame(SocketControl* winsock) : clock_(3600000, 7) {
    Services sv;
    sv.clock = &clock_;
    sv.winsock = winsock;
    sv.programDir = NewProgramDir(kWords);
    game_ = std::make_unique<Game>(sv);
    if (!Form_Load(*game_)) std::abort();
    Frames(16);  // past the first second: Fps is measured
    Save();
}

StartedGame& StartedGame::Fresh(SocketControl* winsock) {
    static StartedGame* game = new StartedGame(winsock);  // lives until the process ends
    game->Restore();
    return *game;
}

void StartedGame::Save() {
    Game& g = *game_;
    saved_ = {clock_.TimeGetTime(), g.s, g.loop, g.rng, {}, g.Goku, g.Yomi, g.Wrong, g.SortW};
    for (Surface* s : Surfaces(g)) saved_.surfaces.push_back(*s);
}

void StartedGame::Restore() {
    Game& g = *game_;
    clock_.Set(saved_.now);
    std::tie(g.s, g.loop, g.rng, g.Goku, g.Yomi, g.Wrong, g.SortW) = std::tie(
        saved_.s, saved_.loop, saved_.rng, saved_.Goku, saved_.Yomi, saved_.Wrong, saved_.SortW);
    const std::vector<Surface*> surfaces = Surfaces(g);
    for (size_t i = 0; i < surfaces.size(); ++i) *surfaces[i] = saved_.surfaces[i];
    g.recvBuf.clear();
    g.ended = false;
}

void StartedGame::Frames(int n) {
    for (int i = 0; i < n && !game_->ended; ++i) {
        clock_.Advance(67);
        FramePass(*game_, clock_.TimeGetTime());
    }
}

void StartedGame::EnterMatch() {
    game_->s.GameMode = kModeCom;
    game_->s.MenuNo = 4;
    GameStartInit(*game_);
    game_->s.StartCount = 0;
    game_->s.InputOn = 1;
}

}  // namespace kb::fuzz
