#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>

#include "analysis/histogram.h"
#include "analysis/history.h"
#include "platform/sim_board.h"
#include "rig.h"
#include "stats/stats_engine.h"

namespace tobrak::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

PlayRecord recordOf(const Bytes& bytes) {
    PlayRecord r;
    for (auto b : bytes) r.Dat_Buf[r.Dat_Len++] = b;
    return r;
}

Bytes runs(const std::vector<std::pair<std::uint8_t, int>>& rs) {
    Bytes out;
    for (auto [b, n] : rs) out.insert(out.end(), static_cast<std::size_t>(n), b);
    return out;
}

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

std::map<int, int> counts(void (*collect)(const PlayRecord&, AnalysisState&), const PlayRecord& r) {
    AnalysisState h;
    collect(r, h);
    std::map<int, int> m;
    for (int v = 0; v < kHistLen; ++v)
        if (h.Hist_Cnt[static_cast<std::size_t>(v)]) m[v] = h.Hist_Cnt[static_cast<std::size_t>(v)];
    return m;
}

template <class Pick, class Value>
std::map<int, int> tally(const BonusHistory& h, Pick pick, Value value) {
    std::map<int, int> m;
    for (const BonusEntry& e : h.bonuses)
        if (pick(e)) ++m[value(e)];
    return m;
}

TEST(BonusHistory, RowsOfAHandWrittenRecord) {
    // normal x3, BB x2, normal x5, RB x1, BB x1 straight after it, normal x4
    const BonusHistory h =
        bonusHistory(recordOf(runs({{0x30, 3}, {0xBF, 2}, {0x30, 5}, {0x7F, 1}, {0xB5, 1}, {0x30, 4}})));
    ASSERT_EQ(h.bonuses.size(), 3u);
    EXPECT_EQ(h.games, 16);
    EXPECT_EQ(h.normalGames, 12);
    EXPECT_EQ(h.bb, 2);
    EXPECT_EQ(h.rb, 1);
    const BonusEntry &a = h.bonuses[0], &b = h.bonuses[1], &c = h.bonuses[2];
    EXPECT_EQ(a.kind, Bonus::BB);
    EXPECT_EQ(historyRow(a), (std::vector<std::string>{"1", "ＢＢ", "3", "3", "2", "24", ""}));
    EXPECT_EQ(b.kind, Bonus::RB);
    EXPECT_EQ(b.interval, 5);
    EXPECT_EQ(b.kindInterval, 8);  // the first RB: every normal game so far
    EXPECT_EQ(b.gamesAtHit, 10);
    EXPECT_EQ(b.normalAtHit, 8);
    EXPECT_EQ(b.net, 12);
    EXPECT_FALSE(b.chained);
    EXPECT_EQ(c.kind, Bonus::BB);
    EXPECT_TRUE(c.chained);
    EXPECT_EQ(c.interval, 0);
    EXPECT_EQ(c.kindInterval, 5);
    EXPECT_EQ(c.firstGame, 11);
    EXPECT_EQ(c.net, 2);
    EXPECT_FALSE(c.running);
    EXPECT_EQ(historyHeader().size(), historyRow(c).size());
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
    h = bonusHistory(recordOf(runs({{0x30, 1}, {0xBF, 2}, {0x5F, 2}, {0xBF, 2}, {0x30, 1}})));
    ASSERT_EQ(h.bonuses.size(), 3u);
    EXPECT_EQ(h.bb, 2);
    EXPECT_EQ(h.bonuses[2].kindInterval, 0);
    EXPECT_EQ(counts(Hist_BBgame, recordOf(runs({{0x30, 1}, {0xBF, 2}, {0x5F, 2}, {0xBF, 2}, {0x30, 1}}))),
              (std::map<int, int>{{2, 2}}));
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
        auto interval = [](const BonusEntry& e) { return e.interval; };
        auto kindInterval = [](const BonusEntry& e) { return e.kindInterval; };
        auto games = [](const BonusEntry& e) { return e.games; };
        auto net = [](const BonusEntry& e) { return e.net; };
        // A bonus straight after another is no new interval of the combined chart.
        EXPECT_EQ(counts(Hist_YB, r), tally(
                                          h, [](const BonusEntry& e) { return !e.chained; }, interval))
            << seed;
        EXPECT_EQ(counts(Hist_BBkan, r), tally(h, bb, kindInterval)) << seed;
        EXPECT_EQ(counts(Hist_RBkan, r), tally(h, rb, kindInterval)) << seed;
        EXPECT_EQ(counts(Hist_BBgame, r), tally(h, done(Bonus::BB), games)) << seed;
        EXPECT_EQ(counts(Hist_RBgame, r), tally(h, done(Bonus::RB), games)) << seed;
        EXPECT_EQ(counts(Hist_BBmai, r), tally(h, gained(Bonus::BB), net)) << seed;
        EXPECT_EQ(counts(Hist_RBmai, r), tally(h, gained(Bonus::RB), net)) << seed;
    }
}

