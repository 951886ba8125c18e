#include "app/sim_record.h"

#include <sstream>

#include "platform/sdl/sdl_images.h"
#include "record/figures.h"
#include "record/record_store.h"
#include "text/ustr.h"

namespace kb {

namespace {

// A match on one line: everything it holds, the kana as kana:missed/typed(slips).
std::string MatchLine(const MatchRecord& m) {
    std::ostringstream line;
    line << "record match " << m.id << " " << ToUtf8(LocalTimeText(m.at, m.utcOffset)) << " "
         << m.opponent << " speed " << m.speed << " level " << m.level << " " << m.result << " sec "
         << m.playSec << " keys " << m.keys << " misses " << m.misses << " score " << m.score
         << " rate " << m.rate << " ratio " << m.ratio << (m.practice ? " practice" : "")
         << " list " << ToUtf8(m.list) << " " << m.digest << " kana";
    for (const KanaCount& k : m.kana) {
        line << " " << ToUtf8(k.kana) << ":" << k.missed << "/" << k.typed;
        if (k.instead.empty()) continue;
        line << "(";
        for (std::size_t i = 0; i < k.instead.size(); ++i)
            line << (i ? "," : "") << ToUtf8(k.instead[i].first) << "x" << k.instead[i].second;
        line << ")";
    }
    return line.str();
}

std::string PracticeLine(const PracticeRun& p) {
    std::ostringstream line;
    line << "record practice-run " << p.id << " " << ToUtf8(LocalTimeText(p.at, p.utcOffset))
         << " words " << p.words << " kana";
    for (const auto& k : p.kana) line << " " << ToUtf8(k);
    return line.str();
}

// Does what a key or a click asks of the program, as the record's window does.
void Answer(RecordScreen& r, RecordScreen::Request request, const WatchReplayText& watch,
            std::ostream& out) {
    if (request == RecordScreen::Request::kExport) out << "record: export asked" << std::endl;
    if (request == RecordScreen::Request::kSaveReplay) out << "record: save asked" << std::endl;
    if (request == RecordScreen::Request::kWatch) watch(r.ChosenReplay());
}

}  // namespace

std::string SimRecord(Game& g, std::optional<RecordScreen>& screen, const std::string& args,
                      const WatchReplayText& watch, std::ostream& out) {
    std::istringstream in(args);
    std::string what;
    in >> what;
    std::string rest;
    std::getline(in, rest);
    if (!rest.empty() && rest[0] == ' ') rest.erase(0, 1);
    if (!screen) screen.emplace(g);
    RecordScreen& r = *screen;
    auto say = [&] { out << "record: " << ToUtf8(r.Status()) << std::endl; };
    const bool needsArgument = what == "page" || what == "key" || what == "click" ||
                               what == "shot" || what == "export" || what == "import";
    if (needsArgument == rest.empty())
        return "record " + what + (needsArgument ? " needs" : " takes no") + " argument";

    if (what == "open") {
        r.Open();
    } else if (what == "close") {
        r.Close();
    } else if (what == "page") {
        if (rest != "matches" && rest != "kana") return "record page is matches or kana";
        r.SetPage(rest == "kana" ? RecordPage::kKana : RecordPage::kMatches);
    } else if (what == "key") {
        // A key pressed in the record's window, as its Windows key code.
        int code = 0;
        std::istringstream number(rest);
        if (!(number >> code)) return "record key needs a key code";
        const std::u16string before = r.Status();
        Answer(r, r.KeyDown(code), watch, out);
        if (r.Status() != before) say();
    } else if (what == "click") {
        // A click on the record's picture, at pixels x y.
        int x = 0, y = 0;
        std::istringstream numbers(rest);
        if (!(numbers >> x >> y)) return "record click needs x and y";
        const std::u16string before = r.Status();
        Answer(r, r.Click(x, y), watch, out);
        if (r.Status() != before) say();
    } else if (what == "shot") {
        // The picture as the player would see it now: opened if it was not.
        if (!r.IsOpen()) r.Open();
        r.Update();
        std::string error;
        if (!SavePng(r.Picture().View(), rest, error)) return "cannot write " + rest + ": " + error;
    } else if (what == "practice") {
        r.TogglePractice();
        say();
    } else if (what == "export") {
        r.Export(rest);
        say();
    } else if (what == "import") {
        r.Import(rest);
        say();
    } else if (what == "wipe") {
        r.Wipe();
        say();
    } else if (what == "list") {
        const PlayerRecord record = g.sv.record->Load(true);
        for (const MatchRecord& m : record.matches) out << MatchLine(m) << "\n";
        for (const PracticeRun& p : record.practice) out << PracticeLine(p) << "\n";
        out << "record " << record.matches.size() << " matches, " << record.practice.size()
            << " practice runs" << std::endl;
    } else if (what == "weakest") {
        out << "record weakest";
        for (const KanaFigure& k : ComputeFigures(g.sv.record->Load(false)).weakest)
            out << " " << ToUtf8(k.kana) << ":" << k.missed << "/" << k.typed;
        out << std::endl;
    } else {
        return "unknown record command '" + what + "'";
    }
    return {};
}

}  // namespace kb
