#pragma once
// The debug console as a second SDL window, "DebugList", drawn with Dear ImGui: the log Text1,
// the command box SndTxt and the COPY button Command1. The window and its ImGui context exist
// only from the first showing to the closing; a console that is loaded but hidden is nothing
// more than its (empty) log, so the game pays nothing for it.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/debug_console.h"

struct SDL_Window;
struct SDL_Renderer;
struct ImGuiContext;
union SDL_Event;

namespace kb {

class SdlDebugConsole : public DebugConsole {
  public:
    // Draws with the typeface at fontPath once its window first opens.
    explicit SdlDebugConsole(std::string fontPath) : fontPath_(std::move(fontPath)) {}
    ~SdlDebugConsole() override;
    SdlDebugConsole(const SdlDebugConsole&) = delete;
    SdlDebugConsole& operator=(const SdlDebugConsole&) = delete;

    // A key the command box took (only Enter is reported) and a click of COPY; the game's
    // routines go here. They run after the window's frame, never inside it.
    std::function<void(int keyCode)> onCommandKey;
    std::function<void()> onCopy;

    // The window's SDL id, 0 while it is not on screen.
    uint32_t Id() const;
    // An event of this window; closing it unloads the console. Text input is on while the
    // window has the focus and the caret is in the command box.
    void HandleEvent(const SDL_Event& ev);
    // Draws the window when something changed since it was last drawn; cheap otherwise.
    void Redraw();

    void Load() override { loaded_ = true; }
    bool Loaded() const override { return loaded_; }
    void Unload() override;
    void Show() override;
    bool Visible() const override { return visible_; }

    void AppendLog(std::u16string_view entry) override;
    const ConsoleLog& Log() const override { return log_; }

    std::u16string CommandText() const override;
    void SetCommandText(const std::u16string& text) override;

    void SetClipboardText(const std::u16string& text) override;

  private:
    // Makes the window, its renderer and its ImGui context; false when SDL cannot.
    bool OpenWindow();
    // Destroys the window and everything drawn in it.
    void CloseWindow();
    // Lays out one ImGui frame: the log, the command box and COPY; says whether Enter or COPY were
    // used.
    void Layout(bool& enter, bool& copy);
    // Something changed: the next few frames are drawn.
    void Touch() { framesDue_ = kFramesToSettle; }

    // ImGui settles hover, focus and scrolling over a couple of frames after a change.
    static constexpr int kFramesToSettle = 3;

    std::string fontPath_;
    SDL_Window* window_ = nullptr;
    SDL_Renderer* renderer_ = nullptr;
    ImGuiContext* imgui_ = nullptr;
    std::vector<uint16_t> glyphRanges_;  // must outlive the font atlas

    bool loaded_ = false, visible_ = false;
    ConsoleLog log_;
    std::string command_;  // UTF-8, as ImGui edits it

    int framesDue_ = 0;
    bool focusCommand_ = false;   // put the caret in the command box on the next frame
    bool commandActive_ = false;  // the caret is in the command box
    bool focused_ = false;        // the window has the keyboard focus
    bool followEnd_ = false;      // scroll the log to its end on the next frame
    size_t measured_ = 0;         // log lines whose width is in widest_
    float widest_ = 0;
};

}  // namespace kb
