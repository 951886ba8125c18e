#include "record/record_json.h"

#include <nlohmann/json.hpp>
#include <optional>

#include "text/ustr.h"

namespace kb {

namespace {

using Json = nlohmann::json;

constexpr std::string_view kFormatName = "kanaburst-record";
// Nesting of a record file: root, matches, match, kana, entry, instead, pair.
constexpr int kMaxDepth = 7;
constexpr std::size_t kMaxMatches = 200000;
constexpr std::size_t kMaxPracticeRuns = 20000;
constexpr std::size_t kMaxKanaPerMatch = 1000;
constexpr std::size_t kMaxInstead = 16;
constexpr std::size_t kMaxKanaLength = 4;
constexpr std::size_t kMaxSampleLength = 8;
constexpr std::size_t kMaxListName = 256;
constexpr int64_t kLatestTime = 253402300799;  // 9999-12-31 23:59:59
constexpr int64_t kMaxOffset = 18 * 60;        // minutes from UTC, either way
constexpr int64_t kMaxCounter = 32767;         // the match's counters are 16-bit
constexpr int64_t kMaxScore = 2000000000;

struct Refusal {
    std::string why;
};

[[noreturn]] void Refuse(const std::string& where, const std::string& what) {
    throw Refusal{where.empty() ? what : where + ": " + what};
}

// Deeper nesting than the format has is refused before the parser sees it.
void CheckDepth(std::string_view text) {
    int depth = 0;
    bool inString = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (inString) {
            if (c == '\\')
                ++i;
            else if (c == '"')
                inString = false;
        } else if (c == '"') {
            inString = true;
        } else if (c == '[' || c == '{') {
            if (++depth > kMaxDepth) Refuse("", "nested deeper than a record file is");
        } else if (c == ']' || c == '}') {
            --depth;
        }
    }
}

const Json& Field(const Json& object, const char* name, const std::string& where) {
    const auto it = object.find(name);
    if (it == object.end()) Refuse(where, std::string("\"") + name + "\" is missing");
    return *it;
}

// A whole number that fits in 64 bits, or nothing.
std::optional<int64_t> Whole(const Json& v) {
    if (!v.is_number_integer()) return std::nullopt;
    if (v.is_number_unsigned() && v.get<uint64_t>() > uint64_t(INT64_MAX)) return std::nullopt;
    return v.get<int64_t>();
}

int64_t Int(const Json& object, const char* name, int64_t low, int64_t high,
            const std::string& where) {
    const std::optional<int64_t> n = Whole(Field(object, name, where));
    if (!n) Refuse(where, std::string("\"") + name + "\" is not a whole number");
    if (*n < low || *n > high)
        Refuse(where, std::string("\"") + name + "\" is " + std::to_string(*n) + ", not " +
                          std::to_string(low) + " to " + std::to_string(high));
    return *n;
}

int64_t Element(const Json& v, int64_t low, int64_t high, const std::string& where) {
    const std::optional<int64_t> n = Whole(v);
    if (!n || *n < low || *n > high)
        Refuse(where, "a count is not a whole number from " + std::to_string(low) + " to " +
                          std::to_string(high));
    return *n;
}

// Text without control characters, 1..maxLength UTF-16 units long.
std::u16string Text(const Json& v, std::size_t maxLength, const std::string& where,
                    const std::string& what) {
    if (!v.is_string()) Refuse(where, what + " is not text");
    const std::u16string text = FromUtf8(v.get<std::string>());
    if (text.empty() || text.size() > maxLength)
        Refuse(where, what + " is empty or longer than " + std::to_string(maxLength));
    for (char16_t c : text)
        if (c < 0x20 || c == 0x7F) Refuse(where, what + " holds a control character");
    return text;
}

std::string Choice(const Json& object, const char* name,
                   std::initializer_list<std::string_view> choices, const std::string& where) {
    const Json& v = Field(object, name, where);
    if (v.is_string())
        for (std::string_view c : choices)
            if (v.get<std::string>() == c) return std::string(c);
    std::string list;
    for (std::string_view c : choices) list += (list.empty() ? "" : ", ") + std::string(c);
    Refuse(where, std::string("\"") + name + "\" is not one of " + list);
}

std::string Id(const Json& object, const char* name, const std::string& where) {
    const Json& v = Field(object, name, where);
    const std::string id = v.is_string() ? v.get<std::string>() : "";
    if (id.size() != 16 || id.find_first_not_of("0123456789abcdef") != std::string::npos)
        Refuse(where, std::string("\"") + name + "\" is not 16 hex digits");
    return id;
}

Json KanaJson(const std::vector<KanaCount>& kana) {
    Json list = Json::array();
    for (const KanaCount& k : kana) {
        Json instead = Json::array();
        for (const auto& [typed, n] : k.instead) instead.push_back({ToUtf8(typed), n});
        list.push_back({ToUtf8(k.kana), k.typed, k.missed, std::move(instead)});
    }
    return list;
}

std::vector<KanaCount> KanaOf(const Json& list, const std::string& where) {
    if (!list.is_array()) Refuse(where, "\"kana\" is not a list");
    if (list.size() > kMaxKanaPerMatch) Refuse(where, "more kana than a match has");
    std::vector<KanaCount> out;
    for (const Json& e : list) {
        if (!e.is_array() || e.size() != 4 || !e[3].is_array())
            Refuse(where, "a kana entry is not [kana, typed, missed, [instead]]");
        KanaCount k;
        k.kana = Text(e[0], kMaxKanaLength, where, "a kana");
        k.typed = static_cast<int>(Element(e[1], 0, kMaxCounter, where));
        k.missed = static_cast<int>(Element(e[2], 0, kMaxCounter, where));
        if (e[3].size() > kMaxInstead) Refuse(where, "too many slips for one kana");
        for (const Json& pair : e[3]) {
            if (!pair.is_array() || pair.size() != 2)
                Refuse(where, "a slip is not [typed instead, times]");
            const std::u16string typed = Text(pair[0], kMaxSampleLength, where, "a slip");
            for (char16_t c : typed)
                if (c > 0x7E) Refuse(where, "a slip holds more than keyboard keys");
            k.instead.emplace_back(typed,
                                   static_cast<int>(Element(pair[1], 1, kMaxCounter, where)));
        }
        out.push_back(std::move(k));
    }
    return out;
}

Json MatchJson(const MatchRecord& m) {
    return {{"id", m.id},
            {"at", m.at},
            {"utc_offset", m.utcOffset},
            {"opponent", m.opponent},
            {"speed", m.speed},
            {"level", m.level},
            {"list", ToUtf8(m.list)},
            {"digest", m.digest},
            {"practice", m.practice},
            {"result", m.result},
            {"play_sec", m.playSec},
            {"keys", m.keys},
            {"misses", m.misses},
            {"score", m.score},
            {"rate", m.rate},
            {"ratio", m.ratio},
            {"kana", KanaJson(m.kana)}};
}

// An entry's id and time, which matches and practice runs both have.
template <typename Entry>
Entry Stamped(const Json& o, const std::string& where) {
    if (!o.is_object()) Refuse(where, "not an object");
    Entry e;
    e.id = Id(o, "id", where);
    e.at = Int(o, "at", 0, kLatestTime, where);
    e.utcOffset = static_cast<int>(Int(o, "utc_offset", -kMaxOffset, kMaxOffset, where));
    return e;
}

MatchRecord MatchOf(const Json& o, const std::string& where) {
    MatchRecord m = Stamped<MatchRecord>(o, where);
    m.opponent = Choice(o, "opponent", {kOpponentCom, kOpponentServer, kOpponentClient}, where);
    const bool com = m.opponent == kOpponentCom;
    m.speed = static_cast<int>(Int(o, "speed", com ? 1 : 0, com ? 5 : 0, where));
    m.level = static_cast<int>(Int(o, "level", 0, 2, where));
    m.list = Text(Field(o, "list", where), kMaxListName, where, "\"list\"");
    m.digest = Id(o, "digest", where);
    const Json& practice = Field(o, "practice", where);
    if (!practice.is_boolean()) Refuse(where, "\"practice\" is not true or false");
    m.practice = practice.get<bool>();
    m.result = Choice(o, "result", {kResultWin, kResultLose, kResultLost}, where);
    m.playSec = static_cast<int>(Int(o, "play_sec", 0, kMaxCounter, where));
    m.keys = static_cast<int>(Int(o, "keys", 0, kMaxCounter, where));
    m.misses = static_cast<int>(Int(o, "misses", 0, kMaxCounter, where));
    m.score = static_cast<int>(Int(o, "score", 0, kMaxScore, where));
    m.rate = static_cast<int>(Int(o, "rate", 0, kMaxCounter * 100, where));
    m.ratio = static_cast<int>(Int(o, "ratio", 0, kMaxCounter * 100, where));
    m.kana = KanaOf(Field(o, "kana", where), where);
    return m;
}

// A match's replay, as the game reads it.
std::string ReplayOf(const Json& v, ReplayReader readReplay, const std::string& where) {
    if (!v.is_string()) Refuse(where, "\"replay\" is not text");
    if (!readReplay) Refuse(where, "replays are not read here");
    std::string text = v.get<std::string>(), why;
    if (!readReplay(text, why)) Refuse(where, "replay: " + why);
    return text;
}

Json PracticeJson(const PracticeRun& p) {
    Json kana = Json::array();
    for (const auto& k : p.kana) kana.push_back(ToUtf8(k));
    return {{"id", p.id},
            {"at", p.at},
            {"utc_offset", p.utcOffset},
            {"kana", std::move(kana)},
            {"words", p.words}};
}

PracticeRun PracticeOf(const Json& o, const std::string& where) {
    PracticeRun p = Stamped<PracticeRun>(o, where);
    const Json& kana = Field(o, "kana", where);
    if (!kana.is_array() || kana.size() > kMaxKanaPerMatch)
        Refuse(where, "\"kana\" is not a list of kana");
    for (const Json& k : kana) p.kana.push_back(Text(k, kMaxKanaLength, where, "a kana"));
    p.words = static_cast<int>(Int(o, "words", 0, kMaxCounter, where));
    return p;
}

// Parses text that is small enough and nested no deeper than the format, or refuses, saying
// that it is not `what`.
Json Parse(std::string_view text, const char* what = "a record file") {
    if (text.size() > kMaxRecordFileBytes)
        Refuse("", "larger than " + std::to_string(kMaxRecordFileBytes >> 20) + " MB");
    CheckDepth(text);
    try {
        return Json::parse(text.begin(), text.end());
    } catch (const Json::exception& e) {
        // "[json.exception.parse_error.101] parse error at line 1, column 3: ...": the reader
        // needs what follows the bracket.
        const std::string error = e.what();
        const auto close = error.find("] ");
        Refuse("", std::string("not ") + what + ": " +
                       (close == std::string::npos ? error : error.substr(close + 2)));
    }
}

// One entry read by `read`, or false with why.
template <typename Entry, typename Read>
bool EntryFromJson(std::string_view text, Entry& entry, std::string& why, Read read) {
    try {
        entry = read(Parse(text, "a record entry"), "");
        return true;
    } catch (const Refusal& r) {
        why = r.why;
    } catch (const Json::exception& e) {
        why = std::string("not a record entry: ") + e.what();
    }
    return false;
}

}  // namespace

