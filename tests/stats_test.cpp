#include <gtest/gtest.h>

#include <initializer_list>

#include "rig.h"
#include "stats/panel.h"
#include "stats/stats_engine.h"

namespace tobrak::test {
namespace {

// Loads `bytes` as the record and rebuilds the counters as a load does.
void rebuild(Core& c, std::initializer_list<std::uint8_t> bytes) {
    c.rec.Dat_Len = kHeaderLen;
    for (auto b : bytes) c.rec.Dat_Buf[c.rec.Dat_Len++] = b;
    c.rec.Dat_Buf[c.rec.Dat_Len] = 0;
    ChrClrInit(c);
    ChrDispAll(c);
}

void rebuild(Core& c, const std::vector<std::uint8_t>& bytes) {
    c.rec.Dat_Len = kHeaderLen;
    for (auto b : bytes) c.rec.Dat_Buf[c.rec.Dat_Len++] = b;
    ChrClrInit(c);
    ChrDispAll(c);
}

PageTexts page(Core& c, int p) {
    PageTexts t;
    EXPECT_TRUE(pageTexts(c.cnt, c.fig, p, t));
    return t;
}

std::vector<std::uint8_t> repeat(std::uint8_t b, int n) {
    return std::vector<std::uint8_t>(n, b);
}

std::vector<std::uint8_t> operator+(std::vector<std::uint8_t> a, const std::vector<std::uint8_t>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST(StatsEngine, EmptyRecordShowsZeroesOnEveryPage) {
    Rig r;
    rebuild(r.c, {});
    const PageTexts p0 = page(r.c, 0);
    for (int row = 0; row < kRows; ++row) EXPECT_EQ(p0[row], row == 6 || row == 10 ? "0.00" : "0") << "row " << row;
    for (int pg : {1, 2}) {
        const PageTexts t = page(r.c, pg);
        for (int row = 0; row < kRows; ++row)
            EXPECT_EQ(t[row], row == 1 || row == 4 || row == 10 ? "0.00" : "0") << "page " << pg << " row " << row;
    }
    EXPECT_FALSE(r.ui.Timer8.enabled());
}

TEST(StatsEngine, ThreeNormalGames) {
    Rig r;
    rebuild(r.c, {0x31, 0x30, 0x12});
    EXPECT_EQ(r.c.cnt.Tot_In, 7);
    EXPECT_EQ(r.c.cnt.Tot_Out, 3);
    const PageTexts p0 = page(r.c, 0);
    EXPECT_EQ(p0[7], "-4");
    EXPECT_EQ(p0[6], "42.86");
    EXPECT_EQ(p0[0], "3");
    EXPECT_EQ(p0[10], "42.86");
    // The panel in view shows the same texts.
    EXPECT_EQ(r.ui.Label3[6].caption(), "42.86");
}

TEST(StatsEngine, RecordEndingInsideABBKeepsItOpenAndBlinks) {
    Rig r;
    rebuild(r.c, repeat(0x30, 10) + repeat(0xBF, 5));
    const Counters& n = r.c.cnt;
    EXPECT_EQ(n.BB_Cnt, 1);
    EXPECT_EQ(n.BB_EndCnt, 0);
    EXPECT_TRUE(r.c.flags.BBGame_On);
    EXPECT_TRUE(r.c.rs.DaiBB_On);
    EXPECT_TRUE(r.ui.Timer8.enabled());
    EXPECT_EQ(page(r.c, 0)[0], "10");
    const PageTexts p1 = page(r.c, 1);
    EXPECT_EQ(p1[2], "10");    // maximum interval shown from the start
    EXPECT_EQ(p1[3], "0");     // minimum only after the end
    EXPECT_EQ(p1[1], "0.00");  // average not recomputed yet
    EXPECT_EQ(p1[7], "60");    // 5 games x (15 - 3), the running bonus included
    EXPECT_EQ(p1[8], "15");
    EXPECT_EQ(p1[9], "75");
}

TEST(StatsEngine, ANormalGameEndsTheBB) {
    Rig r;
    rebuild(r.c, repeat(0x30, 10) + repeat(0xBF, 5) + repeat(0x30, 1));
    const PageTexts p1 = page(r.c, 1);
    EXPECT_EQ(p1[1], "11.00");
    EXPECT_EQ(p1[3], "10");
    EXPECT_EQ(p1[4], "60.00");
    EXPECT_EQ(p1[5], "60");
    EXPECT_EQ(p1[6], "60");
    EXPECT_EQ(p1[10], "5.00");
    EXPECT_EQ(p1[11], "5");
    EXPECT_EQ(p1[12], "5");
    EXPECT_EQ(r.c.cnt.Bonus_Intv, 1);
    EXPECT_EQ(r.c.cnt.BB_Intv, 1);
    EXPECT_EQ(r.c.cnt.RB_Intv, 11);
    EXPECT_FALSE(r.c.rs.DaiBB_On);
    EXPECT_FALSE(r.ui.Timer8.enabled());
}

TEST(StatsEngine, BBThenRBThenNormalEndsBoth) {
    Rig r;
    rebuild(r.c, repeat(0x30, 3) + repeat(0xB0, 2) + repeat(0x50, 2) + repeat(0x30, 1));
    EXPECT_EQ(r.c.cnt.BB_Cnt, 1);
    EXPECT_EQ(r.c.cnt.RB_Cnt, 1);
    EXPECT_EQ(r.c.cnt.BB_EndCnt, 1);
    EXPECT_EQ(r.c.cnt.RB_EndCnt, 1);
    EXPECT_EQ(r.c.cnt.BB_GameSum, 2);
    EXPECT_EQ(r.c.cnt.RB_GameSum, 2);
    EXPECT_EQ(r.c.cnt.RB_IntvMin, 3);  // the BB games do not count towards the RB interval
    EXPECT_FALSE(r.c.flags.BBGame_On);
    EXPECT_FALSE(r.c.flags.RBGame_On);
}

TEST(StatsEngine, IntervalAboveTheResetValueLeavesMinimumAt9999) {
    Rig r;
    rebuild(r.c, repeat(0x30, 12000) + repeat(0xB0, 1) + repeat(0x30, 1));
    EXPECT_EQ(page(r.c, 1)[3], "9999");
    EXPECT_EQ(page(r.c, 1)[2], "12000");
}

TEST(StatsEngine, GuardedFiguresKeepTheirStoredValue) {
    Rig r;
    rebuild(r.c, {0x33});
    EXPECT_EQ(page(r.c, 0)[6], "100.00");
    // Only replays now: Tot_In stays 0 after a reset, the figure keeps 0.00.
    rebuild(r.c, {0x05});
    EXPECT_EQ(page(r.c, 0)[6], "0.00");
    // Without a reset, a zero divisor leaves the old figure in place.
    r.c.fig.Payout_Rate = 55.5f;
    EXPECT_EQ(page(r.c, 0)[6], "55.50");
    PageTexts none;
    EXPECT_FALSE(pageTexts(r.c.cnt, r.c.fig, 3, none));
}

TEST(StatsEngine, AverageIntervalCountsTheRunningStartAndNegativeGains) {
    Rig r;
    // BB of one game losing 3 medals, then 4 normal games and a second BB still running.
    rebuild(r.c, repeat(0x30, 2) + repeat(0xB0, 1) + repeat(0x30, 4) + repeat(0xB0, 1));
    const PageTexts p1 = page(r.c, 1);
    EXPECT_EQ(p1[0], "2");
    EXPECT_EQ(p1[1], "3.00");  // 6 normal games / 2 starts
    EXPECT_EQ(p1[4], "-3.00");
    EXPECT_EQ(p1[6], "-3");
    EXPECT_EQ(p1[7], "-6");
}

TEST(StatsEngine, ResetClearsFlagsFiguresAndMonitorLine) {
    Rig r;
    rebuild(r.c, repeat(0x33, 2) + repeat(0x80, 1));
    page(r.c, 0);
    r.ui.Label12.setCaption(" III･･");
    ChrClrInit(r.c);
    EXPECT_FALSE(r.c.flags.BBGame_On);
    EXPECT_FALSE(r.c.rs.DaiBB_On);
    EXPECT_EQ(r.c.fig.Payout_Rate, 0.0f);
    EXPECT_EQ(r.c.cnt.BB_GameMin, 9999);
    EXPECT_EQ(r.ui.Label12.caption(), " ");
}

TEST(StatsPanel, PagesCycleWithCaptionsAndUnits) {
    Rig r;
    EXPECT_EQ(r.c.fd.MenuPage, 0);
    EXPECT_EQ(r.ui.menus("menPage").caption(), "[ 一般 ] 項目 1/3");
    EXPECT_EQ(r.ui.Label2[0].caption(), " 総ゲーム数");
    EXPECT_EQ(r.ui.Label4[6].caption(), "％");
    menPage_Click(r.c);
    EXPECT_EQ(r.ui.menus("menPage").caption(), "［ ＢＢ ］ 項目 2/3");
    EXPECT_EQ(r.ui.Label2[10].caption(), " 平均ＢＢ中ゲーム数");
    EXPECT_EQ(r.ui.Label4[0].caption(), "回");
    menPage_Click(r.c);
    EXPECT_EQ(r.ui.menus("menPage").caption(), "［ ＲＢ ］ 項目 3/3");
    EXPECT_EQ(r.ui.Label2[12].caption(), " 最小ＲＢ中ゲーム数");
    r.ui.Label2[0].setBackColor(rgb::Red);
    menPage_Click(r.c);
    EXPECT_EQ(r.c.fd.MenuPage, 0);
    EXPECT_EQ(r.ui.Label2[0].backColor(), rgb::Cyan);
    // A caller asking for page 0 from any page sets 4 first.
    menPage_Click(r.c);
    r.c.fd.MenuPage = 4;
    menPage_Click(r.c);
    EXPECT_EQ(r.c.fd.MenuPage, 0);
}

TEST(StatsPanel, StartUpShowsPageZeroAllZeroAndMarkersOn) {
    Rig r;
    for (int row = 0; row < kRows; ++row) EXPECT_EQ(r.ui.Label3[row].caption(), row == 6 || row == 10 ? "0.00" : "0");
    EXPECT_TRUE(r.ui.menus("GhpHyo", 0).checked());
    EXPECT_TRUE(r.ui.menus("GhpHyo", 2).checked());
    EXPECT_TRUE(r.ui.menus("GhpHyo", 4).checked());
    EXPECT_TRUE(r.c.mark.Mark_BBs && r.c.mark.Mark_RBs && r.c.mark.Mark_BBe && r.c.mark.Mark_RBe);
    EXPECT_EQ(r.ui.Label1.caption(), " 　ゲーム不可");
    EXPECT_TRUE(r.ui.Timer2.enabled());
    EXPECT_EQ(r.ui.Timer2.interval(), 80);
    EXPECT_FALSE(r.ui.Timer8.enabled());
    EXPECT_FALSE(r.ui.Label14.visible());
}

}  // namespace
}  // namespace tobrak::test
