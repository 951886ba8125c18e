#include "replay/replay_text.h"

#include <charconv>
#include <cstdio>
#include <optional>

#include "shell/ustr.h"
#include "typing/key_codes.h"

namespace kb {

namespace {

constexpr std::string_view kMagic = "kanaburst-replay";
constexpr size_t kPlayLineWidth = 100;  // a play line is broken between steps after this many
constexpr int kLastSecond = 59;
constexpr int kMaxReadingLength = 1024;
constexpr size_t kMaxKeyStr = 11;  // the decimal text of any key code
constexpr size_t kMaxHeld = 3;     // the longest unfinished message: "51" and its first digit
constexpr Long kMaxFps = 1000;
constexpr size_t kMaxSteps = 1 << 18;

// FNV-1a: enough to tell a damaged line from the one written.
uint32_t Fnv(uint32_t h, std::string_view text) {
    for (unsigned char c : text) h = (h ^ c) * 16777619u;
    return h;
}
constexpr uint32_t kFnvStart = 2166136261u;

std::string Hex8(uint32_t v) {
    char buf[9];
    std::snprintf(buf, sizeof buf, "%08x", v);
    return buf;
}

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

std::string KeyToken(const ReplayStep& s) {
    const bool down = s.kind == ReplayStep::kKeyDown;
    if (s.value >= kVkA && s.value <= kVkZ)
        return std::string(1, static_cast<char>(down ? s.value : s.value - kVkA + 'a'));
    if (s.value == kVkReturn) return down ? "(" : ")";
    if (s.value == kVkBack) return down ? "<" : ">";
    return (down ? "[" : "[/") + std::to_string(s.value) + "]";
}

std::string StepToken(const ReplayStep& s, int& second) {
    switch (s.kind) {
        case ReplayStep::kFrames:
            return std::to_string(s.value);
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

void StartLine(const ReplayStart& s, std::string& out) {
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

void WordLines(const Replay& r, std::string& out) {
    out += "words " + std::to_string(r.wordCount) + "\n";
    for (const ReplayWord& w : r.words)
        out += "word " + std::to_string(w.index) + " " + Quoted(w.display) + " " +
               Quoted(w.reading) + "\n";
    for (size_t i = 0; i < r.lengths.size();) {
        std::string line = "lengths " + std::to_string(r.lengths[i].index);
        size_t j = i;
        do {
            line += " " + std::to_string(r.lengths[j].length);
            ++j;
        } while (j < r.lengths.size() && r.lengths[j].index == r.lengths[j - 1].index + 1 &&
                 line.size() < kPlayLineWidth);
        out += line + "\n";
        i = j;
    }
}

void PlayLines(const Replay& r, std::string& out) {
    int second = r.start.second;
    std::string line;
    bool afterNumber = false;
    for (const ReplayStep& s : r.steps) {
        const std::string token = StepToken(s, second);
        const bool number = s.kind == ReplayStep::kFrames;
        if (line.size() + token.size() > kPlayLineWidth && !line.empty()) {
            out += "play " + line + "\n";
            line.clear();
        } else if (number && afterNumber) {
            line += ' ';  // two counts in a row would read as one
        }
        line += token;
        afterNumber = number;
    }
    if (!line.empty()) out += "play " + line + "\n";
}

// ---- Reading ----

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
            } else if (Peek() == 'x' && i_ + 2 < t_.size()) {
                ++i_;
                unsigned v = 0;
                const auto r = std::from_chars(t_.data() + i_, t_.data() + i_ + 2, v, 16);
                if (r.ec != std::errc() || r.ptr != t_.data() + i_ + 2)
                    throw Fail{"a bad \\x escape"};
                i_ += 2;
                out += static_cast<char>(v);
            } else {
                throw Fail{"a bad escape inside quotes"};
            }
            if (out.size() > kReplayMaxText) throw Fail{"a text longer than a replay holds"};
        }
        return out;
    }

