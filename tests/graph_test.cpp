#include <gtest/gtest.h>

#include <random>

#include "app/filedisp.h"
#include "app/menu.h"
#include "app/views.h"
#include "graph/slump_graph.h"
#include "rig.h"

namespace tobrak::test {
namespace {

using headless::RecordingSurface;
using Strings = std::vector<std::string>;

// A rig whose record holds `bytes`, replayed on a fresh graph.
struct Replay : Rig {
    explicit Replay(const Bytes& bytes) {
        load(bytes);
        redraw();
    }
    void redraw() {
        ui.Picture2s.ops.clear();
        c.graph.GhpLineInit();
        c.graph.GhpDispAll();
    }
    Strings lines() const { return linesOf(ui.Picture2s); }
    std::vector<Text> texts() const { return textsOf(ui.Picture2s); }
};

TEST(Grid, EightThousandLinesWithFrameAndColours) {
    RecordingSurface s;
    MemoriGhp(s, 90000, 1.0f, 630.0f, 220, 0, 0);
    const auto lines = linesOf(s);
    ASSERT_EQ(lines.size(), kGridLines);
    EXPECT_EQ(s.ops.front(), "width 1");
    EXPECT_EQ(lines[0], "line 1630.00 220.00 1630.00 5220.00 707070");
    EXPECT_EQ(lines[4], "line 5630.00 220.00 5630.00 5220.00 0000FF");  // every fifth is blue
    EXPECT_EQ(lines[88], "line 89630.00 220.00 89630.00 5220.00 707070");
    EXPECT_EQ(lines[89], "line 1130.00 245.00 1130.00 295.00 707070");               // first dash
    EXPECT_EQ(lines[89 + 4500 + 2], "line 630.00 2720.00 90630.00 2720.00 0000FF");  // the zero line
    EXPECT_EQ(lines[8193], "line 90555.00 4220.00 90605.00 4220.00 707070");         // last dash
    EXPECT_EQ(Strings(lines.end() - 4, lines.end()),
              (Strings{"line 615.00 220.00 90631.00 220.00 0000FF", "line 615.00 5235.00 90631.00 5235.00 0000FF",
                       "line 630.00 205.00 630.00 5220.00 0000FF", "line 90631.00 219.00 90631.00 5221.00 0000FF"}));
    EXPECT_EQ(s.ops[s.ops.size() - 6], "width 2");
    EXPECT_EQ(s.ops.back(), "width 1");

    // Scaled and offset for the zoom window: u = 1000 lies 1000 medals left of
    // the view's origin, x = 60 + 5 x (1000 - 2000).
    RecordingSurface z;
    MemoriGhp(z, 90000, 5.0f, 60.0f, 60, 2000, 1000);
    const auto zoomed = linesOf(z);
    ASSERT_EQ(zoomed.size(), kGridLines);
    EXPECT_EQ(zoomed[0], "line -4940.00 -4940.00 -4940.00 20060.00 707070");
    EXPECT_EQ(zoomed[8194], "line -9955.00 -4940.00 440061.00 -4940.00 0000FF");
}

TEST(Labels, XAxisWithAndWithoutScrollAndTheYStrip) {
    RecordingSurface s;
    MemoriChr(s, 90000, 0, 1.0f, 630.0f, 220);
    EXPECT_EQ(s.ops[0], "font 8.00 000000");
    EXPECT_EQ(s.ops[1], "font 8.00 FFFFFF");
    auto texts = textsOf(s);
    ASSERT_EQ(texts.size(), 2u + 180u);
    EXPECT_EQ(std::vector<Text>(texts.begin(), texts.begin() + 3),
              (std::vector<Text>{{550.0f, 30.0f, " 0 "}, {550.0f, 5295.0f, " 0 "}, {1390.0f, 30.0f, " 1000 "}}));
    EXPECT_EQ(texts.back(), (Text{90390.0f, 5295.0f, " 90000 "}));

    RecordingSurface scrolled;
    MemoriChr(scrolled, 90000, -3000, 1.0f, 630.0f, 220);
    texts = textsOf(scrolled);
    ASSERT_EQ(texts.size(), 180u);  // no "0" labels
    EXPECT_EQ(texts[0], (Text{-1610.0f, 30.0f, " 1000 "}));

    Rig r;  // the y strip is drawn at start-up
    EXPECT_EQ(textsOf(r.ui.Picture3s), (std::vector<Text>{{420.0f, 2530.0f, " 0 "},
                                                          {105.0f, 530.0f, "+2000"},
                                                          {105.0f, 1530.0f, "+1000"},
                                                          {105.0f, 3530.0f, "-1000"},
                                                          {105.0f, 4530.0f, "-2000"}}));
}

TEST(LineStep, OnePointPerFifteenMedalsAndReplayGamesOnlyCount) {
    // Four 3-medal games, then a replay game: 12 medals, no point yet.
    EXPECT_TRUE(Replay({0x30, 0x30, 0x30, 0x30, 0x05}).lines().empty());
    // The fifth 3-medal game reaches 15: one segment from the origin.
    EXPECT_EQ(Replay({0x30, 0x30, 0x30, 0x30, 0x05, 0x30}).lines(),
              (Strings{"line 630.00 2720.00 645.00 2730.00 FFFFFF"}));
    // A replay game still closes a BB: the interval and the gain are written though no segment is drawn.
    Replay p({0x30, 0x80, 0x05});
    EXPECT_TRUE(p.lines().empty());
    EXPECT_EQ(p.texts(), (std::vector<Text>{{630.0f, 2720.0f, " 1 "}, {300.0f, 2570.0f, " 0 "}}));
}

// One game of byte `b` from a state just short of the band edge, so that it decides the wrap.
Strings stepNearTheEdge(Rig& r, std::int32_t in, std::int32_t out, std::uint8_t b) {
    SlumpGraph& g = r.c.graph;
    r.c.graph.GhpLineInit();
    g.Ghp_In = in;
    g.Ghp_Out = out;
    g.Ghp_LastX = 630.0f + in - 15;
    g.Ghp_LastY = 2720.0f + (in - out) - 15;
    r.ui.Picture2s.ops.clear();
    r.c.graph.Ghp1Disp(b);
    return linesOf(r.ui.Picture2s);
}

TEST(Wrap, TwentyFiveHundredStaysInTheBandOneMoreWrapsThroughTheCrossing) {
    Rig r;
    // D = 3000 - 500 = 2500.
    EXPECT_EQ(stepNearTheEdge(r, 2997, 500, 0x30), (Strings{"line 3612.00 5202.00 3630.00 5220.00 FFFFFF"}));
    // D = 2501: from (3612, 5203) towards (3630, 5221) the edge y 5220 is met at x 3629.
    EXPECT_EQ(stepNearTheEdge(r, 2997, 499, 0x30),
              (Strings{"line 3612.00 5203.00 3629.00 5220.00 FFFFFF", "line 3629.00 2720.00 3630.00 2721.00 FFFFFF"}));

    // The top: in 3, out 15 gives D = 3000 - 5512 = -2512, out of the band.
    const Strings lines = stepNearTheEdge(r, 2997, 5497, 0x3F);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_NE(lines[0].find(" 220.00 FFFFFF"), std::string::npos) << lines[0];
    EXPECT_EQ(lines[1].substr(lines[1].size() - 22), "3630.00 2708.00 FFFFFF");
    // D = 3000 - 5500 = -2500: no wrap.
    EXPECT_EQ(stepNearTheEdge(r, 2997, 5485, 0x3F).size(), 1u);
}

TEST(Colours, ChangeOneSegmentLate) {
    // Normal games to the first point, a BB of five 3-medal games, then normal games:
    // the first segment after the BB is still red.
    Replay p(runs({{0x30, 5}, {0xB0, 5}, {0x30, 10}}));
    EXPECT_EQ(coloursOf(p.lines()), (Strings{"FFFFFF", "FF0000", "FF0000", "FFFFFF"}));
}

TEST(Colours, BBThenRBIsBlackAndBothGainsAtTheSamePlace) {
    Replay p(runs({{0x30, 5}, {0xBF, 5}, {0x7F, 5}, {0x30, 1}}));  // BB, then RB right after, +12 each
    const Strings colours = coloursOf(p.lines());
    ASSERT_GE(colours.size(), 3u);
    EXPECT_EQ(colours[1], "FF0000");
    EXPECT_EQ(colours[2], "000000");
    const auto texts = p.texts();
    ASSERT_EQ(texts.size(), 4u);      // two intervals, two gains
    EXPECT_EQ(texts[1].text, " 0 ");  // no normal game between the BB and the RB
    EXPECT_EQ(texts[2], (Text{texts[3].x, texts[3].y, " 60 "}));
    EXPECT_EQ(texts[3].text, " 60 ");
}

TEST(Annotations, OnlyWhileReplayingAndAsTheOptionsSay) {
    Rig r;
    r.ui.Picture2s.ops.clear();
    // Fed live, without a bonus start code: no annotation from the graph itself.
    for (std::uint8_t b : {0x30, 0x30, 0xB0, 0xB0, 0x30}) r.c.graph.Ghp1Disp(b);
    EXPECT_TRUE(textsOf(r.ui.Picture2s).empty());

    auto textsOfReplay = [](const Replay& p) {
        Strings out;
        for (const Text& t : p.texts()) out.push_back(t.text);
        return out;
    };
    Replay p({0x30, 0x30, 0xBF, 0x30, 0x7F, 0x30});
    EXPECT_EQ(textsOfReplay(p), (Strings{" 2 ", " 12 ", " 1 ", " 12 "}));
    p.c.mark = Markers{false, true, true, false};  // RB interval and BB gain only
    p.redraw();
    EXPECT_EQ(textsOfReplay(p), (Strings{" 12 ", " 1 "}));
}

TEST(Redraw, OptionsOffAndOnAgainRedrawIdentically) {
    Replay r({0x30, 0x30, 0xBF, 0xBF, 0x30, 0x7F, 0x7F, 0x30, 0x30, 0x30});
    r.ui.Picture2s.ops.clear();
    r.c.graph.GhpStandardRedraw();
    const auto before = r.ui.Picture2s.ops;
    for (int i : {0, 2, 4}) {
        GhpHyo_Click(r.c, i);
        r.ui.Picture2s.ops.clear();
        GhpHyo_Click(r.c, i);
        auto after = r.ui.Picture2s.ops;
        // The option command also sets the line width on both surfaces.
        const auto dot =
            std::find_if(after.begin(), after.end(), [](const std::string& op) { return op.rfind("pset", 0) == 0; });
        ASSERT_NE(dot, after.end());
        ASSERT_EQ(*(dot + 1), "width 1");
        after.erase(dot + 1);
        EXPECT_EQ(after, before) << "option " << i;
    }
    // Each toggle rebuilds the graph once and the counters without counting twice; a separator does nothing.
    r.ui.Picture2s.ops.clear();
    GhpHyo_Click(r.c, 0);
    GhpHyo_Click(r.c, 1);
    EXPECT_EQ(countOps(r.ui.Picture2s, "cls"), 1);
    EXPECT_FALSE(r.c.mark.Mark_BBs || r.c.mark.Mark_RBs);
    EXPECT_EQ(r.c.cnt.Tot_Out, 4 * 15);
}

TEST(Redraw, EmptyRecordAndScrolledOrigin) {
    Rig r;
    r.ui.Picture2s.ops.clear();
    r.c.graph.Ghp_Scroll = -2000;
    r.c.graph.GhpStandardRedraw();
    const auto& ops = r.ui.Picture2s.ops;
    EXPECT_EQ(ops.front(), "cls");
    EXPECT_EQ(ops.back(), "pset 630.00 2720.00 FFFFFF");  // the origin dot does not scroll
    // Scrolled back 2000 medals: the grid moves left with the line.
    ASSERT_EQ(linesOf(r.ui.Picture2s).size(), kGridLines);
    EXPECT_EQ(linesOf(r.ui.Picture2s)[0], "line -370.00 220.00 -370.00 5220.00 707070");
}

// A rebuild while a game is still open leaves that game to the live step, which
// then draws it once.
TEST(Redraw, RebuildDuringLivePlayDoesNotCountTheOpenGameTwice) {
    Rig r;
    const auto drawn = [&] { return std::pair(r.c.graph.Ghp_In, r.c.graph.Ghp_Out); };
    r.games(3, 10, 1);
    EXPECT_EQ(drawn(), std::pair(27, 9));  // nine completed games
    r.ui.form.clientW = 14000;
    Form_Resize(r.c);  // a resize replays the record
    EXPECT_EQ(drawn(), std::pair(27, 9));
    r.game(3);
    EXPECT_EQ(drawn(), std::pair(30, 10));
    menuClick(r.c, "GhpHyo", 2);
    EXPECT_EQ(drawn(), std::pair(30, 10));
}

// Where a line stands after a replay: what the next game and the next redraw go on from.
auto lineState(const SlumpGraphState& g) {
    return std::tuple(g.Ghp_In, g.Ghp_Out, g.Ghp_PlotNo, g.Ghp_IntvCnt, g.Ghp_LastX, g.Ghp_LastY, g.Ghp_Band,
                      g.Ghp_Color, g.Ghp_BB_On, g.Ghp_RB_On, g.G_In, g.G_Ot);
}

// A long replay takes the games that only count in a loop of its own: it must
// leave the line, the marks and the state exactly as one game at a time does.
Bytes mixedGames() {
    std::mt19937 rng(11);
    auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); };
    Bytes bytes;
    while (bytes.size() < 20000) {
        const int kind = pick(60);
        // Runs of bonus games (BB 0x80, RB 0x40), now and then one kind into the other.
        const int run = kind == 0 ? 25 + pick(6) : kind == 1 ? 8 + pick(5) : 1;
        for (int k = 0; k < run; ++k) {
            const std::uint8_t state = kind == 0 ? (pick(8) ? 0x80 : 0x40) : kind == 1 ? 0x40 : 0x00;
            const std::uint8_t in = static_cast<std::uint8_t>((pick(7) ? 3 : pick(4)) << 4);
            const std::uint8_t out = static_cast<std::uint8_t>(state ? 8 + pick(8) : pick(3) ? 0 : pick(16));
            bytes.push_back(state | in | out);
        }
    }
    return bytes;
}

