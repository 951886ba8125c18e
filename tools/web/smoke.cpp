// Checks that the browser build's libraries work together: SDL starts with the dummy video
// driver, SDL_ttf opens the game's font and draws kana, Latin and bold text, SDL_image decodes the
// background JPEG and SDL_mixer decodes a sound effect. The files are read from the program's own
// (preloaded) file system. Prints one line per check. Built natively it prints the same lines
// except the sound's hash: the native SDL converts samples with SSE2, which rounds where the plain
// C code (wasm) truncates, so about half the converted samples differ by one.
#include <SDL.h>
#include <SDL_image.h>
#include <SDL_mixer.h>
#include <SDL_ttf.h>

#include <cstdint>
#include <cstdio>
#include <span>
#include <string>

namespace {

// FNV-1a, enough to tell whether two decoders produced the same bytes.
std::uint32_t Hash(std::span<const std::uint8_t> bytes) {
    std::uint32_t h = 2166136261u;
    for (std::uint8_t b : bytes) h = (h ^ b) * 16777619u;
    return h;
}

// Hash of a surface's pixels as 32-bit RGBA, row by row, without the row padding.
std::uint32_t HashPixels(SDL_Surface* surface) {
    SDL_Surface* rgba = SDL_ConvertSurfaceFormat(surface, SDL_PIXELFORMAT_RGBA32, 0);
    if (!rgba) return 0;
    std::uint32_t h = 2166136261u;
    const auto* pixels = static_cast<const std::uint8_t*>(rgba->pixels);
    for (int y = 0; y < rgba->h; ++y) {
        for (std::uint8_t b : std::span(pixels + y * rgba->pitch, rgba->w * 4)) {
            h = (h ^ b) * 16777619u;
        }
    }
    SDL_FreeSurface(rgba);
    return h;
}

std::string Version(const SDL_version& v) {
    return std::to_string(v.major) + "." + std::to_string(v.minor) + "." + std::to_string(v.patch);
}

int Fail(const char* what, const char* error) {
    std::printf("FAILED %s: %s\n", what, error);
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    // Files come from the program's directory: "/" in the browser's preloaded file system,
    // the first argument natively.
    const std::string dir = argc > 1 ? std::string(argv[1]) + "/" : "/";

    SDL_SetHint(SDL_HINT_VIDEODRIVER, "dummy");
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_AUDIO) != 0) return Fail("SDL_Init", SDL_GetError());
    SDL_version linked;
    SDL_GetVersion(&linked);
    std::printf("SDL %s, SDL_ttf %s, SDL_image %s, SDL_mixer %s\n", Version(linked).c_str(),
                Version(*TTF_Linked_Version()).c_str(), Version(*IMG_Linked_Version()).c_str(),
                Version(*Mix_Linked_Version()).c_str());
    std::printf("video driver: %s\n", SDL_GetCurrentVideoDriver());

    if (TTF_Init() != 0) return Fail("TTF_Init", TTF_GetError());
    TTF_Font* font = TTF_OpenFont((dir + "ipag.ttf").c_str(), 16);
    if (!font) return Fail("TTF_OpenFont", TTF_GetError());
    const char* text = "かなバースト";
    int w = 0;
    int h = 0;
    TTF_SizeUTF8(font, text, &w, &h);
    SDL_Surface* rendered = TTF_RenderUTF8_Blended(font, text, SDL_Color{255, 255, 255, 255});
    if (!rendered) return Fail("TTF_RenderUTF8_Blended", TTF_GetError());
    std::printf("font: %s %s, 16 px: height %d, \"%s\" %dx%d, pixels %08x\n",
                TTF_FontFaceFamilyName(font), TTF_FontFaceStyleName(font), TTF_FontHeight(font),
                text, w, h, HashPixels(rendered));
    SDL_FreeSurface(rendered);
    TTF_CloseFont(font);

    // Latin at the title's size shows how the rasterizer flattens curves; bold shows where the
    // shaper puts the glyphs. Both differ between a library built one way and another.
    struct Sample {
        const char* text;
        int pixels;
        bool bold;
    };
    for (const Sample& sample :
         {Sample{"Kana Burst", 40, false}, Sample{"RESULT : LOSE", 16, true}}) {
        font = TTF_OpenFont((dir + "ipag.ttf").c_str(), sample.pixels);
        if (!font) return Fail("TTF_OpenFont", TTF_GetError());
        if (sample.bold) TTF_SetFontStyle(font, TTF_STYLE_BOLD);
        rendered = TTF_RenderUTF8_Blended(font, sample.text, SDL_Color{255, 255, 255, 255});
        if (!rendered) return Fail("TTF_RenderUTF8_Blended", TTF_GetError());
        std::printf("text: %d px%s, \"%s\" %dx%d, pixels %08x\n", sample.pixels,
                    sample.bold ? " bold" : "", sample.text, rendered->w, rendered->h,
                    HashPixels(rendered));
        SDL_FreeSurface(rendered);
        TTF_CloseFont(font);
    }

    if (IMG_Init(IMG_INIT_JPG | IMG_INIT_PNG) != (IMG_INIT_JPG | IMG_INIT_PNG)) {
        return Fail("IMG_Init", IMG_GetError());
    }
    SDL_Surface* picture = IMG_Load((dir + "back.jpg").c_str());
    if (!picture) return Fail("IMG_Load", IMG_GetError());
    std::printf("image: back.jpg %dx%d, pixels %08x\n", picture->w, picture->h,
                HashPixels(picture));
    SDL_FreeSurface(picture);

    if (Mix_OpenAudio(44100, AUDIO_S16SYS, 2, 1024) != 0)
        return Fail("Mix_OpenAudio", Mix_GetError());
    int frequency = 0;
    Uint16 format = 0;
    int channels = 0;
    Mix_QuerySpec(&frequency, &format, &channels);
    std::printf("audio: %d Hz, %d channels, %d-bit\n", frequency, channels,
                SDL_AUDIO_BITSIZE(format));
    Mix_Chunk* sound = Mix_LoadWAV((dir + "fire.wav").c_str());
    if (!sound) return Fail("Mix_LoadWAV", Mix_GetError());
    std::printf("sound: fire.wav %u frames, samples %08x\n",
                sound->alen / (channels * SDL_AUDIO_BITSIZE(format) / 8),
                Hash(std::span(sound->abuf, sound->alen)));
    Mix_FreeChunk(sound);
    Mix_CloseAudio();

    IMG_Quit();
    TTF_Quit();
    SDL_Quit();
    std::printf("smoke: ok\n");
    return 0;
}
