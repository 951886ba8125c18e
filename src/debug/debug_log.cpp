#include "debug/debug_log.h"

#include <cmath>
#include <exception>

#include "debug/basic_val.h"
#include "net/protocol.h"
#include "platform/debug_console.h"
#include "text/ustr.h"
#include "typing/key_codes.h"

namespace kb {

namespace {
constexpr int kButtonRight = 2;
constexpr int kShiftOnly = 1;
constexpr int kCornerPixels = 32;  // the opening corner of the drawing surface
}  // namespace

DebugConsole& DebugWin(Game& g) {
    g.sv.debugWin->Load();
    return *g.sv.debugWin;
}

void DebugAdd(Game& g, int Pn, const std::u16string& DebugStr) {
    g.Trace("log " + std::to_string(Pn) + " " + ToUtf8(DebugStr));
    DebugConsole& win = DebugWin(g);
    if (!win.Visible()) return;  // dropped, not kept for later
    switch (Pn) {
        case 0:
            win.AppendLog(u"← SND : " + DebugStr);
            break;
        case 1:
            win.AppendLog(u"→ GET : " + DebugStr);
            break;
        default:
            win.AppendLog(DebugStr);
            break;
    }
}

void Display_MouseDown(Game& g, int button, int shift, float x, float y) {
    if (button != kButtonRight || shift != kShiftOnly) return;
    constexpr float kCorner = kCornerPixels * kTwipsPerPixel;
    if (x < kCorner && y < kCorner) DebugWin(g).Show();
}

void SndTxt_KeyDown(Game& g, int KeyCode, int /*Shift*/) {
    if (KeyCode != kVkReturn) return;
    DebugConsole& win = DebugWin(g);
    const std::u16string box = win.CommandText();
    if (box.empty()) return;
    if (g.recorder) g.recorder->ConsoleCommand(box);
    try {
        // The message's code is the number its first two characters make, rounded as BASIC
        // stores a number in an integer: halves go to the even neighbour.
        const int code =
            static_cast<int>(std::nearbyint(Val(std::u16string_view(box).substr(0, 2))));
        SendDataAdd(g, code, box.size() > 2 ? box.substr(2) : u"");
        if (g.ended) return;  // the send failed and the program has ended: nothing more runs
        DebugAdd(g, 2, u"DEBUG : " + box);
    } catch (const std::exception&) {
        // Whatever went wrong, the typed command is dropped with the rest of its steps.
    }
    win.SetCommandText(u"");
}

void Command1_Click(Game& g) {
    DebugConsole& win = DebugWin(g);
    win.SetClipboardText(win.Log().Text());
}

}  // namespace kb
