#include <SDL.h>
#include <gtest/gtest.h>

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
