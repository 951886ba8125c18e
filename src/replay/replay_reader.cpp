// Reading a replay's text (replay_text.h shows the format). Everything read is checked against
// what the game can hold, so that a replay from anywhere plays without harm or is refused
// with the reason.
#include <algorithm>
#include <charconv>
#include <climits>
#include <cstdio>
#include <optional>

#include "replay/replay_spelling.h"
#include "replay/replay_text.h"
#include "text/ustr.h"

namespace kb {

namespace {

using namespace spelling;

constexpr size_t kMaxKeyStr = 11;  // the decimal text of any key code
constexpr size_t kMaxHeld = 3;     // the longest unfinished message: "51" and its first digit
constexpr size_t kMaxSteps = 1 << 18;

struct Fail {
    std::string why;
};

// A line without its comment, trimmed.
std::string_view Code(std::string_view line) {
    bool quoted = false;
    for (size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted && c == '\\') {
            ++i;
        } else if (c == '"') {
            quoted = !quoted;
        } else if (!quoted && c == '#' && (i == 0 || line[i - 1] == ' ' || line[i - 1] == '\t')) {
            line = line.substr(0, i);
            break;
        }
    }
    const auto first = line.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) return {};
    return line.substr(first, line.find_last_not_of(" \t\r") + 1 - first);
}

long long InRange(long long v, long long lo, long long hi, const char* what) {
    if (v < lo || v > hi)
        throw Fail{std::string(what) + " must be " + std::to_string(lo) + " to " +
                   std::to_string(hi) + ", not " + std::to_string(v)};
    return v;
}

class Cursor {
  public:
    explicit Cursor(std::string_view text) : t_(text) {}
    bool Done() {
        SkipBlanks();
        return i_ >= t_.size();
    }
    char Peek() const { return i_ < t_.size() ? t_[i_] : '\0'; }
    char Take() { return i_ < t_.size() ? t_[i_++] : '\0'; }
    void SkipBlanks() {
        while (i_ < t_.size() && (t_[i_] == ' ' || t_[i_] == '\t')) ++i_;
    }
    std::string_view Word() {
        SkipBlanks();
        const size_t start = i_;
        while (i_ < t_.size() && t_[i_] != ' ' && t_[i_] != '\t') ++i_;
        return t_.substr(start, i_ - start);
    }
    // Digits, with a leading minus when allowed.
    long long Number(bool negative = false) {
        SkipBlanks();
        const size_t start = i_;
        if (negative && Peek() == '-') ++i_;
        while (i_ < t_.size() && t_[i_] >= '0' && t_[i_] <= '9') ++i_;
        long long v = 0;
        const auto r = std::from_chars(t_.data() + start, t_.data() + i_, v);
        if (r.ec != std::errc() || r.ptr != t_.data() + i_)
            throw Fail{"expected a number at \"" + std::string(t_.substr(start, 12)) + "\""};
        return v;
    }
    std::string QuotedText() {
        SkipBlanks();
        if (Take() != '"') throw Fail{"expected a quoted text"};
        std::string out;
        for (;;) {
            if (i_ >= t_.size()) throw Fail{"a quoted text has no end"};
            const unsigned char c = static_cast<unsigned char>(Take());
            if (c == '"') break;
            if (c < 0x20 || c == 0x7F) throw Fail{"a control character inside quotes"};
            if (c != '\\') {
                out += static_cast<char>(c);
            } else if (Peek() == '\\' || Peek() == '"') {
                out += Take();
            } else if (Peek() == 'x') {
                const std::string_view hex = t_.substr(i_ + 1, 2);
                unsigned v{};
                const auto r = std::from_chars(hex.data(), hex.data() + hex.size(), v, 16);
                if (hex.size() != 2 || r.ec != std::errc() || r.ptr != hex.data() + 2)
                    throw Fail{"a bad \\x escape"};
                i_ += 3;
                out += static_cast<char>(v);
            } else {
                throw Fail{"a bad escape inside quotes"};
            }
            if (out.size() > kReplayMaxText) throw Fail{"a text longer than a replay holds"};
        }
        return out;
    }
    // A text as it is, or in quotes.
    std::u16string Text() {
        SkipBlanks();
        if (Peek() == '"') return FromUtf8(QuotedText());
        const std::string_view bare = Word();
        if (bare.empty()) throw Fail{"expected a text"};
        return FromUtf8(bare);
    }

