#include "platform/desktop/sdl_debug_console.h"

#include <SDL.h>
#include <imgui.h>
#include <imgui_impl_sdl.h>
#include <imgui_impl_sdlrenderer.h>
#include <imgui_stdlib.h>

#include <algorithm>
#include <type_traits>

#include "platform/sdl/keymap.h"
#include "text/ustr.h"
#include "typing/key_codes.h"

namespace kb {

namespace {

// The window and its controls, in pixels.
constexpr int kWidth = 264, kHeight = 343;
const ImVec2 kText1Pos{8, 8}, kText1Size{249, 297};
const ImVec2 kSndTxtPos{8, 312}, kSndTxtSize{105, 25};
const ImVec2 kCommand1Pos{176, 312}, kCommand1Size{81, 25};
constexpr float kFontPixels = 12;  // the game's 9 points at 96 dots per inch

static_assert(std::is_same_v<ImWchar, uint16_t>, "glyph ranges are kept as 16-bit characters");

// Japanese text plus the arrows of the send and receive prefixes.
std::vector<uint16_t> GlyphRanges(ImFontAtlas& atlas) {
    ImFontGlyphRangesBuilder builder;
    builder.AddRanges(atlas.GetGlyphRangesJapanese());
    builder.AddText("←→");
    ImVector<ImWchar> ranges;
    builder.BuildRanges(&ranges);
    return {ranges.begin(), ranges.end()};
}

}  // namespace

SdlDebugConsole::~SdlDebugConsole() {
    CloseWindow();
}

uint32_t SdlDebugConsole::Id() const {
    return window_ ? SDL_GetWindowID(window_) : 0;
}

void SdlDebugConsole::Show() {
    loaded_ = visible_ = true;
    if (!window_ && !OpenWindow()) return;  // the log still works, unseen
    SDL_ShowWindow(window_);
    SDL_RaiseWindow(window_);
    focusCommand_ = true;  // the command box is first in the tab order
    followEnd_ = true;
    Touch();
}

void SdlDebugConsole::Unload() {
    CloseWindow();
    loaded_ = visible_ = false;
    log_.Clear();
    std::string().swap(command_);
    measured_ = 0;
    widest_ = 0;
}

bool SdlDebugConsole::OpenWindow() {
    window_ = SDL_CreateWindow("DebugList", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
                               kWidth, kHeight, SDL_WINDOW_HIDDEN);
    // A small window draws quickly in software, and needs no GPU context of its own.
    if (window_) renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_SOFTWARE);
    if (!renderer_) {
        SDL_Log("No debug console window: %s", SDL_GetError());
        CloseWindow();
        return false;
    }
    imgui_ = ImGui::CreateContext();
    ImGui::SetCurrentContext(imgui_);
    ImGuiIO& io = ImGui::GetIO();
    io.IniFilename = nullptr;  // the game writes no files
    io.LogFilename = nullptr;
    // The cursor shape is the whole application's: leave it to the main window.
    io.ConfigFlags |= ImGuiConfigFlags_NoMouseCursorChange;
    // Frames are drawn only when something changes, so a blinking caret would freeze half-way.
    io.ConfigInputTextCursorBlink = false;
    glyphRanges_ = GlyphRanges(*io.Fonts);
    if (!io.Fonts->AddFontFromFileTTF(fontPath_.c_str(), kFontPixels, nullptr, glyphRanges_.data()))
        io.Fonts->AddFontDefault();
    ImGui::StyleColorsLight();
    ImGuiStyle& style = ImGui::GetStyle();
    style.WindowRounding = style.ChildRounding = style.FrameRounding = 0;
    style.FramePadding.y = (kSndTxtSize.y - kFontPixels) / 2;
    ImGui_ImplSDL2_InitForSDLRenderer(window_);
    ImGui_ImplSDLRenderer_Init(renderer_);
    return true;
}

void SdlDebugConsole::CloseWindow() {
    if (focused_) UseTextInput(false);
    focused_ = commandActive_ = false;
    if (imgui_) {
        ImGui::SetCurrentContext(imgui_);
        ImGui_ImplSDLRenderer_Shutdown();
        ImGui_ImplSDL2_Shutdown();
        ImGui::DestroyContext(imgui_);
        imgui_ = nullptr;
    }
    if (renderer_) SDL_DestroyRenderer(renderer_);
    if (window_) SDL_DestroyWindow(window_);
    renderer_ = nullptr;
    window_ = nullptr;
}

