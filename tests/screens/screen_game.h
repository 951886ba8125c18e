#pragma once
// A TestGame set up as the screens see it after start-up (480 x 320 surfaces, 15 twips per
// pixel, the sprite sheets), with every text printed on the Display recorded with its row.
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/address_window.h"
#include "platform/socket_control.h"
#include "screens/sprite_sheets.h"
#include "shell/game.h"
#include "test_game.h"

namespace kb::test {

struct Printed {
    std::u16string text;
    int y = 0;  // pixels
};

// Measures like the headless game's font engine and draws nothing.
class PrintRecorder : public NullFontEngine {
  public:
    const TextRun& Render(std::u16string_view text, int points, bool bold) override {
        if (display) {
            printed.push_back({std::u16string(text),
                               static_cast<int>(std::floor(display->CurrentY / kTwipsPerPixel))});
        }
        return NullFontEngine::Render(text, points, bold);
    }
    // The texts printed at pixel row y, in order.
    std::vector<std::u16string> AtRow(int y) const {
        std::vector<std::u16string> out;
        for (const auto& p : printed)
            if (p.y == y) out.push_back(p.text);
        return out;
    }

    const Surface* display = nullptr;
    std::vector<Printed> printed;
};

namespace detail {
// What each screen game has of its own, made before the game that uses it: the recorder, and
// an address window and sockets that no other test can leave open.
struct RecorderHolder {
    PrintRecorder prints;
    HeadlessAddressWindow form2;
    NullSocketControl winsock, winsockL;

    Services OwnServices(FontEngine* fonts) {
        Services sv;
        sv.fonts = fonts ? fonts : &prints;
        sv.form2 = &form2;
        sv.winsock = &winsock;
        sv.winsockL = &winsockL;
        return sv;
    }
};
}  // namespace detail

class ScreenGame : private detail::RecorderHolder, public TestGame {
  public:
    // Prints are recorded unless a real font engine is handed in.
    explicit ScreenGame(FontEngine* fonts = nullptr, uint32_t seed = 1)
        : TestGame(OwnServices(fonts), seed) {
        prints.display = &g.Display;
        GameState& s = g.s;
        s.TwipsX = 15;
        s.TwipsY = 15;
        s.DispW = 480;
        s.DispH = 320;
        s.MenuMax = 8;
        for (Surface* sf : {&g.Display, &g.IM, &g.IM2, &g.EF, &g.BACKpic}) sf->Resize(480, 320);
        LoadSpriteSheets(g);
        g.Display.SetBackColor(Rgb(0, 0, 0));
    }

    using detail::RecorderHolder::form2;
    using detail::RecorderHolder::prints;

    // Puts the wall clock at a second of the minute (the match clock counts its changes).
    void SetSecond(int second) { clock.Set(3600000 + static_cast<uint32_t>(second) * 1000); }
    int Second() { return clock.WallSecond(); }
};

}  // namespace kb::test