  private:
    std::string_view t_;
    size_t i_ = 0;
};

// The text of a key code, as the game keeps the last one pressed: an optional minus and digits.
bool KeyText(const std::u16string& s) {
    if (s.empty() || s.size() > kMaxKeyStr) return false;
    for (size_t i = 0; i < s.size(); ++i)
        if (!(s[i] >= u'0' && s[i] <= u'9') && !(i == 0 && s[i] == u'-' && s.size() > 1))
            return false;
    return true;
}

// Before its first step a match is either not chosen yet (the title) or a connection's.
Long StartMode(long long v) {
    if (v != kModeNone && v != kModeClient && v != kModeServer)
        throw Fail{"GameMode must be 0, 2 or 3 before a match, not " + std::to_string(v)};
    return static_cast<Long>(v);
}

void StartField(std::string_view token, ReplayStart& s) {
    const auto eq = token.find('=');
    if (eq == std::string_view::npos) throw Fail{"expected NAME=VALUE in start"};
    const std::string name(token.substr(0, eq));
    Cursor c(token.substr(eq + 1));
    if (name == "LastKeyStr") {
        s.LastKeyStr = FromUtf8(c.QuotedText());
        if (!KeyText(s.LastKeyStr)) throw Fail{"LastKeyStr must be the text of a key code"};
    } else {
        const long long v = c.Number(true);
        if (name == "rng")
            s.rng = static_cast<uint32_t>(InRange(v, 0, 0xFFFFFF, "rng"));
        else if (name == "second")
            s.second = static_cast<int>(InRange(v, 0, kLastSecond, "second"));
        else if (name == "fps")
            s.fps = static_cast<Long>(InRange(v, 0, kMaxFps, "fps"));
        else if (name == "GameMode")
            s.GameMode = StartMode(v);
        else if (name == "MenuNo")
            s.MenuNo = static_cast<Integer>(InRange(v, 0, 8, "MenuNo"));
        else if (name == "GameLevel")
            s.GameLevel = static_cast<Long>(InRange(v, 0, 2, "GameLevel"));
        else if (name == "KeyState")
            s.KeyState = static_cast<Byte>(InRange(v, 0, 2, "KeyState"));
        else if (name == "KeyHold")
            s.KeyHold = static_cast<Byte>(InRange(v, 0, 1, "KeyHold"));
        else if (name == "LastKeyUp")
            s.LastKeyUp = static_cast<Byte>(InRange(v, 0, 255, "LastKeyUp"));
        else if (name == "ShiftDown")
            s.ShiftDown = static_cast<Byte>(InRange(v, 0, 1, "ShiftDown"));
        else if (name == "WordNo")
            s.WordNo = static_cast<Integer>(InRange(v, 0, kReplayMaxWords, "WordNo"));
        else
            throw Fail{"unknown start field " + name};
    }
    if (!c.Done()) throw Fail{"unexpected text after " + name};
}

int32_t KeyCode(Cursor& c) {
    return static_cast<int32_t>(InRange(c.Number(true), INT32_MIN, INT32_MAX, "a key code"));
}

ReplayStep Bracketed(Cursor& c) {
    ReplayStep s;
    const char kind = c.Peek();
    if ((kind >= '0' && kind <= '9') || kind == '-') {
        s = {ReplayStep::kKeyDown, KeyCode(c), {}};
    } else {
        c.Take();
        switch (kind) {
            case '/':
                s = {ReplayStep::kKeyUp, KeyCode(c), {}};
                break;
            case 's':
                s.kind = ReplayStep::kSecond;
                s.value = static_cast<int32_t>(InRange(c.Number(), 0, kLastSecond, "a second"));
                break;
            case 'f':
                s.kind = ReplayStep::kFps;
                s.value = static_cast<int32_t>(InRange(c.Number(), 0, kMaxFps, "a frame rate"));
                break;
            case 'q':
                s.kind = ReplayStep::kConnectionRequest;
                break;
            case 'x':
                s.kind = ReplayStep::kRefuse;
                break;
            case 'c':
                s = {ReplayStep::kConsole, 0, c.QuotedText()};
                break;
            default:
                throw Fail{std::string("unknown step [") + kind};
        }
    }
    if (c.Take() != ']') throw Fail{"a bracketed step has no ]"};
    return s;
}