std::string MatchToJson(const MatchRecord& match) {
    return MatchJson(match).dump();
}

std::string PracticeToJson(const PracticeRun& run) {
    return PracticeJson(run).dump();
}

bool MatchFromJson(std::string_view text, MatchRecord& match, std::string& why) {
    return EntryFromJson(text, match, why, MatchOf);
}

bool PracticeFromJson(std::string_view text, PracticeRun& run, std::string& why) {
    return EntryFromJson(text, run, why, PracticeOf);
}

std::string RecordToJson(const PlayerRecord& record, int64_t exportedAt) {
    Json matches = Json::array(), practice = Json::array();
    for (const MatchRecord& m : record.matches) {
        matches.push_back(MatchJson(m));
        if (const auto r = record.replays.find(m.id); r != record.replays.end())
            matches.back()["replay"] = r->second;
    }
    for (const PracticeRun& p : record.practice) practice.push_back(PracticeJson(p));
    const Json file = {{"format", kFormatName},
                       {"version", kRecordFormatVersion},
                       {"exported", exportedAt},
                       {"matches", std::move(matches)},
                       {"practice", std::move(practice)}};
    // One match a line: small enough to look at, and a diff shows which matches differ.
    std::string out = "{\"format\":" + file["format"].dump() +
                      ",\"version\":" + file["version"].dump() +
                      ",\"exported\":" + file["exported"].dump() + ",\n\"matches\":[";
    for (std::size_t i = 0; i < file["matches"].size(); ++i)
        out += (i ? ",\n" : "\n") + file["matches"][i].dump();
    out += "],\n\"practice\":[";
    for (std::size_t i = 0; i < file["practice"].size(); ++i)
        out += (i ? ",\n" : "\n") + file["practice"][i].dump();
    return out + "]}\n";
}

