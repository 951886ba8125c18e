#include "platform/sdl/ttf_fonts.h"

#include <SDL.h>
#include <SDL_ttf.h>

#include <filesystem>

#include "text/ustr.h"

namespace kb {

TtfFontEngine::~TtfFontEngine() {
    for (auto& [key, font] : fonts_) TTF_CloseFont(font);
    if (!path_.empty()) TTF_Quit();
}

std::string TtfFontEngine::FindFontFile(const std::string& programDir) {
    const std::string candidates[] = {
        (std::filesystem::path(programDir) / "ipag.ttf").string(),
        // The browser page's: IPA Gothic cut down to what its bundled files draw, renamed, and
        // the smaller face of the screens' own texts it starts with.
        (std::filesystem::path(programDir) / "kanaburst-gothic.ttf").string(),
        (std::filesystem::path(programDir) / "kanaburst-gothic-screens.ttf").string(),
        "/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf",
        "/usr/share/fonts/truetype/fonts-japanese-gothic.ttf",
    };
    for (const auto& c : candidates) {
        std::error_code ec;
        if (std::filesystem::is_regular_file(c, ec)) return c;
    }
    return candidates[1];
}

bool TtfFontEngine::Open(const std::string& path, std::string& error) {
    if (TTF_Init() != 0) {
        error = std::string("the font library failed to start: ") + TTF_GetError();
        return false;
    }
    TTF_Font* probe = TTF_OpenFontDPI(path.c_str(), 9, 96, 96);
    if (!probe) {
        error = "cannot open the font " + path + ": " + TTF_GetError() +
                " (install the package fonts-ipafont-gothic)";
        TTF_Quit();
        return false;
    }
    path_ = path;
    fonts_[{9, false}] = probe;
    return true;
}

bool TtfFontEngine::UseFace(const std::string& path) {
    TTF_Font* probe = TTF_OpenFontDPI(path.c_str(), 9, 96, 96);
    if (!probe) return false;
    for (auto& [key, font] : fonts_) TTF_CloseFont(font);
    fonts_.clear();
    runs_.clear();
    index_.clear();
    path_ = path;
    fonts_[{9, false}] = probe;
    return true;
}

bool TtfFontEngine::Covers(std::u16string_view text) {
    TTF_Font* font = FontFor(9, false);
    for (size_t i = 0; i < text.size(); ++i) {
        uint32_t c = text[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size()) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        }
        if (!font || !TTF_GlyphIsProvided32(font, c)) return false;
    }
    return true;
}

TTF_Font* TtfFontEngine::FontFor(int points, bool bold) {
    auto it = fonts_.find({points, bold});
    if (it != fonts_.end()) return it->second;
    TTF_Font* font = TTF_OpenFontDPI(path_.c_str(), points, 96, 96);
    if (font && bold) TTF_SetFontStyle(font, TTF_STYLE_BOLD);
    fonts_[{points, bold}] = font;
    return font;
}

void TtfFontEngine::Measure(std::u16string_view text, int points, bool bold, int& w, int& h) {
    w = h = 0;
    TTF_Font* font = FontFor(points, bold);
    if (!font) return;
    h = TTF_FontHeight(font);
    if (text.empty()) return;
    const std::string utf8 = ToUtf8(text);
    int tw = 0, th = 0;
    if (TTF_SizeUTF8(font, utf8.c_str(), &tw, &th) == 0) w = tw;
}

const TextRun& TtfFontEngine::Render(std::u16string_view text, int points, bool bold) {
    Key key{std::u16string(text), points, bold};
    auto found = index_.find(key);
    if (found != index_.end()) {
        runs_.splice(runs_.begin(), runs_, found->second);
        return found->second->second;
    }
    TTF_Font* font = FontFor(points, bold);
    if (!font || text.empty()) return blank_;
    const std::string utf8 = ToUtf8(text);
    SDL_Surface* rendered =
        TTF_RenderUTF8_Blended(font, utf8.c_str(), SDL_Color{255, 255, 255, 255});
    if (!rendered) return blank_;
    TextRun run;
    SDL_Surface* argb = SDL_ConvertSurfaceFormat(rendered, SDL_PIXELFORMAT_ARGB8888, 0);
    SDL_FreeSurface(rendered);
    if (!argb) return blank_;
    run.w = argb->w;
    run.h = argb->h;
    run.coverage.resize(static_cast<size_t>(run.w) * run.h);
    SDL_LockSurface(argb);
    for (int y = 0; y < run.h; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(
            static_cast<const uint8_t*>(argb->pixels) + static_cast<size_t>(y) * argb->pitch);
        for (int x = 0; x < run.w; ++x)
            run.coverage[static_cast<size_t>(y) * run.w + x] = row[x] >> 24;
    }
    SDL_UnlockSurface(argb);
    SDL_FreeSurface(argb);
    runs_.emplace_front(key, std::move(run));
    index_[key] = runs_.begin();
    if (runs_.size() > kCachedRuns) {
        index_.erase(runs_.back().first);
        runs_.pop_back();
    }
    return runs_.front().second;
}

}  // namespace kb
