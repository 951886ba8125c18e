#pragma once
#include <list>
#include <map>
#include <string>
#include <unordered_map>

#include "platform/fonts.h"

typedef struct _TTF_Font TTF_Font;

namespace kb {

// The game's typeface through SDL_ttf, at 96 dots per inch (9 points = 12 pixels). Fonts are
// opened once per size and weight; rendered runs are kept in a small cache, since a frame
// prints mostly the same texts as the one before.
class TtfFontEngine : public FontEngine {
  public:
    ~TtfFontEngine() override;
    // False when the font file cannot be opened; error says which file and why.
    bool Open(const std::string& path, std::string& error);
    // Draws from now on with the face in path (which must hold every glyph the old one had);
    // false, and the old face kept, when it cannot be opened.
    bool UseFace(const std::string& path);
    // Whether the face has a glyph for every character of the text.
    bool Covers(std::u16string_view text);
    void Measure(std::u16string_view text, int points, bool bold, int& w, int& h) override;
    const TextRun& Render(std::u16string_view text, int points, bool bold) override;

    // Where the game looks for its typeface.
    static std::string FindFontFile(const std::string& programDir);

  private:
    // The typeface opened at that size and weight, kept for the next call; null when it cannot
    // open.
    TTF_Font* FontFor(int points, bool bold);
    struct Key {
        std::u16string text;
        int points;
        bool bold;
        bool operator==(const Key& o) const {
            return points == o.points && bold == o.bold && text == o.text;
        }
    };
    struct KeyHash {
        // The hash of a run, for the cache of rendered runs.
        size_t operator()(const Key& k) const {
            return std::hash<std::u16string>()(k.text) ^ (static_cast<size_t>(k.points) << 1) ^
                   static_cast<size_t>(k.bold);
        }
    };
    std::string path_;
    std::map<std::pair<int, bool>, TTF_Font*> fonts_;
    std::list<std::pair<Key, TextRun>> runs_;  // most recent first
    std::unordered_map<Key, std::list<std::pair<Key, TextRun>>::iterator, KeyHash> index_;
    TextRun blank_;
    static constexpr size_t kCachedRuns = 512;
};

}  // namespace kb
