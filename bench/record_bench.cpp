// The player's record: the frame in which a match ends and is kept (in SQLite, written by the
// store's own thread, against the same frame keeping it in memory), and opening the record
// over 10,000 matches: loading them, computing the figures and drawing a page; and the record
// file of 10,000 matches with the replays of the newest 100, written and read back.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <map>
#include <memory>
#include <random>
#include <string>

#include "battle/missiles.h"
#include "bench_game.h"
#include "platform/sqlite/sqlite_record_store.h"
#include "record/figures.h"
#include "record/record_actions.h"
#include "record/record_json.h"
#include "record_view/record_view.h"
#include "replay/long_match.h"
#include "replay/replay_file.h"
#include "shell/main_loop.h"
#include "shell/scenes.h"
#include "text/ustr.h"

namespace kb::bench {
namespace {

namespace fs = std::filesystem;

class TempFolder {
  public:
    TempFolder() {
        std::string pattern = (fs::temp_directory_path() / "kb-bench-XXXXXX").string();
        path_ = mkdtemp(pattern.data()) ? pattern : "";
    }
    ~TempFolder() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    const std::string& Path() const { return path_; }

  private:
    std::string path_;
};

// The frame in which the opponent's missile reaches the player's base.
void MatchEndFrame(benchmark::State& state, RecordStore* record) {
    BenchGame b(record);
    Game& g = b.G();
    for (auto _ : state) {
        state.PauseTiming();
        g.s.GameMode = kModeCom;
        GameStartInit(g);
        g.s.StartCount = 0;
        g.s.InputOn = 1;
        g.s.TypeCount = 180;
        g.s.MissCount = 6;
        g.s.PlaySec = 75;
        g.s.EnMisState[2] = kMisFlying;
        g.s.EnMisX[2] = 416;  // where the player's missiles start: past it, the base falls
        g.s.EnMisY[2] = 80;
        g.s.EnMisPower[2] = 1;
        state.ResumeTiming();
        Main_Loop(g);
    }
    if (g.s.SceneNo != kSceneOver) state.SkipWithError("the frame did not end the match");
}

void MatchEndFrameKeptInMemory(benchmark::State& state) {
    MemoryRecordStore memory;
    MatchEndFrame(state, &memory);
}

void MatchEndFrameKeptInSqlite(benchmark::State& state) {
    TempFolder dir;
    SqliteRecordStore store(dir.Path());
    MatchEndFrame(state, &store);
    store.WaitWritten(60000);
}

// A record of n matches of some 45 kana each, as a player who has played long would have.
PlayerRecord LongRecord(int n) {
    std::mt19937 random(29);
    const std::u16string kana =
        u"あいうえおかきくけこさしすせそたちつてとなにぬねのはひふへほまみむめもやゆよらりるれろわ"
        u"をんがぎぐげござじずぜぞだでどばびぶべぼぱぴぷぺぽっ";
    PlayerRecord r;
    for (int i = 0; i < n; ++i) {
        MatchRecord m;
        m.id = Hex16(0x1000000 + static_cast<uint64_t>(i));
        m.at = 1767225600 + int64_t{i} * 300;
        m.utcOffset = 540;
        m.opponent = "com";
        m.speed = 1 + i % 5;
        m.level = i % 3;
        m.list = u"str.dat";
        m.digest = "0123456789abcdef";
        m.result = i % 3 ? "WIN" : "LOSE";
        m.playSec = 60 + static_cast<int>(random() % 120);
        m.keys = 100 + static_cast<int>(random() % 300);
        m.misses = static_cast<int>(random() % 20);
        m.score = static_cast<int>(random() % 400);
        m.rate = 100 + static_cast<int>(random() % 300);
        m.ratio = 1000 + static_cast<int>(random() % 3000);
        std::map<std::u16string, KanaCount> counts;
        for (int k = 0; k < 45; ++k) {
            const std::u16string one(1, kana[random() % kana.size()]);
            KanaCount& c = counts[one];
            c.kana = one;
            c.typed += 1 + static_cast<int>(random() % 6);
            if (random() % 6 == 0) {
                ++c.missed;
                c.instead = {{u"KI", c.missed}};
            }
        }
        for (auto& [text, c] : counts) m.kana.push_back(std::move(c));
        r.matches.push_back(std::move(m));
    }
    r.practice = {{"00000000000000aa", r.matches[n - 30].at, 540, {u"き", u"し", u"ち"}, 40}};
    return r;
}

// F2 on a record of 10,000 matches: the store is loaded, the figures computed and the page drawn.
void RecordViewOpens(benchmark::State& state) {
    const int matches = static_cast<int>(state.range(0));
    const RecordPage page = state.range(1) ? RecordPage::kKana : RecordPage::kMatches;
    TempFolder dir;
    BenchGame b;
    {
        SqliteRecordStore filling(dir.Path());
        AddOutcome outcome;
        std::string why;
        if (!filling.Add(LongRecord(matches), outcome, why)) state.SkipWithError(why.c_str());
    }
    SqliteRecordStore store(dir.Path());
    RecordView view(&b.Fonts());
    const RecordViewInfo info{
        u"~/.local/share/kanaburst/record.sqlite3", u"", u"", false, 0, false};
    for (auto _ : state) {
        view.Show(store.Load(false));
        benchmark::DoNotOptimize(view.Draw(page, info).Pixels());
    }
    auto size = [&](const char* name) {
        std::error_code ec;
        const auto n = fs::file_size(fs::path(dir.Path()) / name, ec);
        return ec ? 0.0 : static_cast<double>(n);
    };
    state.counters["file_bytes_per_match"] =
        (size("record.sqlite3") + size("record.sqlite3-wal")) / matches;
}

// The whole record exported to a file, and that file imported into an empty record: 10,000
// matches, the newest 100 with the replay of a three-minute match typed throughout.
void RecordFileWithReplays(benchmark::State& state) {
    const std::string words = ReadFileBytes(std::string(AssetDir()) + "/str.dat").bytes;
    const std::string replay =
        test::RecordLongMatch(words, 2, 180 * 15, [](const Game&) { return std::string(); }).replay;
    MemoryRecordStore store;
    std::string why;
    AddOutcome outcome;
    PlayerRecord record = LongRecord(static_cast<int>(state.range(0)));
    for (std::size_t i = record.matches.size() - kReplaysKept; i < record.matches.size(); ++i)
        record.replays[record.matches[i].id] = replay;
    store.Add(record, outcome, why);
    TempFolder dir;
    const std::string file = dir.Path() + "/record.json";
    for (auto _ : state) {
        std::u16string message;
        MemoryRecordStore empty;
        if (!ExportRecord(store, 0, file, message) ||
            !ImportRecord(empty, file, ReplayPlays, message))
            state.SkipWithError(ToUtf8(message).c_str());
    }
    state.counters["file_bytes"] = static_cast<double>(fs::file_size(file));
    state.counters["replay_bytes"] = static_cast<double>(replay.size());
}

BENCHMARK(MatchEndFrameKeptInMemory)->Unit(benchmark::kMicrosecond);
BENCHMARK(MatchEndFrameKeptInSqlite)->Unit(benchmark::kMicrosecond);
BENCHMARK(RecordViewOpens)
    ->Args({10000, 0})
    ->Args({10000, 1})
    ->Args({100, 0})
    ->Unit(benchmark::kMillisecond)
    ->ArgNames({"matches", "kana_page"});
BENCHMARK(RecordFileWithReplays)->Arg(10000)->Unit(benchmark::kMillisecond)->ArgName("matches");

}  // namespace
}  // namespace kb::bench