// A step of one character, or none.
std::optional<ReplayStep> Single(char ch) {
    if (ch >= 'A' && ch <= 'Z') return ReplayStep{ReplayStep::kKeyDown, ch, {}};
    if (ch >= 'a' && ch <= 'z') return ReplayStep{ReplayStep::kKeyUp, ch - 'a' + kVkA, {}};
    for (const KeyPair& k : kKeyPairs) {
        if (ch == k.down) return ReplayStep{ReplayStep::kKeyDown, k.code, {}};
        if (ch == k.up) return ReplayStep{ReplayStep::kKeyUp, k.code, {}};
    }
    if (ch == '*') return ReplayStep{ReplayStep::kSendComplete, 0, {}};
    return std::nullopt;
}

class Reader {
  public:
    Reader(Replay& r, std::vector<ReplayExtraLine>* extras) : r_(r), extras_(extras) {}

    void Line(int lineNo, std::string_view line) {
        const std::string_view code = Code(line);
        if (code.empty()) return;
        Cursor c(code);
        const std::string_view cmd = c.Word();
        if (!magic_) {
            if (cmd != kMagic) throw Fail{"this is not a Kanaburst replay"};
            Magic(c);
        } else if (ended_) {
            if (IsReplayLine(cmd)) throw Fail{"replay lines after its end line"};
            Extra(lineNo, line);
            return;
        } else if (cmd == "end") {
            End(c);
            return;
        } else if (!Command(cmd, c)) {
            Extra(lineNo, line);
            return;
        }
        check_ = Fnv(Fnv(check_, code), "\n");
    }

    void Finish() {
        if (!magic_) throw Fail{"this is not a Kanaburst replay (the file is empty)"};
        if (!ended_) throw Fail{"the replay is cut short (it has no end line)"};
    }

  private:
    static bool IsReplayLine(std::string_view cmd) {
        for (std::string_view k :
             {"start", "queue", "held", "words", "bundled", "word", "lengths", "play", "end"})
            if (cmd == k) return true;
        return cmd == kMagic;
    }

    void Magic(Cursor& c) {
        magic_ = true;
        const long long format = c.Number();
        r_.gameVersion = std::string(c.Word());
        if (r_.gameVersion.empty() || !c.Done()) throw Fail{"a bad first line"};
        if (format > kReplayFormat)
            throw Fail{"it was recorded by Kanaburst " + r_.gameVersion + " in replay format " +
                       std::to_string(format) + ", and this Kanaburst " +
                       std::string(GameVersion()) + " plays format " +
                       std::to_string(kReplayFormat) + " only: a newer Kanaburst plays it"};
        if (format != kReplayFormat)
            throw Fail{"replay format " + std::to_string(format) + " (Kanaburst " + r_.gameVersion +
                       ") is not one this Kanaburst plays; it plays format " +
                       std::to_string(kReplayFormat)};
        r_.format = static_cast<int>(format);
    }

