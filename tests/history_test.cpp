#include <gtest/gtest.h>

#include <map>
#include <random>

#include "analysis/histogram.h"
#include "counts/bonus_history.h"
#include "rig.h"
#include "stats/stats_engine.h"

namespace tobrak::test {
namespace {

// A record of random play: normal stretches and bonus runs, now and then a bonus
// of the other kind straight after one, bonuses that lose medals, and on request
// a bonus still running at the end.
Bytes generated(std::uint32_t seed, int bonuses, bool endInBonus) {
    std::mt19937 rng(seed);
    auto roll = [&](int n) { return static_cast<int>(rng() % static_cast<std::uint32_t>(n)); };
    auto normal = [&] {
        const int out = roll(4) == 0 ? 8 : roll(10) == 0 ? 15 : 0;
        return static_cast<std::uint8_t>((roll(7) == 0 ? 0x00 : 0x30) | out);
    };
    auto bonusGame = [&](bool bb) {
        const int out = roll(5) == 0 ? 0 : 15;
        if (bb) return static_cast<std::uint8_t>((roll(9) == 0 ? 0xC0 : 0x80) | 0x30 | out);
        return static_cast<std::uint8_t>(0x40 | 0x10 | out);
    };
    Bytes out;
    for (int i = 0; i < roll(5); ++i) out.push_back(normal());  // sometimes none before the first bonus
    for (int k = 0; k < bonuses; ++k) {
        bool bb = roll(3) != 0;
        const int chain = roll(6) == 0 ? 2 : 1;
        for (int c = 0; c < chain; ++c, bb = !bb) {
            const int len = bb ? 1 + roll(30) : 1 + roll(12);
            for (int g = 0; g < len; ++g) out.push_back(bonusGame(bb));
        }
        if (k + 1 == bonuses && endInBonus) break;
        const int gap = 1 + roll(600);
        for (int g = 0; g < gap; ++g) out.push_back(normal());
    }
    return out;
}

template <class Pick, class Value>
std::map<int, int> tally(const BonusHistory& h, Pick pick, Value value) {
    std::map<int, int> m;
    for (const BonusEntry& e : h.bonuses)
        if (pick(e)) ++m[value(e)];
    return m;
}

TEST(BonusHistory, EdgesOfTheRecord) {
    EXPECT_TRUE(bonusHistory(PlayRecord{}).bonuses.empty());
    // A record that starts inside a bonus and ends inside another; a losing bonus.
    BonusHistory h = bonusHistory(recordOf(runs({{0xB0, 2}, {0x30, 6}, {0x51, 3}})));
    ASSERT_EQ(h.bonuses.size(), 2u);
    EXPECT_EQ(h.bonuses[0].interval, 0);
    EXPECT_FALSE(h.bonuses[0].chained);
    EXPECT_EQ(h.bonuses[0].net, -6);
    EXPECT_EQ(h.bonuses[1].interval, 6);
    EXPECT_TRUE(h.bonuses[1].running);
    EXPECT_EQ(historyRow(h.bonuses[1]).back(), "継続中");
    // BB, RB, BB with no normal game between: three bonuses, as the chart collectors
    // see them (the BB counter counts the second BB run with the first).
    const PlayRecord chain = recordOf(runs({{0x30, 1}, {0xBF, 2}, {0x5F, 2}, {0xBF, 2}, {0x30, 1}}));
    h = bonusHistory(chain);
    ASSERT_EQ(h.bonuses.size(), 3u);
    EXPECT_EQ(h.bb, 2);
    EXPECT_EQ(h.bonuses[2].kindInterval, 0);
    EXPECT_EQ(countsOf(Hist_BBgame, chain), (std::map<int, int>{{2, 2}}));
}

TEST(BonusHistory, AgreesWithTheChartCollectors) {
    for (std::uint32_t seed = 1; seed <= 12; ++seed) {
        const PlayRecord r = recordOf(generated(seed, 60, seed % 3 == 0));
        const BonusHistory h = bonusHistory(r);
        ASSERT_GE(h.bonuses.size(), 60u);
        auto bb = [](const BonusEntry& e) { return e.kind == Bonus::BB; };
        auto rb = [](const BonusEntry& e) { return e.kind == Bonus::RB; };
        auto done = [](Bonus k) { return [k](const BonusEntry& e) { return e.kind == k && !e.running; }; };
        auto gained = [](Bonus k) {
            return [k](const BonusEntry& e) { return e.kind == k && !e.running && e.net >= 0; };
        };
        auto unchained = [](const BonusEntry& e) { return !e.chained; };
        auto interval = [](const BonusEntry& e) { return e.interval; };
        auto kindInterval = [](const BonusEntry& e) { return e.kindInterval; };
        auto games = [](const BonusEntry& e) { return e.games; };
        auto net = [](const BonusEntry& e) { return e.net; };
        // A bonus straight after another is no new interval of the combined chart.
        EXPECT_EQ(countsOf(Hist_YB, r), tally(h, unchained, interval)) << seed;
        EXPECT_EQ(countsOf(Hist_BBkan, r), tally(h, bb, kindInterval)) << seed;
        EXPECT_EQ(countsOf(Hist_RBkan, r), tally(h, rb, kindInterval)) << seed;
        EXPECT_EQ(countsOf(Hist_BBgame, r), tally(h, done(Bonus::BB), games)) << seed;
        EXPECT_EQ(countsOf(Hist_RBgame, r), tally(h, done(Bonus::RB), games)) << seed;
        EXPECT_EQ(countsOf(Hist_BBmai, r), tally(h, gained(Bonus::BB), net)) << seed;
        EXPECT_EQ(countsOf(Hist_RBmai, r), tally(h, gained(Bonus::RB), net)) << seed;
    }
}

TEST(BonusHistory, AgreesWithTheCountersOfALoadedRecord) {
    for (std::uint32_t seed : {4u, 5u, 6u}) {
        Rig r;
        r.load(generated(seed, 40, seed == 6));
        ChrClrInit(r.c);
        ChrDispAll(r.c);
        const BonusHistory h = bonusHistory(r.c.rec);
        // The sums of the ended bonuses; the intervals of all of them.
        std::map<std::string, std::int64_t> sum{{"Game_Cnt", h.games}, {"BB_Cnt", h.bb}, {"RB_Cnt", h.rb}};
        for (const BonusEntry& e : h.bonuses) {
            const std::string k = e.kind == Bonus::BB ? "BB_" : "RB_";
            sum[k + "IntvSum"] += e.kindInterval;
            sum[k + (e.running ? "Gain" : "GainSum")] += e.net;
            if (!e.running) sum[k + "GameSum"] += e.games;
        }
        std::string expected;
        for (const auto& [k, v] : sum) expected += k + "=" + std::to_string(v) + " ";
        EXPECT_COUNTERS(r.c.cnt, expected.substr(0, expected.size() - 1)) << seed;
        EXPECT_EQ(r.c.cnt.BB_IntvCnt + r.c.cnt.BB_IntvSum, h.normalGames);
        EXPECT_EQ(h.bonuses.back().running, seed == 6);
    }
}

TEST(Probabilities, OddsAndLines) {
    EXPECT_EQ(oddsText(2874, 10), "1/287.4");
    EXPECT_EQ(oddsText(1000, 3), "1/333.3");
    EXPECT_EQ(oddsText(2, 3), "1/0.7");
    EXPECT_EQ(oddsText(31001, 0), "-");
    EXPECT_EQ(oddsText(0, 0), "-");
    const BonusHistory h =
        bonusHistory(recordOf(runs({{0x30, 3}, {0xBF, 2}, {0x30, 5}, {0x7F, 1}, {0xB5, 1}, {0x30, 4}})));
    EXPECT_EQ(probabilityLine(h, false), "全ゲーム 16Ｇ中　ＢＢ 1/8.0　ＲＢ 1/16.0　合成 1/5.3");
    EXPECT_EQ(probabilityLine(h, true), "通常ゲーム 12Ｇ中　ＢＢ 1/6.0　ＲＢ 1/12.0　合成 1/4.0");
    EXPECT_EQ(probabilityLine(BonusHistory{}, true), "通常ゲーム 0Ｇ中　ＢＢ -　ＲＢ -　合成 -");
}

}  // namespace
}  // namespace tobrak::test
