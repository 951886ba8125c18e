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
        {480, 320, 1, 0, 0},      {960, 640, 2, 0, 0},    {1000, 700, 2, 20, 30},
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
    constexpr SDL_Keycode kF11 = SDLK_F11, kRet = SDLK_RETURN, kAlt = SDLK_LALT;
    constexpr uint16_t kL = KMOD_LALT;
    const struct {
        SDL_Keycode key;
        uint16_t mod;
        char how;
        bool toGame, full;
    } steps[] = {
        {kF11, 0, 'D', 0, 1},    {kF11, 0, 'R', 0, 1},  {kF11, 0, 'U', 0, 1},
        {kAlt, kL, 'D', 1, 1},   {kRet, kL, 'D', 0, 0}, {kRet, kL, 'R', 0, 0},
        {kAlt, 0, 'U', 0, 0},    {kRet, 0, 'U', 0, 0},  {kF11, kL, 'D', 0, 1},
        {kRet, 0, 'D', 1, 1},    {kRet, kL, 'U', 1, 1}, {kAlt, 0, 'U', 1, 1},
        {SDLK_a, kL, 'D', 1, 1},
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

// Every key reaches the game with a code in range; where a key's character and its place
// disagree the rows say which wins.
TEST(Keymap, EverySdlKeyGivesAVirtualKeyCode) {
    ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
    for (int sc = 1; sc < SDL_NUM_SCANCODES; ++sc) {
        const int vk = VirtualKeyFromSdl(SDL_GetKeyFromScancode(static_cast<SDL_Scancode>(sc)), sc);
        EXPECT_TRUE(vk > 0 && vk <= kVkNoCode)
            << SDL_GetScancodeName(static_cast<SDL_Scancode>(sc));
    }
    SDL_Quit();
    const struct {
        SDL_Keycode sym;
        SDL_Scancode place;
        int vk;
    } rows[] = {
        {SDLK_a, SDL_SCANCODE_Q, kVkA},  // French: by the character
        {SDLK_RETURN, SDL_SCANCODE_RETURN, kVkReturn},
        {SDLK_EXCLAIM, SDL_SCANCODE_SLASH, kVkOem8},           // French !
        {SDLK_AT, SDL_SCANCODE_LEFTBRACKET, kVkOemBackquote},  // Japanese @, :, ^
        {SDLK_COLON, SDL_SCANCODE_APOSTROPHE, kVkOemSemicolon},
        {SDLK_CARET, SDL_SCANCODE_EQUALS, kVkOemQuote},
        {SDLK_BACKSLASH, SDL_SCANCODE_INTERNATIONAL1, kVkOem102},  // ろ and ¥ both type a backslash
        {SDLK_BACKSLASH, SDL_SCANCODE_INTERNATIONAL3, kVkOemBackslash},
        {SDL_SCANCODE_TO_KEYCODE(SDL_SCANCODE_UNKNOWN), SDL_SCANCODE_GRAVE, kVkKanji},  // 半角/全角
        {SDLK_UNKNOWN, SDL_SCANCODE_INTERNATIONAL4, kVkConvert},                        // 変換
        {0x00FC, SDL_SCANCODE_LEFTBRACKET, kVkOemOpenBracket},  // German ü: by the place
        {0x0444, SDL_SCANCODE_A, kVkA},                         // Russian ф
        {SDLK_POWER, SDL_SCANCODE_POWER, kVkNoCode},
    };
    for (const auto& r : rows) EXPECT_EQ(VirtualKeyFromSdl(r.sym, r.place), r.vk) << r.sym;
}

TEST(Keymap, ShiftBits) {
    EXPECT_EQ(ShiftBitsFromSdl(KMOD_LSHIFT), 1);
    EXPECT_EQ(ShiftBitsFromSdl(KMOD_RSHIFT | KMOD_LCTRL), 3);
    EXPECT_EQ(ShiftBitsFromSdl(KMOD_LALT), 4);
    EXPECT_EQ(ShiftBitsFromSdl(KMOD_NONE), 0);
}

}  // namespace
}  // namespace kb
