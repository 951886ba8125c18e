// Writing a replay as text (replay_text.h shows the format).
#include <cstdio>
#include <filesystem>
#include <vector>

#include "replay/replay_spelling.h"
#include "replay/replay_text.h"
#include "text/ustr.h"

namespace kb {

namespace {

using namespace spelling;

// Control bytes, quotes and backslashes are escaped; everything else, UTF-8 included, stays.
std::string Quoted(std::string_view bytes) {
    std::string out = "\"";
    for (unsigned char c : bytes) {
        if (c == '\\' || c == '"') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || c == 0x7F) {
            char buf[5];
            std::snprintf(buf, sizeof buf, "\\x%02x", c);
            out += buf;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

std::string Quoted(std::u16string_view text) {
    return Quoted(std::string_view(ToUtf8(text)));
}

// A text as it is where it can be, in quotes where it must.
std::string Text(std::u16string_view text) {
    const std::string bytes = ToUtf8(text);
    return Bare(bytes) ? bytes : Quoted(std::string_view(bytes));
}

std::string KeyToken(const ReplayStep& s) {
    const bool down = s.kind == ReplayStep::kKeyDown;
    if (s.value >= kVkA && s.value <= kVkZ)
        return std::string(1, static_cast<char>(down ? s.value : s.value - kVkA + 'a'));
    for (const KeyPair& k : kKeyPairs)
        if (k.code == s.value) return std::string(1, down ? k.down : k.up);
    return (down ? "[" : "[/") + std::to_string(s.value) + "]";
}

// A step other than a count of frames.
std::string StepToken(const ReplayStep& s, int& second) {
    switch (s.kind) {
        case ReplayStep::kFrames:
            break;
        case ReplayStep::kKeyDown:
        case ReplayStep::kKeyUp:
            return KeyToken(s);
        case ReplayStep::kSecond: {
            const bool next = s.value == (second + 1) % 60;
            second = s.value;
            return next ? "|" : "[s" + std::to_string(s.value) + "]";
        }
        case ReplayStep::kFps:
            return "[f" + std::to_string(s.value) + "]";
        case ReplayStep::kArrival:
            return Quoted(std::string_view(s.bytes));
        case ReplayStep::kSendComplete:
            return "*";
        case ReplayStep::kConnectionRequest:
            return "[q]";
        case ReplayStep::kRefuse:
            return "[x]";
        case ReplayStep::kConsole:
            return "[c" + Quoted(std::string_view(s.bytes)) + "]";
    }
    return "";
}

void StartLines(const ReplayStart& s, std::string& out) {
    out += "start rng=" + std::to_string(s.rng) + " second=" + std::to_string(s.second) +
           " fps=" + std::to_string(s.fps);
    auto field = [&out](const char* name, long value) {
        if (value != 0) out += std::string(" ") + name + "=" + std::to_string(value);
    };
    field("GameMode", s.GameMode);
    field("MenuNo", s.MenuNo);
    field("GameLevel", s.GameLevel);
    field("KeyState", s.KeyState);
    field("KeyHold", s.KeyHold);
    field("LastKeyUp", s.LastKeyUp);
    field("ShiftDown", s.ShiftDown);
    field("WordNo", s.WordNo);
    if (!s.LastKeyStr.empty()) out += " LastKeyStr=" + Quoted(s.LastKeyStr);
    out += "\n";
    for (const auto& message : s.queue) out += "queue " + Quoted(message) + "\n";
    if (!s.held.empty()) out += "held " + Quoted(s.held) + "\n";
}

// Entries of consecutive indexes on lines "HEAD FIRST v v v", broken where they run apart.
template <typename Entry, typename Value>
void Runs(const std::vector<Entry>& entries, const std::string& head, Value value,
          std::string& out) {
    for (size_t i = 0; i < entries.size();) {
        std::string line = head + " " + std::to_string(entries[i].index);
        size_t j = i;
        do {
            line += " " + std::to_string(value(entries[j]));
            ++j;
        } while (j < entries.size() && entries[j].index == entries[j - 1].index + 1 &&
                 line.size() < kLineWidth);
        out += line + "\n";
        i = j;
    }
}

void WordLines(const Replay& r, std::string& out) {
    out += "words " + std::to_string(r.wordCount) + "\n";
    Runs(
        r.bundled, "bundled " + Hex8(r.bundledCheck),
        [](const ReplayBundled& b) { return b.bundled; }, out);
    for (const ReplayWord& w : r.words)
        out += "word " + std::to_string(w.index) + " " + Text(w.display) + " " + Text(w.reading) +
               "\n";
    Runs(
        r.lengths, "lengths", [](const ReplayLength& l) { return l.length; }, out);
}

// Between two events, what runs (counts of frames, and what the clock does) is written as it
// is, but for the commonest: a single frame after the clock's changes goes without a count,
// and no frame at all is a '.'.
void PlayLines(const Replay& r, std::string& out) {
    int second = r.start.second;
    std::string line;
    auto put = [&](const std::string& token) {
        if (line.size() + token.size() > kLineWidth && !line.empty()) {
            out += "play " + line + "\n";
            line.clear();
        }
        line += token;
    };
    std::vector<const ReplayStep*> between;
    bool afterEvent = false;
    auto putBetween = [&](bool beforeEvent) {
        size_t counts = 0;
        for (const ReplayStep* s : between) counts += s->kind == ReplayStep::kFrames;
        const bool oneLast = counts == 1 && between.back()->kind == ReplayStep::kFrames &&
                             between.back()->value == 1;
        const bool implicit = beforeEvent && afterEvent && (counts == 0 || oneLast);
        for (const ReplayStep* s : between) {
            if (s->kind != ReplayStep::kFrames)
                put(StepToken(*s, second));
            else if (!implicit)
                put(std::to_string(s->value));
        }
        if (implicit && counts == 0) put(".");
        between.clear();
    };
    for (const ReplayStep& s : r.steps) {
        if (!IsEvent(s.kind)) {
            between.push_back(&s);
            continue;
        }
        putBetween(true);
        put(StepToken(s, second));
        afterEvent = true;
    }
    putBetween(false);
    if (!line.empty()) out += "play " + line + "\n";
}

}  // namespace

std::string_view GameVersion() {
    return KB_VERSION;
}

std::string BundledList(const Game& g) {
    return (std::filesystem::path(g.sv.programDir) / "str.dat").string();
}

uint32_t ReplayCheck(std::string_view bytes) {
    return Fnv(kFnvStart, bytes);
}

std::string WriteReplay(const Replay& r, std::string_view note) {
    std::string body;
    StartLines(r.start, body);
    WordLines(r, body);
    PlayLines(r, body);
    const std::string first = std::string(kMagic) + " " + std::to_string(kReplayFormat) + " " +
                              std::string(GameVersion()) + "\n";
    // The check covers every replay line, each with its line end, as the reader meets them.
    const uint32_t check = Fnv(Fnv(kFnvStart, first), body);
    std::string out = first;
    if (!note.empty()) out += "# " + std::string(note) + "\n";
    return out + body + "end " + std::to_string(r.Frames()) + " " + Hex8(check) + "\n";
}

}  // namespace kb
