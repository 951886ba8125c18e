#include <SDL.h>
#include <gtest/gtest.h>

#include <iterator>
#include <memory>
#include <string>

#include "platform/sdl/keymap.h"
#include "platform/sdl/main_window.h"

namespace kb {
namespace {

TEST(PlaceDisplay, LargestWholeMultipleCentredOnBlack) {
    struct Case {
        int ww, wh, scale, x, y;
    } cases[] = {
        {480, 320, 1, 0, 0},   {960, 640, 2, 0, 0},     {1000, 700, 2, 20, 30},
        {1919, 1080, 3, 239, 60}, {500, 300, 1, 10, -10}, {1440, 700, 2, 240, 30},
    };
    for (const Case& c : cases) {
        const Placement p = PlaceDisplay(c.ww, c.wh, 480, 320);
        EXPECT_EQ(p.scale, c.scale) << c.ww << "x" << c.wh;
        EXPECT_EQ(p.x, c.x) << c.ww << "x" << c.wh;
        EXPECT_EQ(p.y, c.y) << c.ww << "x" << c.wh;
    }
}

// Each step: a key, its modifiers, D press / R repeat / U release, whether the game gets it,
// and whether the window is full screen after it.
TEST(MainWindow, F11AndAltEnterToggleFullScreenAndNeverReachTheGame) {
    ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
    const SDL_Keycode F11 = SDLK_F11, Ret = SDLK_RETURN, Alt = SDLK_LALT;
    const uint16_t L = KMOD_LALT;
    const struct { SDL_Keycode key; uint16_t mod; char how; bool toGame, full; } steps[] = {
        {F11, 0, 'D', 0, 1}, {F11, 0, 'R', 0, 1}, {F11, 0, 'U', 0, 1}, {Alt, L, 'D', 1, 1},
        {Ret, L, 'D', 0, 0}, {Ret, L, 'R', 0, 0}, {Alt, 0, 'U', 0, 0}, {Ret, 0, 'U', 0, 0},
        {F11, L, 'D', 0, 1}, {Ret, 0, 'D', 1, 1}, {Ret, L, 'U', 1, 1}, {Alt, 0, 'U', 1, 1},
        {SDLK_a, L, 'D', 1, 1},
    };
    auto w = std::make_unique<MainWindow>();
    std::string error;
    ASSERT_TRUE(w->Create("keys", 480, 320, error)) << error;
    for (size_t i = 0; i < std::size(steps); ++i) {
        SDL_KeyboardEvent e{};
        e.type = steps[i].how == 'U' ? SDL_KEYUP : SDL_KEYDOWN;
        e.keysym = {SDL_SCANCODE_UNKNOWN, steps[i].key, steps[i].mod, 0};
        e.repeat = steps[i].how == 'R';
        EXPECT_EQ(!w->TakeKey(e), steps[i].toGame) << "step " << i;
        const bool full = (SDL_GetWindowFlags(w->Handle()) & SDL_WINDOW_FULLSCREEN) != 0;
        EXPECT_EQ(full, steps[i].full) << "step " << i;
    }
    w.reset();
    SDL_Quit();
}

TEST(Keymap, SdlKeysBecomeTheVirtualKeyCodesTheGameReads) {
    const std::pair<SDL_Keycode, int> cases[] = {
        {SDLK_a, 65},       {SDLK_z, 90},        {SDLK_0, 48},       {SDLK_9, 57},
        {SDLK_KP_0, 96},    {SDLK_KP_9, 105},    {SDLK_KP_DIVIDE, 111}, {SDLK_KP_MINUS, 109},
        {SDLK_COMMA, 188},  {SDLK_PERIOD, 190},  {SDLK_SLASH, 191},  {SDLK_MINUS, 189},
        {SDLK_BACKSPACE, 8}, {SDLK_RETURN, 13},  {SDLK_KP_ENTER, 13}, {SDLK_ESCAPE, 27},
        {SDLK_SPACE, 32},   {SDLK_LSHIFT, 16},   {SDLK_RSHIFT, 16},  {SDLK_UP, 38},
        {SDLK_DOWN, 40},    {SDLK_LEFT, 37},     {SDLK_RIGHT, 39},   {SDLK_F1, 112},
    };
    for (const auto& [sdl, vk] : cases) EXPECT_EQ(VirtualKeyFromSdl(sdl), vk) << SDL_GetKeyName(sdl);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_CAPSLOCK), 0);
}

TEST(Keymap, ShiftBits) {
    EXPECT_EQ(ShiftBitsFromSdl(KMOD_LSHIFT), 1);
    EXPECT_EQ(ShiftBitsFromSdl(KMOD_RSHIFT | KMOD_LCTRL), 3);
    EXPECT_EQ(ShiftBitsFromSdl(KMOD_LALT), 4);
    EXPECT_EQ(ShiftBitsFromSdl(KMOD_NONE), 0);
}

}  // namespace
}  // namespace kb