    bool Command(std::string_view cmd, Cursor& c) {
        if (cmd == "play") {
            if (!started_ || !counted_) throw Fail{"play before the start and words lines"};
            Play(c);
            return true;
        }
        if (playing_ && IsReplayLine(cmd))
            throw Fail{std::string(cmd) + " after the first play line"};
        if (cmd == "start") {
            if (started_) throw Fail{"a second start line"};
            started_ = true;
            for (std::string_view t = c.Word(); !t.empty(); t = c.Word()) StartField(t, r_.start);
            second_ = r_.start.second;
        } else if (cmd == "queue") {
            if (r_.start.queue.size() == kSendSlots)
                throw Fail{"more messages queued than the queue holds"};
            std::string text = c.QuotedText();
            if (text.empty()) throw Fail{"an empty message in the queue"};
            r_.start.queue.push_back(FromUtf8(text));
        } else if (cmd == "held") {
            r_.start.held = FromUtf8(c.QuotedText());
            if (r_.start.held.size() > kMaxHeld)
                throw Fail{"held text longer than an unfinished message"};
        } else if (cmd == "words") {
            if (counted_) throw Fail{"a second words line"};
            counted_ = true;
            r_.wordCount = static_cast<int>(InRange(c.Number(), 0, kReplayMaxWords, "words"));
        } else if (cmd == "word") {
            const int index = Entry(c, lastWord_);
            std::u16string display = c.Text();
            r_.words.push_back({index, std::move(display), c.Text()});
        } else if (cmd == "bundled") {
            const std::string_view check = c.Word();
            if (check.size() != 8 || (!r_.bundled.empty() && check != Hex8(r_.bundledCheck)) ||
                std::from_chars(check.data(), check.data() + 8, r_.bundledCheck, 16).ptr !=
                    check.data() + 8)
                throw Fail{"a bundled line needs the check of one word list"};
            Run(c, lastBundled_, [&](int index, long long v) {
                r_.bundled.push_back(
                    {index, static_cast<int>(InRange(v, 0, kReplayMaxWords - 1, "a list entry"))});
            });
        } else if (cmd == "lengths") {
            Run(c, lastLength_, [&](int index, long long v) {
                r_.lengths.push_back({index, static_cast<int>(InRange(v, 0, kMaxReadingLength,
                                                                      "a reading's length"))});
            });
        } else {
            return false;
        }
        if (!c.Done()) throw Fail{"unexpected text at the end of the line"};
        return true;
    }

    // The index of a new entry: in the list, after every entry of its kind before it.
    int Entry(Cursor& c, int& last) {
        if (!counted_) throw Fail{"an entry before the words line"};
        const int index =
            static_cast<int>(InRange(c.Number(), 0, r_.wordCount - 1, "an entry's index"));
        if (index <= last) throw Fail{"entries out of order or given twice"};
        last = index;
        return index;
    }

    // "FIRST v v v": values of the entries from FIRST on.
    template <typename Add>
    void Run(Cursor& c, int& last, Add add) {
        for (int index = Entry(c, last);; last = ++index) {
            if (index >= r_.wordCount) throw Fail{"entries run past the word list's end"};
            add(index, c.Number());
            if (c.Done()) break;
        }
    }

    void Play(Cursor& c) {
        playing_ = true;
        while (!c.Done()) {
            const char ch = c.Peek();
            if (ch >= '0' && ch <= '9') {
                const long long n = InRange(c.Number(), 1, kReplayMaxFrames, "a count of frames");
                Frames(n);
                afterEvent_ = false;
                continue;
            }
            if (ch == '.') {
                c.Take();
                if (!afterEvent_) throw Fail{"a . where no frame would run"};
                afterEvent_ = false;
                continue;
            }
            const ReplayStep s = Step(c);
            const bool event = IsEvent(s.kind);
            // Two events with nothing but the clock's changes between them: a frame between,
            // after those changes.
            if (event && afterEvent_) Frames(1);
            if (s.kind == ReplayStep::kSecond) second_ = s.value;
            Add(s);
            if (event) afterEvent_ = true;
        }
    }

    // A step other than a count of frames or a '.'.
    ReplayStep Step(Cursor& c) {
        const char ch = c.Peek();
        if (ch == '"') return {ReplayStep::kArrival, 0, c.QuotedText()};
        c.Take();
        if (const auto single = Single(ch)) return *single;
        if (ch == '|') return {ReplayStep::kSecond, (second_ + 1) % 60, {}};
        if (ch == '[') return Bracketed(c);
        throw Fail{std::string("unexpected '") + ch + "' in a play line"};
    }