  private:
    std::string_view t_;
    size_t i_ = 0;
};

long long InRange(long long v, long long lo, long long hi, const char* what) {
    if (v < lo || v > hi)
        throw Fail{std::string(what) + " must be " + std::to_string(lo) + " to " +
                   std::to_string(hi) + ", not " + std::to_string(v)};
    return v;
}

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
                s = {ReplayStep::kSecond,
                     static_cast<int32_t>(InRange(c.Number(), 0, kLastSecond, "a second")),
                     {}};
                break;
            case 'f':
                s = {ReplayStep::kFps,
                     static_cast<int32_t>(InRange(c.Number(), 0, kMaxFps, "a frame rate")),
                     {}};
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
        check_ = Fnv(check_, code);
        check_ = Fnv(check_, "\n");
    }

    void Finish() {
        if (!magic_) throw Fail{"this is not a Kanaburst replay (the file is empty)"};
        if (!ended_) throw Fail{"the replay is cut short (it has no end line)"};
    }

  private:
    static bool IsReplayLine(std::string_view cmd) {
        for (std::string_view k :
             {"start", "queue", "held", "words", "word", "lengths", "play", "end"})
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
                       std::string(kGameVersion) + " plays format " +
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
            const int index = Entry(c);
            ReplayWord w{index, FromUtf8(c.QuotedText()), FromUtf8(c.QuotedText())};
            r_.words.push_back(std::move(w));
        } else if (cmd == "lengths") {
            for (int index = Entry(c);; lastEntry_ = ++index) {
                if (index >= r_.wordCount) throw Fail{"lengths run past the word list's end"};
                c.SkipBlanks();
                const long long length = c.Number();
                r_.lengths.push_back({index, static_cast<int>(InRange(length, 0, kMaxReadingLength,
                                                                      "a reading's length"))});
                if (c.Done()) break;
            }
        } else {
            return false;
        }
        if (!c.Done()) throw Fail{"unexpected text at the end of the line"};
        return true;
    }

    // The index of a new entry: in the list, after every entry before it.
    int Entry(Cursor& c) {
        if (!counted_) throw Fail{"an entry before the words line"};
        const int index =
            static_cast<int>(InRange(c.Number(), 0, r_.wordCount - 1, "an entry's index"));
        if (index <= lastEntry_) throw Fail{"entries out of order or given twice"};
        lastEntry_ = index;
        return index;
    }

    void Play(Cursor& c) {
        playing_ = true;
        while (!c.Done()) {
            const char ch = c.Peek();
            ReplayStep s;
            if (ch >= '0' && ch <= '9') {
                s = {ReplayStep::kFrames,
                     static_cast<int32_t>(
                         InRange(c.Number(), 1, kReplayMaxFrames, "a count of frames")),
                     {}};
                frames_ += s.value;
                if (frames_ > kReplayMaxFrames) throw Fail{"the replay is longer than an hour"};
            } else if (ch >= 'A' && ch <= 'Z') {
                c.Take();
                s = {ReplayStep::kKeyDown, ch, {}};
            } else if (ch >= 'a' && ch <= 'z') {
                c.Take();
                s = {ReplayStep::kKeyUp, ch - 'a' + kVkA, {}};
            } else if (ch == '"') {
                s = {ReplayStep::kArrival, 0, c.QuotedText()};
            } else {
                c.Take();
                switch (ch) {
                    case '(':
                        s = {ReplayStep::kKeyDown, kVkReturn, {}};
                        break;
                    case ')':
                        s = {ReplayStep::kKeyUp, kVkReturn, {}};
                        break;
                    case '<':
                        s = {ReplayStep::kKeyDown, kVkBack, {}};
                        break;
                    case '>':
                        s = {ReplayStep::kKeyUp, kVkBack, {}};
                        break;
                    case '*':
                        s.kind = ReplayStep::kSendComplete;
                        break;
                    case '|':
                        second_ = (second_ + 1) % 60;
                        s = {ReplayStep::kSecond, second_, {}};
                        break;
                    case '[':
                        s = Bracketed(c);
                        break;
                    default:
                        throw Fail{std::string("unexpected '") + ch + "' in a play line"};
                }
            }
            if (s.kind == ReplayStep::kSecond) second_ = s.value;
            Add(std::move(s));
        }
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
        if (extras_) extras_->push_back({lineNo, r_.steps.size(), std::string(line)});
        apart_ = true;
    }

    Replay& r_;
    std::vector<ReplayExtraLine>* extras_;
    bool magic_ = false, started_ = false, counted_ = false, playing_ = false, ended_ = false;
    bool apart_ = false;  // a line of another kind came after the last step
    int lastEntry_ = -1;
    int second_ = 0;
    long frames_ = 0;
    uint32_t check_ = kFnvStart;
};

void Validate(const Replay& r) {
    // Words and lengths arrive sorted (each index after the last); none may share an index.
    size_t w = 0;
    for (const ReplayLength& l : r.lengths) {
        while (w < r.words.size() && r.words[w].index < l.index) ++w;
        if (w < r.words.size() && r.words[w].index == l.index)
            throw Fail{"entry " + std::to_string(l.index) + " is given twice"};
    }
    for (const ReplayWord& word : r.words)
        if (word.reading.size() > kMaxReadingLength || word.display.size() > kMaxReadingLength)
            throw Fail{"a word longer than a word list holds"};
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

std::string WriteReplay(const Replay& r, std::string_view note) {
    std::string body;
    StartLine(r.start, body);
    WordLines(r, body);
    PlayLines(r, body);
    const std::string first = std::string(kMagic) + " " + std::to_string(kReplayFormat) + " " +
                              std::string(kGameVersion) + "\n";
    // The check covers every replay line, each with its line end, as the reader meets them.
    const uint32_t check = Fnv(Fnv(kFnvStart, first), body);
    std::string out = first;
    if (!note.empty()) out += "# " + std::string(note) + "\n";
    return out + body + "end " + std::to_string(r.Frames()) + " " + Hex8(check) + "\n";
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
