#include <gtest/gtest.h>

#include "rig.h"
#include "stats/panel.h"
#include "stats/stats_engine.h"

namespace tobrak::test {
namespace {

// The texts of page `p` of `fig` over `cnt`, rows joined by '|'.
std::string page(const Counters& cnt, Figures& fig, int p) {
    PageTexts t;
    EXPECT_TRUE(pageTexts(cnt, fig, p, t));
    std::string out;
    for (int row = 0; row < kRows; ++row) out += (row ? "|" : "") + t[static_cast<std::size_t>(row)];
    return out;
}

// A record replayed from nothing: its counters, the page texts and whether it ends inside a BB.
TEST(StatsEngine, PagesOfReplayedRecords) {
    struct Case {
        Bytes bytes;
        int page;
        const char* texts;
        bool bbOpen;
    };
    for (const Case& k : std::vector<Case>{
             // Games, payout rate, difference, medals in and out, for all and for normal games.
             {{0x31, 0x30, 0x12}, 0, "3|3|0|3|0|3|42.86|-4|7|3|42.86|7|3", false},
             // The maximum interval shows from the start, the minimum only after the end, the
             // average is not recomputed yet; the gain of 5 x (15 - 3) counts the running bonus.
             {runs({{0x30, 10}, {0xBF, 5}}), 1, "1|0.00|10|0|0.00|0|0|60|15|75|0.00|0|0", true},
             {runs({{0x30, 10}, {0xBF, 5}, {0x30, 1}}), 1, "1|11.00|10|10|60.00|60|60|60|15|75|5.00|5|5", false},
             // 6 normal games / 2 starts; a losing bonus is the minimum, never the maximum.
             {runs({{0x30, 2}, {0xB0, 1}, {0x30, 4}, {0xB0, 1}}), 1, "2|3.00|4|2|-3.00|0|-3|-6|6|0|1.00|1|1", true},
             {{0x33}, 0, "1|1|0|1|0|1|100.00|0|3|3|100.00|3|3", false},
             // Only replays: with Tot_In 0 the guarded figure keeps its reset value.
             {{0x05}, 0, "1|1|0|1|0|1|0.00|5|0|5|0.00|0|5", false},
         }) {
        Counters c;
        Figures fig;
        bool bb = false, rb = false;
        replayCounters(recordOf(k.bytes), c, bb, rb);
        EXPECT_EQ(page(c, fig, k.page), k.texts);
        EXPECT_EQ(bb, k.bbOpen) << k.texts;
        EXPECT_FALSE(rb);
    }
    // The BB games do not count towards the RB interval; the next normal game ends both.
    Counters c;
    Figures fig;
    bool bb = false, rb = false;
    replayCounters(recordOf(runs({{0x30, 3}, {0xB0, 2}, {0x50, 2}, {0x30, 1}})), c, bb, rb);
    EXPECT_COUNTERS(c, "BB_Cnt=1 RB_Cnt=1 BB_EndCnt=1 RB_EndCnt=1 BB_GameSum=2 RB_GameSum=2 RB_IntvMin=3");
    EXPECT_FALSE(bb || rb);
    // A zero divisor leaves the old figure in place.
    c.reset();
    replayCounters(recordOf({0x05}), c, bb, rb);
    fig.Payout_Rate = 55.5f;
    EXPECT_EQ(page(c, fig, 0), "1|1|0|1|0|1|55.50|5|0|5|0.00|0|5");
    PageTexts none;
    EXPECT_FALSE(pageTexts(c, fig, 3, none));
}

TEST(StatsPanel, PagesCycleAndTheFirstPageResetsTheBlink) {
    Rig r;
    for (const char* caption : {"［ ＢＢ ］ 項目 2/3", "［ ＲＢ ］ 項目 3/3", "[ 一般 ] 項目 1/3"}) {
        r.c.panel.setCaptionBack(0, rgb::Red);
        r.c.panel.menPage_Click();
        EXPECT_EQ(r.ui.menus("menPage").caption(), caption);
    }
    EXPECT_EQ(r.ui.Label2[0].backColor(), rgb::Cyan);
    EXPECT_EQ(r.ui.Label2[0].caption(), " 総ゲーム数");
}

}  // namespace
}  // namespace tobrak::test
