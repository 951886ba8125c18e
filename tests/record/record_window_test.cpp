// The record beside the game in the window program: F2 opens it on the title and after a match
// and never reaches the game; its window takes its own keys, closes, exports and imports a
// file dropped on it, and watches or saves a match's replay.
#include "app/record_window.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>

#include "record/record_json.h"
#include "record_samples.h"
#include "test_game.h"

namespace kb::test {
namespace {

namespace fs = std::filesystem;

SDL_Event Key(uint32_t window, SDL_Keycode key, bool down, bool repeat = false) {
    SDL_Event ev{};
    ev.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    ev.key.windowID = window;
    ev.key.keysym.sym = key;
    ev.key.keysym.scancode = SDL_GetScancodeFromKey(key);
    ev.key.repeat = repeat;
    return ev;
}

class RecordWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
        std::string error;
        ASSERT_TRUE(window.emplace().Create("Kanaburst Ver1.1", 480, 320, error)) << error;
    }
    void TearDown() override {
        window.reset();  // its window goes before SDL does
        SDL_Quit();
    }
    // F2 pressed and released on the game's window; true when both were taken from the game.
    bool PressF2(RecordWindow& w) {
        const bool down = w.HandleEvent(Key(window->Id(), SDLK_F2, true));
        const bool up = w.HandleEvent(Key(window->Id(), SDLK_F2, false));
        return down && up;
    }

    TestGame t;
    std::optional<MainWindow> window;  // the game's
};

TEST_F(RecordWindowTest, F2OpensTheRecordOnlyWhereItTakesNoKeysFromAMatch) {
    const struct {
        const char* where;
        int scene, mode;
        bool opens;
    } cases[] = {
        {"title", kSceneTitle, kModeNone, true},
        {"result", kSceneOver, kModeNone, true},
        {"match", kSceneMatch, kModeCom, false},
        {"network match", kSceneMatch, kModeServer, false},
        {"connection screen", kSceneTitle, kModeClient, false},
    };
    for (const auto& c : cases) {
        RecordWindow w(t.g, *window);
        t.g.s.SceneNo = static_cast<Integer>(c.scene);
        t.g.s.GameMode = c.mode;
        const GameState before = t.g.s;
        EXPECT_TRUE(PressF2(w)) << c.where << ": F2 reached the game";
        EXPECT_EQ(w.Id() != 0, c.opens) << c.where;
        EXPECT_EQ(t.g.s.KeyState, before.KeyState) << c.where;
        // Other keys on the game's window are the game's.
        EXPECT_FALSE(w.HandleEvent(Key(window->Id(), SDLK_RETURN, true))) << c.where;
    }
}

TEST_F(RecordWindowTest, ItsOwnWindowTakesItsKeysAndCloses) {
    RecordWindow w(t.g, *window);
    ASSERT_TRUE(w.HandleEvent(Key(window->Id(), SDLK_F2, true)));
    const uint32_t id = w.Id();
    ASSERT_NE(id, 0u);
    // The new window is told of the F2 still held: that press does not close it.
    EXPECT_TRUE(w.HandleEvent(Key(id, SDLK_F2, true)));
    EXPECT_EQ(w.Id(), id);
    EXPECT_TRUE(w.HandleEvent(Key(id, SDLK_F2, false)));
    EXPECT_TRUE(w.HandleEvent(Key(id, SDLK_2, true)));
    EXPECT_EQ(w.Id(), id);
    // A press of F2 once released closes it, as Escape does.
    EXPECT_TRUE(w.HandleEvent(Key(id, SDLK_F2, true)));
    EXPECT_EQ(w.Id(), 0u);
    w.Open();
    ASSERT_NE(w.Id(), 0u);
    EXPECT_TRUE(w.HandleEvent(Key(w.Id(), SDLK_ESCAPE, true)));
    EXPECT_EQ(w.Id(), 0u);
    // Closed by its window's close button.
    w.Open();
    SDL_Event close{};
    close.type = SDL_WINDOWEVENT;
    close.window.windowID = w.Id();
    close.window.event = SDL_WINDOWEVENT_CLOSE;
    EXPECT_TRUE(w.HandleEvent(close));
    EXPECT_EQ(w.Id(), 0u);
}

TEST_F(RecordWindowTest, ExportsToTheHomeFolderAndImportsAFileDroppedOnIt) {
    TempDir home;
    const ScopedEnv atHome("HOME", home.Path().c_str());
    PlayerRecord r;
    r.matches = {Match(1), Match(2)};
    home.WriteFile("friend.json", RecordToJson(r, 0));

    RecordWindow w(t.g, *window);
    w.Open();
    SDL_Event drop{};
    drop.type = SDL_DROPFILE;
    drop.drop.windowID = w.Id();
    drop.drop.file = SDL_strdup((home.Path() / "friend.json").c_str());
    EXPECT_TRUE(w.HandleEvent(drop));
    EXPECT_EQ(t.g.sv.record->Load(true).matches, r.matches);
    // A file dropped on the game's window is not the record's.
    drop.drop.windowID = window->Id();
    drop.drop.file = SDL_strdup("/nonexistent.json");
    EXPECT_FALSE(w.HandleEvent(drop));
    SDL_free(drop.drop.file);

    EXPECT_TRUE(w.HandleEvent(Key(w.Id(), SDLK_e, true)));
    const fs::path exported = ExportFileName(t.g.sv.clock->Now());
    EXPECT_EQ(exported.parent_path(), home.Path());
    EXPECT_EQ(exported.filename(), "kanaburst-record-2026-01-01-01h00.json");
    PlayerRecord back;
    std::string why;
    ASSERT_TRUE(RecordFromJson(ReadText(exported), back, why)) << why;
    EXPECT_EQ(back.matches, r.matches);

    // Enter watches the newest match's replay in the game's window; S saves it beside the export.
    t.g.sv.record->KeepReplay(r.matches[1].id, "kanaburst-replay of the second");
    std::string watched;
    w.watch = [&watched](const std::string& replay) { watched = replay; };
    EXPECT_TRUE(w.HandleEvent(Key(w.Id(), SDLK_RETURN, true)));
    EXPECT_EQ(watched, "kanaburst-replay of the second");
    EXPECT_TRUE(w.HandleEvent(Key(w.Id(), SDLK_s, true)));
    EXPECT_EQ(ReadText(home.Path() / "kanaburst-replay-2026-01-01-09h00.kbreplay"), watched);
}

}  // namespace
}  // namespace kb::test
