#include <gtest/gtest.h>

#include "analysis/histogram.h"
#include "analysis/koyaku.h"
#include "app/filedisp.h"
#include "app/menu.h"
#include "rig.h"
#include "stats/stats_engine.h"

namespace tobrak::test {
namespace {

using M = std::map<int, int>;

TEST(Collectors, TheExampleRecordInEveryChart) {
    // normal x3, BB x2, normal x5, RB x1, BB x1, normal x4
    const PlayRecord r = recordOf(runs({{0x30, 3}, {0xBF, 2}, {0x30, 5}, {0x7F, 1}, {0xB5, 1}, {0x30, 4}}));
    EXPECT_EQ(countsOf(Hist_YB, r), (M{{3, 1}, {5, 1}}));
    EXPECT_EQ(countsOf(Hist_BBkan, r), (M{{3, 1}, {5, 1}}));
    EXPECT_EQ(countsOf(Hist_RBkan, r), (M{{8, 1}}));
    EXPECT_EQ(countsOf(Hist_BBgame, r), (M{{2, 1}, {1, 1}}));
    EXPECT_EQ(countsOf(Hist_RBgame, r), (M{{1, 1}}));
    EXPECT_EQ(countsOf(Hist_BBmai, r), (M{{24, 1}, {2, 1}}));
    EXPECT_EQ(countsOf(Hist_RBmai, r), (M{{12, 1}}));
}

TEST(Collectors, LosingRunningAndHugeBonuses) {
    // A BB that pays less than it costs, then a BB still running at the newest game.
    const PlayRecord r = recordOf(runs({{0x30, 2}, {0xB1, 3}, {0x30, 7}, {0xBF, 2}}));
    EXPECT_EQ(countsOf(Hist_BBmai, r), M{});                  // -6 is counted nowhere
    EXPECT_EQ(countsOf(Hist_BBgame, r), (M{{3, 1}}));         // the running one is not counted
    EXPECT_EQ(countsOf(Hist_BBkan, r), (M{{2, 1}, {7, 1}}));  // its interval is
    // A net result beyond the last entry (+15 a game: 45000) is left out, nothing else is touched.
    EXPECT_EQ(countsOf(Hist_BBmai, recordOf(runs({{0x8F, 3000}, {0x30, 1}}))), M{});
}

struct ChartRig : Rig {
    ChartRig() {
        ui.Picture2s.ops.clear();
        c.analysis.Hist_Cnt.fill(0);
    }
    std::vector<std::string> boxes() const { return opsOf(ui.Picture2s, "box "); }
};

TEST(Chart, BarsLabelsAndScale) {
    ChartRig t;
    t.c.analysis.Hist_Cnt[3] = 1;
    t.c.analysis.Hist_Cnt[7] = 9;
    t.ui.Picture2s.setFillColor(rgb::Red);
    t.c.analysis.HistDisp(99, " （ゲーム）", 5.0f, rgb::Black);
    EXPECT_EQ(t.boxes(), (std::vector<std::string>{"box 931.00 5219.00 1031.00 4720.00 000000 FF0000",
                                                   "box 1331.00 5219.00 1431.00 720.00 000000 FF0000"}));
    EXPECT_EQ(captionsOf(t.ui.Label9), "2|4|6|8|10|（回）");
    const auto texts = textsOf(t.ui.Picture2s);
    ASSERT_EQ(texts.size(), 11u);  // no BB has ended: no average marker
    EXPECT_EQ(texts[0], (Text{430.0f, 5295.0f, " 0 （ゲーム）"}));
    EXPECT_EQ(texts[1], (Text{1430.0f, 5295.0f, " 10 "}));
    EXPECT_EQ(texts[10].text, " 100 ");
}

TEST(Chart, GridColoursMarkerAndLargeCounts) {
    ChartRig t;
    t.c.cnt.BB_EndCnt = 1;  // any ended BB shows the marker, on any chart
    t.c.analysis.Hist_Cnt[990] = 1000;
    t.c.analysis.HistDisp(1000, " （枚）", 123.456f, rgb::Red);
    const auto lines = linesOf(t.ui.Picture2s);
    ASSERT_GE(lines.size(), 20u);
    EXPECT_EQ(lines[4], "line 3130.00 220.00 3130.00 5220.00 0000FF");  // k = 5 blue at W 20
    EXPECT_EQ(lines[3], "line 2630.00 220.00 2630.00 5220.00 707070");
    const auto texts = textsOf(t.ui.Picture2s);
    EXPECT_EQ(texts.back().text, "平均123.46");
    EXPECT_EQ(texts.back().x, 630.0f + 100.0f / 20.0f * 123.456f - 400.0f);
    EXPECT_EQ(coloursOf(lines).back(), "FFFF00");
    EXPECT_EQ(t.ui.Label9[4].caption(), "50000");
    // Bins past the array read as zero.
    t.c.analysis.Hist_Cnt[31005] = 3;
    t.c.analysis.HistDisp(31400, " （ゲーム）", 0.0f, rgb::Black);
    ASSERT_EQ(t.c.analysis.chart.bins.size(), 31400u / 500 + 1);
    EXPECT_EQ(t.c.analysis.chart.bins.back(), 3);
}

TEST(Chart, FrameLines) {
    headless::RecordingSurface s;
    HistMemori(s, 630.0f, 220);
    const auto lines = linesOf(s);
    ASSERT_EQ(lines.size(), 12u);
    EXPECT_EQ(lines[0], "line 630.00 220.00 10630.00 220.00 407070");
    EXPECT_EQ(lines[1], "line 630.00 720.00 10630.00 720.00 707070");
    EXPECT_EQ(lines[5], "line 630.00 2720.00 10630.00 2720.00 407070");
    EXPECT_EQ(lines[10], "line 615.00 5235.00 10631.00 5235.00 0000FF");
    EXPECT_EQ(lines[11], "line 630.00 205.00 630.00 5220.00 0000FF");
}

// A record with a few of each bonus, loaded as the window does.
void playSome(Rig& r) {
    for (int round = 0; round < 3; ++round) {
        r.games(3, 10 + round * 7, 1);
        r.poll(code::BBStart);
        r.games(8 | 3, 3, 15);
        r.games(3, 5);
        r.poll(code::RBStart);
        r.games(4 | 1, 2, 15);
    }
    r.games(3, 4);
}

TEST(AnalysisView, ChartCommandSwitchesTheViewAndBackRebuilds) {
    Rig r;
    playSome(r);
    // What is shown: the scroll command, the end command, the y strip, the chart's count labels, its caption.
    auto shown = [&] {
        std::string out;
        for (bool v : {r.ui.menus("Migi").visible(), r.ui.menus("HistEnd").visible(), r.ui.Picture3.visible(),
                       r.ui.Picture9.visible(), r.ui.Label11.visible()})
            out += v ? '1' : '0';
        return out;
    };
    menuClick(r.c, "Kaiseki", 0);
    EXPECT_EQ(r.c.analysis.Kaiseki_On, 1);
    EXPECT_EQ(shown(), "01011");
    EXPECT_TRUE(r.ui.Frame1.visible());
    // Intervals 10, 5, 17, 5, 24, 5: within 30 games all six, of six bonuses.
    EXPECT_EQ(captionsOf(r.ui.Label16), " 6回|100.00％");
    r.c.analysis.Combo1_Click(9);  // "10"
    EXPECT_EQ(captionsOf(r.ui.Label16), " 4回|66.67％");
    menuClick(r.c, "BB_Hist1", 0);  // BB intervals, relative to the BB count
    EXPECT_EQ(r.ui.Label11.caption(), "ＢＢ間隔");
    EXPECT_EQ(captionsOf(r.ui.Label16), " 1回|33.33％");
    menuClick(r.c, "RB_Hist1", 1);
    EXPECT_EQ(r.c.analysis.Kaiseki_On, 8);
    EXPECT_FALSE(r.ui.Frame1.visible());

    r.games(3, 3, 2);  // played while the chart shows

    menuClick(r.c, "HistEnd");
    EXPECT_EQ(r.c.analysis.Kaiseki_On, 0);
    EXPECT_EQ(shown(), "10100");
    // The slump graph now holds every completed game, those played meanwhile too.
    std::int32_t in = 0;
    for (int i = 0; i < r.c.rec.games() - 1; ++i) in += medalsIn(r.c.rec.game(i));
    EXPECT_EQ(r.c.graph.Ghp_In, in);
}

TEST(AnalysisView, ResizeRedrawsTheChartWithNewGames) {
    Rig r;
    playSome(r);
    menuClick(r.c, "Kaiseki", 4);
    const auto before = r.c.analysis.chart.bins;
    const auto drawn = r.ui.Picture2s.ops;
    r.poll(code::BBStart);
    r.games(8 | 3, 4, 15);
    r.games(3, 2);
    EXPECT_EQ(r.c.analysis.chart.bins, before);  // a snapshot
    EXPECT_EQ(r.ui.Picture2s.ops, drawn);        // with no bonus figure written over it
    r.ui.form.clientW = 13000;
    Form_Resize(r.c);
    EXPECT_EQ(r.ui.Picture2.width(), 13000 - 1560);
    EXPECT_EQ(r.c.analysis.chart.bins[4], 1);  // the new 4-game BB
}

TEST(Koyaku, ExamplesOfTheTable) {
    Rig r;
    auto load = [&](const Bytes& bytes) {
        r.load(bytes);
        menuClick(r.c, "Kaiseki", 10);
    };
    const std::string none = "|||||||||||||||";
    load({0x30});
    EXPECT_TRUE(r.ui.koyakuForm.visible());
    EXPECT_EQ(captionsOf(r.ui.Text2), none);
    // The 15 is left out: a bonus follows it.
    load({0x30, 0x32, 0x30, 0x3F, 0xB0, 0x30});
    EXPECT_EQ(captionsOf(r.ui.Text2), "66.67 ％||33.33 ％|||||||||||||");
    // The newest game is never counted.
    load({0x30, 0xBF, 0xBF, 0xB2, 0x30, 0x31});
    EXPECT_EQ(captionsOf(r.ui.Text4), "|||||||||||||||100.00 ％");
    EXPECT_EQ(captionsOf(r.ui.Text2), "100.00 ％|||||||||||||||");
    // RB games and state-11 games are in neither column.
    load({0x7F, 0x7F, 0xCF, 0xCF, 0xCF, 0x30});
    EXPECT_EQ(captionsOf(r.ui.Text2), none);
    EXPECT_EQ(captionsOf(r.ui.Text4), none);
    EXPECT_EQ(r.c.analysis.Kaiseki_On, 0);  // not an analysis view
    // The graph reset hides the window.
    menuClick(r.c, "Ghp_Cls");
    EXPECT_FALSE(r.ui.koyakuForm.visible());
}

}  // namespace
}  // namespace tobrak::test
