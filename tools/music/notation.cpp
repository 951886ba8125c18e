#include "notation.h"

#include <algorithm>
#include <charconv>
#include <map>
#include <stdexcept>
#include <string>

namespace kb::midi {
namespace {

std::vector<std::string_view> Split(std::string_view text) {
    std::vector<std::string_view> words;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t begin = text.find_first_not_of(" \n", at);
        if (begin == std::string_view::npos) break;
        const std::size_t end = std::min(text.find_first_of(" \n", begin), text.size());
        words.push_back(text.substr(begin, end - begin));
        at = end;
    }
    return words;
}

int ToInt(std::string_view digits) {
    int value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (error != std::errc{} || end != digits.data() + digits.size()) {
        throw std::invalid_argument("not a number: " + std::string(digits));
    }
    return value;
}

// Reads a letter and optional # or b from the front of `text`: semitones above
// the letter's C, so Cb is -1 and B# is 12.
int Semitone(std::string_view& text) {
    static const std::map<char, int> kLetters{{'C', 0}, {'D', 2}, {'E', 4}, {'F', 5},
                                              {'G', 7}, {'A', 9}, {'B', 11}};
    const auto letter = text.empty() ? kLetters.end() : kLetters.find(text[0]);
    if (letter == kLetters.end()) throw std::invalid_argument("not a note: " + std::string(text));
    int pc = letter->second;
    text.remove_prefix(1);
    if (!text.empty() && text[0] == '#') {
        ++pc;
        text.remove_prefix(1);
    } else if (!text.empty() && text[0] == 'b') {
        --pc;
        text.remove_prefix(1);
    }
    return pc;
}

int PitchClass(std::string_view& text) {
    return (Semitone(text) + 12) % 12;
}

// Splits "word:length" into the word and its length, `fallback` when no colon.
std::pair<std::string_view, int> WithLength(std::string_view word, int fallback) {
    const std::size_t colon = word.find(':');
    if (colon == std::string_view::npos) return {word, fallback};
    return {word.substr(0, colon), ToInt(word.substr(colon + 1))};
}

}  // namespace

int KeyNumber(std::string_view name) {
    std::string_view octave = name;
    const int offset = Semitone(octave);
    return 12 * (ToInt(octave) + 1) + offset;
}

std::vector<MelodyNote> ParseMelody(std::string_view text, Tick start) {
    std::vector<MelodyNote> notes;
    Tick at = start;
    for (std::string_view word : Split(text)) {
        const auto [name, sixteenths] = WithLength(word, 0);
        if (sixteenths <= 0) throw std::invalid_argument("melody note without length");
        const Tick length = static_cast<Tick>(sixteenths) * kSixteenth;
        notes.push_back({name == "r" ? -1 : KeyNumber(name), at, length});
        at += length;
    }
    return notes;
}

std::vector<Chord> ParseChords(std::string_view text, Tick start) {
    static const std::map<std::string_view, std::vector<int>> kQualities{
        {"", {0, 4, 7}},          {"m", {0, 3, 7}},        {"7", {0, 4, 7, 10}},
        {"maj7", {0, 4, 7, 11}},  {"m7", {0, 3, 7, 10}},   {"6", {0, 4, 7, 9}},
        {"m6", {0, 3, 7, 9}},     {"sus2", {0, 2, 7}},     {"sus4", {0, 5, 7}},
        {"7sus4", {0, 5, 7, 10}}, {"add9", {0, 4, 7, 2}},  {"dim", {0, 3, 6}},
        {"dim7", {0, 3, 6, 9}},   {"m7b5", {0, 3, 6, 10}}, {"aug", {0, 4, 8}}};
    std::vector<Chord> chords;
    Tick at = start;
    for (std::string_view word : Split(text)) {
        auto [symbol, beats] = WithLength(word, 4);
        const std::size_t slash = symbol.find('/');
        std::string_view body = symbol.substr(0, slash);
        const int root = PitchClass(body);
        const auto quality = kQualities.find(body);
        if (quality == kQualities.end()) {
            throw std::invalid_argument("unknown chord: " + std::string(word));
        }
        int bass = root;
        if (slash != std::string_view::npos) {
            std::string_view bassName = symbol.substr(slash + 1);
            bass = PitchClass(bassName);
        }
        Chord chord{root, bass, {}, at, static_cast<Tick>(beats) * kBeat};
        for (int interval : quality->second) chord.classes.push_back((root + interval) % 12);
        chords.push_back(chord);
        at += chord.length;
    }
    return chords;
}

int KeyInRange(int pc, int low) {
    return low + ((pc - low) % 12 + 12) % 12;
}

std::vector<int> CloseVoicing(const Chord& chord, int low) {
    std::vector<int> keys;
    for (int pc : chord.classes) keys.push_back(KeyInRange(pc, low));
    std::sort(keys.begin(), keys.end());
    keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
    return keys;
}

std::vector<int> SpreadVoicing(const Chord& chord, int low) {
    const int root = KeyInRange(chord.root, low);
    std::vector<int> above = CloseVoicing(chord, root);
    std::vector<int> keys;
    for (int octave = 0; octave < 3; ++octave) {
        for (int key : above) keys.push_back(key + 12 * octave);
    }
    return keys;
}

}  // namespace kb::midi
