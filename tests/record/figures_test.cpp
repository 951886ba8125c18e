// The record's figures from records made by hand: what the view shows must follow from them.
#include "record/figures.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "record_samples.h"

namespace kb::test {
namespace {

using K = KanaCount;

TEST(RecordFigures, MissRateCountsAKanaMissedAndNeverFinished) {
    const struct {
        int typed, missed;
        double rate;
    } cases[] = {{0, 0, 0.0}, {10, 0, 0.0}, {10, 1, 0.1}, {4, 4, 1.0}, {0, 1, 1.0}, {2, 3, 1.0}};
    for (const auto& c : cases) EXPECT_DOUBLE_EQ(MissRate(c.typed, c.missed), c.rate);
}

TEST(RecordFigures, TotalsOpponentsAndBests) {
    PlayerRecord r;
    r.matches = {Match(1, "WIN", {}, 3, 1), Match(2, "LOSE", {}, 3, 1), Match(3, "WIN", {}, 5, 2)};
    r.matches[0].score = 150, r.matches[0].rate = 210;
    r.matches[1].score = 150, r.matches[1].rate = 250;  // the same score, faster: the best
    r.matches[2].score = 90;
    MatchRecord net = Match(4, "LOST");
    net.opponent = "client", net.speed = 0, net.level = 0, net.score = 40;
    r.matches.push_back(net);
    const RecordFigures f = ComputeFigures(r);
    EXPECT_EQ(std::tie(f.matches, f.wins, f.losses, f.lost, f.playSec, f.keys),
              std::make_tuple(4, 2, 1, 1, int64_t{240}, int64_t{480}));
    ASSERT_EQ(f.opponents.size(), 6u);
    EXPECT_EQ(f.opponents[2].label, u"Com 3");
    EXPECT_EQ(std::tie(f.opponents[2].wins, f.opponents[2].losses), std::make_tuple(1, 1));
    EXPECT_EQ(f.opponents[4].wins, 1);
    EXPECT_EQ(f.opponents[5].label, u"Player");
    EXPECT_EQ(std::tie(f.opponents[5].lost, f.opponents[5].losses), std::make_tuple(1, 0));
    EXPECT_EQ(std::tie(f.bests[2][1].any, f.bests[2][1].score, f.bests[2][1].rate),
              std::make_tuple(true, 150, 250));
    EXPECT_EQ(f.bests[4][2].score, 90);
    EXPECT_EQ(f.bests[5][0].score, 40);
    EXPECT_FALSE(f.bests[0][0].any);
    EXPECT_FALSE(f.bests[2][0].any);
}

TEST(RecordFigures, ChartHoldsTheLatestMatchesOnly) {
    PlayerRecord r;
    for (int i = 0; i < 45; ++i) r.matches.push_back(Match(i, i % 2 ? "WIN" : "LOSE"));
    r.matches[44].keys = 200, r.matches[44].misses = 3;  // 15 per thousand
    r.matches[43].keys = 0, r.matches[43].misses = 2;    // all misses
    r.matches[42].keys = 3, r.matches[42].misses = 0;
    r.matches[4].rate = 999;  // too old for the chart
    const RecordFigures f = ComputeFigures(r);
    ASSERT_EQ(f.chart.size(), kChartMatches);
    EXPECT_EQ(f.chart.back().missPermille, 15);
    EXPECT_EQ(f.chart[kChartMatches - 2].missPermille, 1000);
    EXPECT_EQ(f.chart[kChartMatches - 3].missPermille, 0);
    EXPECT_FALSE(f.chart.back().won);  // match 44 was lost
    for (const ChartPoint& p : f.chart) EXPECT_NE(p.rate, 999);
}

TEST(RecordFigures, KanaSumOverTheLatestMatchesAndRankTheWeakest) {
    PlayerRecord r;
    // Too old to count: a kana missed every time.
    r.matches.push_back(Match(0, "WIN", {K{u"ぬ", 9, 9, {{u"NI", 9}}}}));
    for (int i = 1; i <= static_cast<int>(kKanaWindow); ++i) r.matches.push_back(Match(i));
    r.matches[1].kana = {K{u"か", 10, 4, {{u"KI", 3}, {u"KO", 1}}}, K{u"し", 1, 1, {{u"SU", 1}}}};
    r.matches[2].kana = {K{u"か", 10, 4, {{u"KO", 3}}}, K{u"きょ", 5, 0, {}}};
    r.matches[3].kana = {K{u"ち", 20, 1, {{u"TI", 1}}}, K{u"つ", 3, 2, {{u"TU", 1}, {u"SU", 1}}}};
    const RecordFigures f = ComputeFigures(r);
    EXPECT_EQ(f.kanaMatches, static_cast<int>(kKanaWindow));
    std::vector<std::u16string> kana;
    for (const KanaFigure& k : f.kana) kana.push_back(k.kana);
    EXPECT_EQ(kana, (std::vector<std::u16string>{u"か", u"きょ", u"し", u"ち", u"つ"}));
    EXPECT_EQ(std::tie(f.kana[0].typed, f.kana[0].missed), std::make_tuple(20, 8));
    // か: 8 of 20 weighs 8/22; つ: 2 of 3 weighs 2/5; し: 1 of 1 weighs 1/3; ち: 1/22.
    std::vector<std::u16string> weakest;
    for (const KanaFigure& k : f.weakest) weakest.push_back(k.kana);
    EXPECT_EQ(weakest, (std::vector<std::u16string>{u"つ", u"か", u"し", u"ち"}));
    // The slips summed over the matches, most first.
    EXPECT_EQ(f.weakest[1].instead,
              (std::vector<std::pair<std::u16string, int>>{{u"KO", 4}, {u"KI", 3}}));
}

TEST(RecordFigures, ShowTenWeakestWithThreeSlipsEach) {
    PlayerRecord r;
    std::vector<KanaCount> kana;
    const std::u16string letters = u"あいうえおかきくけこさしすせそ";
    for (std::size_t i = 0; i < letters.size(); ++i)
        kana.push_back(K{std::u16string(1, letters[i]),
                         10,
                         static_cast<int>(i) + 1,
                         {{u"A", 4}, {u"B", 3}, {u"C", 2}, {u"D", 1}}});
    r.matches.push_back(Match(1, "WIN", kana));
    const RecordFigures f = ComputeFigures(r);
    ASSERT_EQ(f.weakest.size(), kWeakestKana);
    EXPECT_EQ(f.weakest[0].kana, u"そ");  // missed 15 times in 15
    EXPECT_EQ(f.weakest[9].kana, u"か");  // 6 in 10
    EXPECT_EQ(f.weakest[0].instead.size(), 3u);
}

TEST(RecordFigures, PracticeComparesTheMatchesBeforeWithThoseSince) {
    PlayerRecord r;
    r.matches = {Match(10, "WIN", {K{u"か", 10, 5, {}}}), Match(20, "WIN", {K{u"か", 10, 3, {}}}),
                 Match(40, "WIN", {K{u"か", 10, 1, {}}, K{u"き", 4, 0, {}}})};
    r.practice = {{"00000000000000aa", 1767225600 + 30, 0, {u"か", u"ぬ"}, 12}};
    const RecordFigures f = ComputeFigures(r);
    ASSERT_TRUE(f.practised);
    EXPECT_EQ(std::tie(f.beforeMatches, f.sinceMatches), std::make_tuple(2, 1));
    ASSERT_EQ(f.practice.size(), 2u);
    EXPECT_EQ(f.practice[0].before.kana, u"か");
    EXPECT_EQ(std::tie(f.practice[0].before.typed, f.practice[0].before.missed,
                       f.practice[0].since.typed, f.practice[0].since.missed),
              std::make_tuple(20, 8, 10, 1));
    // A practised kana not typed since (nor before) shows as not seen.
    EXPECT_EQ(f.practice[1].since.kana, u"ぬ");
    EXPECT_EQ(f.practice[1].since.typed + f.practice[1].since.missed, 0);
}

TEST(RecordFigures, StoresLoadOnlyTheKanaTheFiguresRead) {
    PlayerRecord r;
    const int n = 3 * static_cast<int>(kKanaWindow);
    for (int i = 0; i < n; ++i) r.matches.push_back(Match(i, "WIN", {K{u"か", 1, 0, {}}}));
    const std::size_t window = kKanaWindow;
    // Without practice: the latest kKanaWindow.
    auto which = KanaWindowMatches(r);
    ASSERT_EQ(which.size(), window);
    EXPECT_EQ(which.front(), n - window);
    // Practice started before the last 20: the window before it is read too.
    r.practice = {{"00000000000000aa", r.matches[n - 20].at, 0, {u"か"}, 3}};
    which = KanaWindowMatches(r);
    ASSERT_EQ(which.size(), window + 20);
    EXPECT_EQ(which.front(), n - 20 - window);
    // Dropping the other matches' kana changes no figure.
    PlayerRecord trimmed = r;
    KeepKanaOfWindow(trimmed);
    EXPECT_TRUE(trimmed.matches[0].kana.empty());
    EXPECT_FALSE(trimmed.matches[n - 20 - window].kana.empty());
    const RecordFigures a = ComputeFigures(r), b = ComputeFigures(trimmed);
    EXPECT_EQ(a.kana.size(), b.kana.size());
    EXPECT_EQ(a.practice[0].before.typed, b.practice[0].before.typed);
    EXPECT_EQ(a.practice[0].since.typed, b.practice[0].since.typed);
}

TEST(RecordFigures, TimePlayedInMinutesAndHours) {
    const struct {
        int64_t seconds;
        const char16_t* text;
    } cases[] = {{0, u"0:00"},       {9, u"0:09"},       {59, u"0:59"},
                 {60, u"1:00"},      {249, u"4:09"},     {3599, u"59:59"},
                 {3600, u"1:00:00"}, {3909, u"1:05:09"}, {90061, u"25:01:01"}};
    for (const auto& c : cases) EXPECT_EQ(DurationText(c.seconds), c.text) << c.seconds;
}

TEST(RecordFigures, LocalTimeUsesTheRecordedOffset) {
    const struct {
        int64_t at;
        int offset;
        const char16_t* text;
    } cases[] = {
        {0, 0, u"1970-01-01 00:00"},
        {1767225600, 540, u"2026-01-01 09:00"},
        {1767225600, -60, u"2025-12-31 23:00"},
        {1709164800 + 3599, 0, u"2024-02-29 00:59"},  // a leap day
        {1709251199, 0, u"2024-02-29 23:59"},
    };
    for (const auto& c : cases) EXPECT_EQ(LocalTimeText(c.at, c.offset), c.text) << c.at;
}

}  // namespace
}  // namespace kb::test