bool RecordFromJson(std::string_view text, PlayerRecord& record, std::string& why,
                    ReplayReader readReplay) {
    try {
        const Json root = Parse(text);
        if (!root.is_object() || root.value("format", "") != kFormatName)
            Refuse("", "not a Kanaburst record file (no \"format\":\"kanaburst-record\")");
        const int64_t version = Int(root, "version", 1, INT32_MAX, "");
        if (version > kRecordFormatVersion)
            Refuse("", "made by a newer Kanaburst (format " + std::to_string(version) +
                           "); this one reads format " + std::to_string(kRecordFormatVersion));
        const Json& matches = Field(root, "matches", "");
        if (!matches.is_array()) Refuse("", "\"matches\" is not a list");
        if (matches.size() > kMaxMatches) Refuse("", "more matches than a record holds");
        PlayerRecord read;
        for (std::size_t i = 0; i < matches.size(); ++i) {
            const std::string where = "match " + std::to_string(i + 1);
            read.matches.push_back(MatchOf(matches[i], where));
            if (matches[i].contains("replay"))
                read.replays.emplace(read.matches.back().id,
                                     ReplayOf(matches[i]["replay"], readReplay, where));
        }
        if (root.contains("practice")) {
            const Json& practice = root["practice"];
            if (!practice.is_array() || practice.size() > kMaxPracticeRuns)
                Refuse("", "\"practice\" is not a list of practice runs");
            for (std::size_t i = 0; i < practice.size(); ++i)
                read.practice.push_back(
                    PracticeOf(practice[i], "practice run " + std::to_string(i + 1)));
        }
        SortRecord(read);
        record = std::move(read);
        return true;
    } catch (const Refusal& r) {
        why = r.why;
    } catch (const Json::exception& e) {
        why = std::string("not a record file: ") + e.what();
    }
    return false;
}

std::string KanaToJson(const std::vector<KanaCount>& kana) {
    return KanaJson(kana).dump();
}

bool KanaFromJson(std::string_view text, std::vector<KanaCount>& kana, std::string& why) {
    try {
        kana = KanaOf(Parse(text), "");
        return true;
    } catch (const Refusal& r) {
        why = r.why;
    }
    return false;
}

}  // namespace kb
