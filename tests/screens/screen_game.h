#pragma once
// A Game set up as the screens see it after start-up (480 x 320 surfaces, 15 twips per
// pixel, the sprite sheets), on a clock that only moves when told to, with every print on the
// Display recorded: text, font, colour and the pixel position it was printed at.
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "screens/sprite_sheets.h"
#include "shell/game.h"

namespace kb::test {

struct Printed {
    std::u16string text;
    int points = 0;
    bool bold = false;
    int x = 0, y = 0;  // pixels
    uint32_t color = 0;
};

// Measures like a fixed-pitch face (half a cell for Latin, a cell for the rest; a cell is the
// point size at 96 dpi) and draws nothing, so expected positions can be worked out by hand.
class PrintRecorder : public FontEngine {
public:
    void Measure(std::u16string_view text, int points, bool bold, int& w, int& h) override {
        null_.Measure(text, points, bold, w, h);
    }
    const TextRun& Render(std::u16string_view text, int points, bool bold) override {
        if (display) {
            printed.push_back({std::u16string(text), points, bold,
                               static_cast<int>(std::floor(display->CurrentX / kTwipsPerPixel)),
                               static_cast<int>(std::floor(display->CurrentY / kTwipsPerPixel)),
                               display->ForeColor});
        }
        return empty_;
    }
    // The prints at pixel row y, in order.
    std::vector<Printed> AtRow(int y) const {
        std::vector<Printed> out;
        for (const auto& p : printed)
            if (p.y == y) out.push_back(p);
        return out;
    }
    // The non-empty texts, in order.
    std::vector<std::u16string> Texts() const {
        std::vector<std::u16string> out;
        for (const auto& p : printed)
            if (!p.text.empty()) out.push_back(p.text);
        return out;
    }

    const Surface* display = nullptr;
    std::vector<Printed> printed;

private:
    NullFontEngine null_;
    TextRun empty_;
};

class ScreenGame {
public:
    // Prints are recorded unless a real font engine is handed in.
    explicit ScreenGame(FontEngine* fonts = nullptr, uint32_t seed = 1)
        : dir_(MakeDir()), clock(3600000, seed), g(MakeServices(fonts)) {
        g.rng.Seed(seed);
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
    ~ScreenGame() {
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
    ScreenGame(const ScreenGame&) = delete;
    ScreenGame& operator=(const ScreenGame&) = delete;

    // Puts the wall clock at a second of the minute (the match clock counts its changes).
    void SetSecond(int second) { clock.Set(3600000 + static_cast<uint32_t>(second) * 1000); }
    int Second() { return clock.WallSecond(); }

    bool Traced(std::string_view line) const {
        for (const auto& l : trace)
            if (l == line) return true;
        return false;
    }

    std::filesystem::path dir_;
    VirtualClock clock;
    std::vector<std::string> trace;
    PrintRecorder prints;
    Game g;

private:
    static std::filesystem::path MakeDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "kb-screens-XXXXXX").string();
        if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot make a temporary directory");
        return pattern;
    }
    Services MakeServices(FontEngine* fonts) {
        Services sv;
        sv.clock = &clock;
        sv.fonts = fonts ? fonts : &prints;
        sv.programDir = dir_.string();
        sv.trace = [this](std::string_view line) { trace.emplace_back(line); };
        return sv;
    }
};

}  // namespace kb::test
