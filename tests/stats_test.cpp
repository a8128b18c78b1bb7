#include <gtest/gtest.h>

#include "rig.h"
#include "stats/panel.h"
#include "stats/stats_engine.h"

namespace tobrak::test {
namespace {

// Loads `bytes` and rebuilds the counters as a load does.
void rebuild(Rig& r, const Bytes& bytes) {
    r.load(bytes);
    ChrClrInit(r.c);
    ChrDispAll(r.c);
}

// The texts of page `p`, rows joined by '|'.
std::string page(Program& c, int p) {
    PageTexts t;
    EXPECT_TRUE(pageTexts(c.cnt, c.panel.fig, p, t));
    std::string out;
    for (int row = 0; row < kRows; ++row) {
        if (row) out += '|';
        out += t[static_cast<std::size_t>(row)];
    }
    return out;
}

TEST(StatsEngine, ThreeNormalGames) {
    Rig r;
    rebuild(r, {0x31, 0x30, 0x12});
    EXPECT_COUNTERS(r.c.cnt, "Tot_In=7 Tot_Out=3");
    // Games, payout rate, difference, medals in and out, for all and for normal games.
    EXPECT_EQ(page(r.c, 0), "3|3|0|3|0|3|42.86|-4|7|3|42.86|7|3");
    // The panel in view shows the same texts.
    EXPECT_EQ(r.ui.Label3[6].caption(), "42.86");
}

TEST(StatsEngine, ARecordEndingInsideABBKeepsItOpenUntilANormalGame) {
    Rig r;
    rebuild(r, runs({{0x30, 10}, {0xBF, 5}}));
    EXPECT_COUNTERS(r.c.cnt, "BB_Cnt=1 BB_EndCnt=0");
    EXPECT_TRUE(r.c.acq.BBGame_On);
    EXPECT_TRUE(r.c.acq.DaiBB_On);
    EXPECT_TRUE(r.ui.Timer8.enabled());
    EXPECT_EQ(page(r.c, 0).substr(0, 3), "10|");
    // The maximum interval shows from the start, the minimum only after the end, the
    // average is not recomputed yet; the gain of 5 x (15 - 3) counts the running bonus.
    EXPECT_EQ(page(r.c, 1), "1|0.00|10|0|0.00|0|0|60|15|75|0.00|0|0");

    // Another record loaded starts from nothing.
    rebuild(r, {0x30});
    EXPECT_FALSE(r.c.acq.BBGame_On);
    EXPECT_FALSE(r.c.acq.DaiBB_On);

    Rig closed;
    rebuild(closed, runs({{0x30, 10}, {0xBF, 5}, {0x30, 1}}));
    EXPECT_EQ(page(closed.c, 1), "1|11.00|10|10|60.00|60|60|60|15|75|5.00|5|5");
    EXPECT_COUNTERS(closed.c.cnt, "Bonus_Intv=1 BB_Intv=1 RB_Intv=11");
    EXPECT_FALSE(closed.c.acq.DaiBB_On);
    EXPECT_FALSE(closed.ui.Timer8.enabled());
}

TEST(StatsEngine, BBThenRBThenNormalEndsBoth) {
    Rig r;
    r.games(3, 1, 2);  // a monitor line from live play
    rebuild(r, runs({{0x30, 3}, {0xB0, 2}, {0x50, 2}, {0x30, 1}}));
    // The BB games do not count towards the RB interval.
    EXPECT_COUNTERS(r.c.cnt, "BB_Cnt=1 RB_Cnt=1 BB_EndCnt=1 RB_EndCnt=1 BB_GameSum=2 RB_GameSum=2 RB_IntvMin=3");
    EXPECT_FALSE(r.c.acq.BBGame_On);
    EXPECT_FALSE(r.c.acq.RBGame_On);
    EXPECT_EQ(r.ui.Label12.caption(), " ");  // the monitor line starts again
}

TEST(StatsEngine, GuardedFiguresKeepTheirStoredValue) {
    Rig r;
    rebuild(r, {0x33});
    EXPECT_EQ(page(r.c, 0), "1|1|0|1|0|1|100.00|0|3|3|100.00|3|3");
    // Only replays now: Tot_In stays 0 after a reset, the figure keeps 0.00.
    rebuild(r, {0x05});
    EXPECT_EQ(page(r.c, 0), "1|1|0|1|0|1|0.00|5|0|5|0.00|0|5");
    // Without a reset, a zero divisor leaves the old figure in place.
    r.c.panel.fig.Payout_Rate = 55.5f;
    EXPECT_EQ(page(r.c, 0), "1|1|0|1|0|1|55.50|5|0|5|0.00|0|5");
    PageTexts none;
    EXPECT_FALSE(pageTexts(r.c.cnt, r.c.panel.fig, 3, none));
}

TEST(StatsEngine, AverageIntervalCountsTheRunningStartAndNegativeGains) {
    Rig r;
    // BB of one game losing 3 medals, then 4 normal games and a second BB still running.
    rebuild(r, runs({{0x30, 2}, {0xB0, 1}, {0x30, 4}, {0xB0, 1}}));
    // 6 normal games / 2 starts; a losing bonus is the minimum, never the maximum.
    EXPECT_EQ(page(r.c, 1), "2|3.00|4|2|-3.00|0|-3|-6|6|0|1.00|1|1");
}

TEST(StatsPanel, PagesCycleWithCaptionsAndUnits) {
    Rig r;
    EXPECT_EQ(r.ui.menus("menPage").caption(), "[ 一般 ] 項目 1/3");
    EXPECT_EQ(r.ui.Label2[0].caption(), " 総ゲーム数");
    EXPECT_EQ(r.ui.Label4[6].caption(), "％");
    r.c.panel.menPage_Click();
    EXPECT_EQ(r.ui.menus("menPage").caption(), "［ ＢＢ ］ 項目 2/3");
    EXPECT_EQ(r.ui.Label2[10].caption(), " 平均ＢＢ中ゲーム数");
    EXPECT_EQ(r.ui.Label4[0].caption(), "回");
    r.c.panel.menPage_Click();
    EXPECT_EQ(r.ui.menus("menPage").caption(), "［ ＲＢ ］ 項目 3/3");
    EXPECT_EQ(r.ui.Label2[12].caption(), " 最小ＲＢ中ゲーム数");
    r.ui.Label2[0].setBackColor(rgb::Red);
    r.c.panel.menPage_Click();
    EXPECT_EQ(r.c.panel.MenuPage, 0);
    EXPECT_EQ(r.ui.Label2[0].backColor(), rgb::Cyan);
    // A caller asking for page 0 from any page sets 4 first.
    r.c.panel.menPage_Click();
    r.c.panel.MenuPage = 4;
    r.c.panel.menPage_Click();
    EXPECT_EQ(r.c.panel.MenuPage, 0);
}

}  // namespace
}  // namespace tobrak::test
