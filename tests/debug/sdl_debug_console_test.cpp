// The console window itself, on SDL's dummy video driver: created only when shown, typing and
// Enter in the command box reach the game, closing it throws the log away.
#include "platform/desktop/sdl_debug_console.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/desktop/sdl_address_window.h"
#include "platform/fonts.h"
#include "platform/sdl/main_window.h"
#include "platform/sdl/ttf_fonts.h"

namespace kb {
namespace {

// Hands a window event to `window`.
template <typename Window>
void WindowEvent(Window& window, Uint8 event) {
    SDL_Event ev{};
    ev.type = SDL_WINDOWEVENT;
    ev.window.event = event;
    ev.window.windowID = window.Id();
    window.HandleEvent(ev);
}

class SdlConsole : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError(); }
    void TearDown() override {
        win_.Unload();
        SDL_Quit();
    }
    void Settle() {
        for (int i = 0; i < 4; ++i) win_.Redraw();
    }
    void Type(const char* text) {
        SDL_Event ev{};
        ev.type = SDL_TEXTINPUT;
        ev.text.windowID = win_.Id();
        std::strncpy(ev.text.text, text, sizeof ev.text.text - 1);
        win_.HandleEvent(ev);
        Settle();
    }
    void Press(SDL_Scancode key) {
        SDL_Event ev{};
        ev.type = SDL_KEYDOWN;
        ev.key.windowID = win_.Id();
        ev.key.keysym.scancode = key;
        win_.HandleEvent(ev);
        Settle();
        ev.type = SDL_KEYUP;
        win_.HandleEvent(ev);
        Settle();
    }

    SdlDebugConsole win_{TtfFontEngine::FindFontFile(KB_BINARY_DIR)};
};

// Created only when shown; typing and Enter in the command box reach the game; closing the
// window throws the log away.
TEST_F(SdlConsole, FromLoadingToClosing) {
    std::vector<std::u16string> entered;
    win_.onCommandKey = [&](int key) {
        EXPECT_EQ(key, 13);
        entered.push_back(win_.CommandText());
        win_.SetCommandText(u"");
    };
    win_.Load();
    win_.AppendLog(u"← SND : 041");
    EXPECT_EQ(win_.Id(), 0u);
    win_.Show();
    ASSERT_NE(win_.Id(), 0u);
    EXPECT_STREQ(SDL_GetWindowTitle(SDL_GetWindowFromID(win_.Id())), "DebugList");
    Settle();
    Type("99");
    Type("3");
    EXPECT_EQ(win_.CommandText(), u"993");  // the box has the caret as soon as it is shown
    Press(SDL_SCANCODE_RETURN);
    Type("041");  // the caret stays in the box after Enter
    Press(SDL_SCANCODE_KP_ENTER);
    EXPECT_EQ(entered, (std::vector<std::u16string>{u"993", u"041"}));
    win_.SetCommandText(u"05");
    WindowEvent(win_, SDL_WINDOWEVENT_CLOSE);
    EXPECT_EQ(win_.Id(), 0u);
    EXPECT_FALSE(win_.Loaded());
    win_.Show();
    EXPECT_EQ(win_.Log().Text(), u"");
    EXPECT_EQ(win_.CommandText(), u"");
}

// The game's window takes keys, not text, so that an input method composing kana cannot
// swallow them; text input is on only while the address box or the command box has the focus.
TEST_F(SdlConsole, TextInputOnlyWhileATextBoxHasTheFocus) {
    MainWindow game;
    NullFontEngine fonts;
    SdlAddressWindow form2(fonts);
    std::string error;
    ASSERT_TRUE(game.Create("Kanaburst Ver1.1", 480, 320, error) && form2.Create("", error));
    EXPECT_FALSE(SDL_IsTextInputActive()) << "the game's window";
    form2.Show();
    WindowEvent(form2, SDL_WINDOWEVENT_FOCUS_GAINED);
    EXPECT_TRUE(SDL_IsTextInputActive()) << "the address box";
    form2.Hide();
    EXPECT_FALSE(SDL_IsTextInputActive()) << "the address window hidden";
    win_.Show();
    WindowEvent(win_, SDL_WINDOWEVENT_FOCUS_GAINED);
    Settle();
    EXPECT_TRUE(SDL_IsTextInputActive()) << "the command box";
    WindowEvent(win_, SDL_WINDOWEVENT_FOCUS_LOST);
    EXPECT_FALSE(SDL_IsTextInputActive()) << "back to the game's window";
}

}  // namespace
}  // namespace kb
