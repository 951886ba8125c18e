#pragma once
// What a recording of matches is told: everything that comes into the game from outside, at
// the moment it comes in, and where matches begin and end. The game's frames depend on nothing
// else (the clock and the measured frame rate aside, which the recorder reads itself), so what
// it hears is enough to play a match again exactly.
#include <string>

namespace kb {

class MatchRecorder {
  public:
    virtual ~MatchRecorder() = default;
    // A frame begins (Main_Loop).
    virtual void Frame() = 0;
    // A key goes down on the game's window.
    virtual void KeyDown(int keyCode) = 0;
    // A key comes up on the game's window.
    virtual void KeyUp(int keyCode) = 0;
    // The peer's bytes arrived, exactly as the connection delivered them.
    virtual void Arrival(const std::string& bytes) = 0;
    // The message on the wire has gone out.
    virtual void SendComplete() = 0;
    // A connection knocks on the listener.
    virtual void ConnectionRequest() = 0;
    // The connection refused the message handed to it.
    virtual void SendRefused() = 0;
    // A command is entered on the debug console's line.
    virtual void ConsoleCommand(const std::u16string& text) = 0;
    // A match begins (GameStartInit).
    virtual void MatchStart() = 0;
    // The game goes back to the title (Start_Init).
    virtual void BackToTitle() = 0;
};

}  // namespace kb