TEST(BonusHistory, AgreesWithTheCountersOfALoadedRecord) {
    for (std::uint32_t seed : {4u, 5u, 6u}) {
        Rig r;
        const Bytes bytes = generated(seed, 40, seed == 6);
        r.c.rec = recordOf(bytes);
        ChrClrInit(r.c);
        ChrDispAll(r.c);
        const Counters& n = r.c.cnt;
        const BonusHistory h = bonusHistory(r.c.rec);
        std::int64_t bbIntv = 0, bbGames = 0, bbNet = 0, rbIntv = 0, rbGames = 0, rbNet = 0, running = 0;
        for (const BonusEntry& e : h.bonuses) {
            if (e.running) {
                running = e.net;
                continue;
            }
            (e.kind == Bonus::BB ? bbGames : rbGames) += e.games;
            (e.kind == Bonus::BB ? bbNet : rbNet) += e.net;
        }
        for (const BonusEntry& e : h.bonuses) (e.kind == Bonus::BB ? bbIntv : rbIntv) += e.kindInterval;
        EXPECT_EQ(n.Game_Cnt, h.games);
        EXPECT_EQ(n.BB_Cnt, h.bb);
        EXPECT_EQ(n.RB_Cnt, h.rb);
        EXPECT_EQ(n.BB_IntvSum, bbIntv);
        EXPECT_EQ(n.RB_IntvSum, rbIntv);
        EXPECT_EQ(n.BB_GameSum, bbGames);
        EXPECT_EQ(n.RB_GameSum, rbGames);
        EXPECT_EQ(n.BB_GainSum, bbNet);
        EXPECT_EQ(n.RB_GainSum, rbNet);
        EXPECT_EQ(static_cast<std::int64_t>(n.BB_IntvCnt) + n.BB_IntvSum, h.normalGames);
        if (seed == 6) {
            ASSERT_TRUE(h.bonuses.back().running);
            EXPECT_EQ((h.bonuses.back().kind == Bonus::BB ? n.BB_Gain : n.RB_Gain), running);
        }
    }
}

TEST(BonusHistory, AgreesWithLivePlayOfTheSimulatedMachine) {
    SimBoard board({.seed = 7, .speed = 100.0});
    headless::HeadlessApp app(&board);
    app.ui.Picture2s.logging = false;
    app.ui.Zoom.logging = false;
    // Until a normal game has closed the last bonus, so that every bonus is summed.
    while (app.core.rec.games() < 4000 || app.core.flags.BBGame_On || app.core.flags.RBGame_On) app.run(kPollMs);
    const Counters& n = app.core.cnt;
    const BonusHistory h = bonusHistory(app.core.rec);
    ASSERT_GT(h.bb, 5);
    EXPECT_TRUE(std::any_of(h.bonuses.begin(), h.bonuses.end(), [](const BonusEntry& e) { return e.chained; }));
    EXPECT_EQ(n.BB_Cnt, h.bb);
    EXPECT_EQ(n.RB_Cnt, h.rb);
    std::int64_t gain[2] = {}, games[2] = {};
    for (const BonusEntry& e : h.bonuses) {
        gain[e.kind == Bonus::RB] += e.net;
        games[e.kind == Bonus::RB] += e.games;
    }
    EXPECT_EQ(n.BB_GainSum, gain[0]);
    EXPECT_EQ(n.RB_GainSum, gain[1]);
    EXPECT_EQ(n.BB_GameSum, games[0]);
    EXPECT_EQ(n.RB_GameSum, games[1]);
    EXPECT_EQ(n.Bonus_Intv, app.core.rec.games() - h.bonuses.back().firstGame - h.bonuses.back().games);
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

TEST(GamesCsv, OneLinePerGameWithBalanceAndBonusNumber) {
    const PlayRecord r = recordOf({0x30, 0x38, 0xBF, 0xBF, 0x7F, 0x00, 0x5F});
    EXPECT_EQ(gamesCsv(r, bonusHistory(r)),
              "game,state,in,out,balance,bonus\n"
              "1,normal,3,0,-3,\n"
              "2,normal,3,8,2,\n"
              "3,BB,3,15,14,1\n"
              "4,BB,3,15,26,1\n"
              "5,RB,3,15,38,2\n"
              "6,normal,0,0,38,\n"
              "7,RB,1,15,52,3\n");
}

}  // namespace
}  // namespace tobrak::test