void SdlDebugConsole::HandleEvent(const SDL_Event& ev) {
    if (!imgui_) return;
    if (ev.type == SDL_WINDOWEVENT && ev.window.event == SDL_WINDOWEVENT_CLOSE) {
        Unload();
        return;
    }
    if (ev.type == SDL_WINDOWEVENT && (ev.window.event == SDL_WINDOWEVENT_FOCUS_GAINED ||
                                       ev.window.event == SDL_WINDOWEVENT_FOCUS_LOST)) {
        focused_ = ev.window.event == SDL_WINDOWEVENT_FOCUS_GAINED;
        UseTextInput(focused_ && commandActive_);
    }
    ImGui::SetCurrentContext(imgui_);
    ImGui_ImplSDL2_ProcessEvent(&ev);
    Touch();
}

void SdlDebugConsole::AppendLog(std::u16string_view entry) {
    log_.Append(entry);
    followEnd_ = true;
    Touch();
}

std::u16string SdlDebugConsole::CommandText() const {
    return FromUtf8(command_);
}

void SdlDebugConsole::SetCommandText(const std::u16string& text) {
    command_ = ToUtf8(text);
    Touch();
}

void SdlDebugConsole::SetClipboardText(const std::u16string& text) {
    SDL_SetClipboardText(ToUtf8(text).c_str());
}

void SdlDebugConsole::Redraw() {
    if (!visible_ || !imgui_ || framesDue_ == 0) return;
    --framesDue_;
    ImGui::SetCurrentContext(imgui_);
    ImGui_ImplSDLRenderer_NewFrame();
    ImGui_ImplSDL2_NewFrame();
    ImGui::NewFrame();
    bool enter = false, copy = false;
    Layout(enter, copy);
    ImGui::Render();
    SDL_SetRenderDrawColor(renderer_, 240, 240, 240, 255);
    SDL_RenderClear(renderer_);
    ImGui_ImplSDLRenderer_RenderDrawData(ImGui::GetDrawData());
    SDL_RenderPresent(renderer_);
    if (focused_) UseTextInput(commandActive_);
    // The game's routines may change the log and the box: only now that the frame is done.
    if (enter && onCommandKey) onCommandKey(kVkReturn);
    if (copy && onCopy) onCopy();
}

void SdlDebugConsole::Layout(bool& enter, bool& copy) {
    const ImGuiWindowFlags whole = ImGuiWindowFlags_NoDecoration | ImGuiWindowFlags_NoMove |
                                   ImGuiWindowFlags_NoSavedSettings |
                                   ImGuiWindowFlags_NoBringToFrontOnFocus;
    ImGui::SetNextWindowPos(ImVec2(0, 0));
    ImGui::SetNextWindowSize(ImGui::GetIO().DisplaySize);
    ImGui::Begin("DebugList", nullptr, whole);

    // Text1: only the lines in view are laid out, so a long log costs no more than a short one.
    // Widths are measured once per line, for the horizontal scroll bar's range.
    std::string line;
    for (; measured_ < log_.LineCount(); ++measured_) {
        line = ToUtf8(log_.Line(measured_));
        widest_ = std::max(widest_, ImGui::CalcTextSize(line.data(), line.data() + line.size()).x);
    }
    ImGui::SetCursorPos(kText1Pos);
    ImGui::SetNextWindowContentSize(ImVec2(widest_, 0));
    ImGui::BeginChild(
        "Text1", kText1Size, true,
        ImGuiWindowFlags_AlwaysVerticalScrollbar | ImGuiWindowFlags_AlwaysHorizontalScrollbar);
    ImGuiListClipper clipper;
    clipper.Begin(static_cast<int>(log_.LineCount()));
    while (clipper.Step()) {
        for (int i = clipper.DisplayStart; i < clipper.DisplayEnd; ++i) {
            line = ToUtf8(log_.Line(static_cast<size_t>(i)));
            ImGui::TextUnformatted(line.data(), line.data() + line.size());
        }
    }
    if (followEnd_) {
        ImGui::SetScrollHereY(1.0f);
        followEnd_ = false;
    }
    ImGui::EndChild();

    // SndTxt: Enter hands the command to the game; the caret stays in the box.
    ImGui::SetCursorPos(kSndTxtPos);
    ImGui::SetNextItemWidth(kSndTxtSize.x);
    if (focusCommand_) {
        ImGui::SetKeyboardFocusHere();
        focusCommand_ = false;
    }
    if (ImGui::InputText("##SndTxt", &command_, ImGuiInputTextFlags_EnterReturnsTrue)) {
        enter = true;
        focusCommand_ = true;
    }
    // Enter lets go of the box for one frame only: the caret comes straight back.
    commandActive_ = ImGui::IsItemActive() || focusCommand_;

    ImGui::SetCursorPos(kCommand1Pos);
    copy = ImGui::Button("COPY", kCommand1Size);
    ImGui::End();
}

}  // namespace kb