    void Frames(long long n) {
        frames_ += n;
        if (frames_ > kReplayMaxFrames) throw Fail{"the replay is longer than an hour"};
        Add({ReplayStep::kFrames, static_cast<int32_t>(n), {}});
    }

    void Add(ReplayStep s) {
        if (r_.steps.size() >= kMaxSteps)
            throw Fail{"the replay has more steps than a replay holds"};
        // Counts written apart (on two lines) are one run of frames, unless a line of another
        // kind stands between them.
        if (s.kind == ReplayStep::kFrames && !r_.steps.empty() && !apart_ &&
            r_.steps.back().kind == ReplayStep::kFrames)
            r_.steps.back().value += s.value;
        else
            r_.steps.push_back(std::move(s));
        apart_ = false;
    }

    void End(Cursor& c) {
        if (!playing_) throw Fail{"the replay has no steps"};
        ended_ = true;
        const long long said = c.Number();
        if (said != frames_)
            throw Fail{"the replay is cut short or damaged: its end line counts " +
                       std::to_string(said) + " frames, its steps " + std::to_string(frames_)};
        const std::string_view check = c.Word();
        if (!check.empty() && check != Hex8(check_))
            throw Fail{"the replay is damaged (its check value does not match its lines)"};
        if (!c.Done()) throw Fail{"unexpected text at the end of the line"};
    }

    void Extra(int lineNo, std::string_view line) {
        if (!extras_) return;
        extras_->push_back({lineNo, r_.steps.size(), std::string(line)});
        apart_ = true;
        afterEvent_ = false;
    }

    Replay& r_;
    std::vector<ReplayExtraLine>* extras_;
    bool magic_ = false, started_ = false, counted_ = false, playing_ = false, ended_ = false;
    bool apart_ = false;       // a line of another kind came after the last step
    bool afterEvent_ = false;  // the last step written was an event
    int lastWord_ = -1, lastBundled_ = -1, lastLength_ = -1;
    int second_ = 0;
    long frames_ = 0;
    uint32_t check_ = kFnvStart;
};

void Validate(const Replay& r) {
    std::vector<char> given(static_cast<size_t>(r.wordCount), 0);
    auto mark = [&](int index) {
        if (given[static_cast<size_t>(index)]++)
            throw Fail{"entry " + std::to_string(index) + " is given twice"};
    };
    for (const ReplayWord& w : r.words) {
        mark(w.index);
        if (w.reading.size() > kMaxReadingLength || w.display.size() > kMaxReadingLength)
            throw Fail{"a word longer than a word list holds"};
    }
    for (const ReplayBundled& b : r.bundled) mark(b.index);
    for (const ReplayLength& l : r.lengths) mark(l.index);
    if (r.start.WordNo >= std::max(r.wordCount, 1))
        throw Fail{"WordNo is past the word list's end"};
}

}  // namespace

long Replay::Frames() const {
    long n = 0;
    for (const ReplayStep& s : steps)
        if (s.kind == ReplayStep::kFrames) n += s.value;
    return n;
}

bool ReadReplay(std::string_view text, Replay& out, std::string& why,
                std::vector<ReplayExtraLine>* extras) {
    out = Replay{};
    if (text.size() > kReplayMaxBytes) {
        why = "the file is too large to be a replay (" + std::to_string(text.size() / 1024) +
              " KB; a replay is at most " + std::to_string(kReplayMaxBytes / 1024) + " KB)";
        return false;
    }
    Reader reader(out, extras);
    int lineNo = 0;
    try {
        for (size_t at = 0; at < text.size();) {
            size_t eol = text.find('\n', at);
            if (eol == std::string_view::npos) eol = text.size();
            ++lineNo;
            reader.Line(lineNo, text.substr(at, eol - at));
            at = eol + 1;
        }
        lineNo = 0;
        reader.Finish();
        Validate(out);
    } catch (const Fail& f) {
        why = lineNo > 0 ? f.why + " (line " + std::to_string(lineNo) + ")" : f.why;
        return false;
    }
    return true;
}

}  // namespace kb