TEST(Redraw, WholeReplayEqualsOneGameAtATime) {
    const Bytes bytes = mixedGames();
    Replay whole(bytes);
    Rig one;
    one.ui.Picture2s.ops.clear();
    one.c.graph.GhpLineInit();
    one.c.graph.Ghp_Redraw = true;
    for (auto b : bytes) one.c.graph.Ghp1Disp(b);
    one.c.graph.Ghp_Redraw = false;

    EXPECT_EQ(whole.ui.Picture2s.ops, one.ui.Picture2s.ops);
    EXPECT_GT(whole.lines().size(), 1000u);
    EXPECT_GT(whole.texts().size(), 100u);
    EXPECT_EQ(lineState(whole.c.graph), lineState(one.c.graph));
}

// A surface showing part of the axis gets from a replay what it can show, from
// the memo or not, and the line ends in the state a whole replay leaves.
TEST(Redraw, PartOfTheAxisFromTheMemo) {
    PlayRecord rec = recordOf(mixedGames());
    Markers mark;
    SlumpGraph whole(rec, mark), part(rec, mark);
    whole.recordReplaced();
    part.recordReplaced();
    RecordingSurface all, window;
    window.showOnlyBetween(0.0f, 10545.0f);
    whole.Picture2 = &all;
    part.Picture2 = &window;
    auto seen = [](const RecordingSurface& s) {
        std::vector<std::string> out;
        for (const std::string& op : s.ops) {
            float x1 = 0, x2 = 0;
            if (std::sscanf(op.c_str(), "line %f %*f %f", &x1, &x2) == 2 && !(x1 < 0 && x2 < 0) &&
                !(x1 > 10545 && x2 > 10545))
                out.push_back(op);
            if (std::sscanf(op.c_str(), "text %f", &x1) == 1 && x1 > -900 && x1 < 10545) out.push_back(op);
        }
        return out;
    };
    for (std::int32_t scroll : {0, -30000, -52000, -12000, 0}) {
        for (SlumpGraph* g : {&whole, &part}) {
            g->Ghp_Scroll = scroll;
            g->GhpLineInit();
        }
        all.ops.clear();
        window.ops.clear();
        whole.GhpDispAll();
        part.GhpDispAll();
        EXPECT_EQ(seen(window), seen(all)) << scroll;
        EXPECT_LT(window.ops.size(), all.ops.size() / 2) << scroll;
        EXPECT_EQ(lineState(part), lineState(whole)) << scroll;
    }
}

}  // namespace
}  // namespace tobrak::test
