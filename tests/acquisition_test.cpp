// What the main window shows while the session records: the board's status, the
// blink and gain of a running bonus, the データＦＵＬＬ box, the line and the
// markers on both graphs. How codes become games is the session's own test.
#include <gtest/gtest.h>

#include "app/menu.h"
#include "app/views.h"
#include "boards/sim_board.h"
#include "poll_queue.h"
#include "rig.h"

namespace tobrak::test {
namespace {

struct Window {
    Window() { c.session.setBoard(&board); }
    // One 80 ms poll that finds `codes` (see PollQueue::push).
    void poll(const std::string& codes, bool reachable = true) {
        board.push(codes, reachable);
        c.Timer2_Timer();
    }
    bool tick() { return ui.Timer8.fire(); }
    PollQueue board;
    headless::HeadlessApp app{nullptr};
    Program& c = app.program;
    headless::HeadlessUi& ui = app.ui;
};

TEST(StatusView, BoardCaptionOnTransitionsOnlyAndTheMonitorLine) {
    Window w;
    const std::string design = w.ui.Label1.caption();
    w.poll("", false);  // missing from the start: the design caption stays
    EXPECT_EQ(w.ui.Label1.backColor(), rgb::Yellow);
    EXPECT_EQ(w.ui.Label1.caption(), design);
    w.poll("3 p1");
    EXPECT_EQ(w.ui.Label1.caption(), " 　ゲームＯＫ");
    EXPECT_EQ(w.ui.Label1.backColor(), rgb::Green);
    EXPECT_EQ(w.ui.Label12.caption(), " III･");
    w.ui.Label1.setCaption("x");  // a steady state does not write the caption again
    w.poll("");
    EXPECT_EQ(w.ui.Label1.caption(), "x");
    w.poll("", false);
    EXPECT_EQ(w.ui.Label1.caption(), " 　ゲーム不可");
    EXPECT_EQ(w.ui.Label1.backColor(), rgb::Yellow);
}

TEST(StatusView, TheBBsRowsAndGainBlinkUntilItEnds) {
    Window w;
    w.poll("3 25 11 p15");
    EXPECT_TRUE(w.tick());
    EXPECT_TRUE(w.ui.Label14.visible() && w.ui.Label15.visible());
    EXPECT_EQ(w.ui.Label14.caption(), "12 ");
    EXPECT_EQ(w.ui.Label14.foreColor(), rgb::Red);
    EXPECT_EQ(w.ui.Label2[2].backColor(), rgb::Red);
    EXPECT_EQ(w.ui.Label2[4].backColor(), rgb::Cyan);
    w.tick();
    EXPECT_EQ(w.ui.Label14.foreColor(), rgb::Yellow);
    EXPECT_EQ(w.ui.Label15.foreColor(), rgb::Yellow);
    EXPECT_EQ(w.ui.Label2[2].backColor(), rgb::Cyan);
    // On the BB page the count is row 0.
    menuClick(w.c, "menPage");
    w.tick();
    EXPECT_EQ(w.ui.Label2[0].backColor(), rgb::Red);
    // The analysis view hides the gain; the panel goes on blinking.
    menuClick(w.c, "Kaiseki", 0);
    w.tick();
    EXPECT_FALSE(w.ui.Label14.visible());
    EXPECT_EQ(w.ui.Label2[0].backColor(), rgb::Cyan);
    menuClick(w.c, "HistEnd");
    menuClick(w.c, "menPage");
    menuClick(w.c, "menPage");
    w.poll("24 3");  // the end code, then the normal game that ends the BB
    EXPECT_TRUE(w.ui.Timer8.enabled());
    w.tick();  // the next tick stops the blink
    EXPECT_FALSE(w.ui.Timer8.enabled());
    for (int i : {0, 2, 4}) EXPECT_EQ(w.ui.Label2[i].backColor(), rgb::Cyan);
    EXPECT_FALSE(w.ui.Label14.visible());
}

TEST(StatusView, AnRBsLossBlinksBetweenBlackAndYellow) {
    Window w;
    w.poll("21 7");
    w.tick();
    EXPECT_EQ(w.ui.Label14.caption(), "-3 ");
    EXPECT_EQ(w.ui.Label14.foreColor(), rgb::Yellow);  // black at first, so yellow
    EXPECT_EQ(w.ui.Label2[4].backColor(), rgb::Red);
    w.tick();
    EXPECT_EQ(w.ui.Label14.foreColor(), rgb::Black);
    EXPECT_EQ(w.ui.Label2[4].backColor(), rgb::Cyan);
}

// One box for each refused game; the poll timer that fires while the box is open
// reads nothing, and what the board had waits for the next poll.
TEST(DataFull, OneBoxEachRefusedGameAndNoPollWhileItIsOpen) {
    Window w;
    std::string games;
    for (int i = 0; i < 31001; ++i) games += "3 ";
    w.poll(games);
    EXPECT_TRUE(w.ui.dialogs.shown.empty());
    const Counters before = w.c.cnt;
    int nested = 0;
    w.ui.dialogs.whileOpen = [&] {
        w.board.push("3");
        nested += w.ui.Timer2.fire();
    };
    w.poll("3");
    ASSERT_EQ(w.ui.dialogs.shown.size(), 1u);  // no stacked box
    const auto& box = w.ui.dialogs.shown[0];
    EXPECT_EQ(box.text, "これ以上データの記録と表示ができません。\n保存かクリアして下さい！");
    EXPECT_EQ(box.title, "データＦＵＬＬ");
    EXPECT_EQ(box.icon, MsgIcon::Exclamation);
    EXPECT_EQ(nested, 1);
    EXPECT_EQ(w.board.polls, 2);
    EXPECT_EQ(w.board.pending(), 1u);
    w.ui.dialogs.whileOpen = nullptr;
    w.c.Timer2_Timer();
    EXPECT_EQ(w.ui.dialogs.shown.size(), 2u);
    w.poll("p3 3 3");  // payouts are dropped silently
    EXPECT_EQ(w.ui.dialogs.shown.size(), 4u);
    EXPECT_EQ(w.c.rec.games(), 31001);
    EXPECT_EQ(countersOf(w.c.cnt), countersOf(before));
}

// A game's line is drawn when the next game begins, with every payout it had.
TEST(Graphs, EachGameIsDrawnWhenTheNextBegins) {
    Window w;
    w.ui.Picture2s.ops.clear();
    for (int i = 0; i < 5; ++i) w.poll("3 p3");
    EXPECT_TRUE(linesOf(w.ui.Picture2s).empty());  // 12 medals in so far: no point yet
    w.poll("3");
    EXPECT_EQ(linesOf(w.ui.Picture2s), std::vector<std::string>{"line 630.00 2720.00 645.00 2720.00 FFFFFF"});
}

// The analysis view leaves the main graph alone but the zoom line is still fed.
TEST(Graphs, TheAnalysisViewSkipsTheMainGraphButNotTheZoom) {
    Window graph, chart;
    menuClick(chart.c, "Kaiseki", 0);
    for (Window* w : {&graph, &chart}) {
        w->ui.Picture2s.ops.clear();
        w->ui.Zoom.ops.clear();
        for (int i = 0; i < 12; ++i) w->poll("3 p2");
    }
    EXPECT_TRUE(chart.ui.Picture2s.ops.empty());
    EXPECT_FALSE(linesOf(graph.ui.Picture2s).empty());
    EXPECT_FALSE(chart.ui.Zoom.ops.empty());
    EXPECT_EQ(chart.ui.Zoom.ops, graph.ui.Zoom.ops);
}

// The interval is written when the start code comes, the gain when the bonus
// ends, on both graphs (where, is the graphs' test); each option switches its own.
TEST(Graphs, MarkersOnBothGraphsAsTheOptionsSay) {
    Window w;
    auto written = [&](const std::string& codes) {
        w.ui.Picture2s.ops.clear();
        w.ui.Zoom.ops.clear();
        w.poll(codes);
        std::string out;
        for (const Text& t : textsOf(w.ui.Picture2s)) out += t.text;
        for (const Text& t : textsOf(w.ui.Zoom)) out += "|" + t.text;
        return out;
    };
    // An RB straight into a BB: both gains at the next normal game, the BB's first.
    EXPECT_EQ(written("3 21 5 p15 20 25 11 p15 3"), " 1  0  12  14 | 1 | 0 | 12 | 14 ");
    w.c.mark = Markers{.Mark_BBs = false, .Mark_RBs = true, .Mark_BBe = true, .Mark_RBe = false};
    EXPECT_EQ(written("3 21 5 p15 3"), " 2 | 2 ");
    EXPECT_EQ(written("3 25 11 p15 3"), " 12 | 12 ");
    w.c.mark = Markers{.Mark_BBs = true, .Mark_RBs = false, .Mark_BBe = false, .Mark_RBe = true};
    EXPECT_EQ(written("3 21 5 p15 3"), " 14 | 14 ");
    EXPECT_EQ(written("3 25 11 p15 3"), " 2 | 2 ");
    EXPECT_COUNTERS(w.c.cnt, "RB_Cnt=3 BB_Cnt=3 RB_EndCnt=3 BB_EndCnt=3");  // markers or not, every bonus counts
}

// A long simulated play: the live counters and the live line are what a rebuild
// of the same record gives.
TEST(LiveAgainstRebuild, SimulatedPlayGivesTheSameCountersAndLine) {
    SimBoard sim({.seed = 7, .speed = 50.0});
    headless::HeadlessApp app(&sim);
    Program& c = app.program;
    // Stops right after a normal game began, before any start code.
    struct JustBegun final : SessionListener {
        bool now = false;
        void gameStarted(std::int32_t, const EventTime&) override { now = true; }
        void payout(std::int32_t, const EventTime&) override { now = false; }
        void bonusStarted(Bonus, std::int32_t, const EventTime&) override { now = false; }
    } begun;
    c.session.listen(begun);
    app.ui.Picture2s.ops.clear();
    while (c.rec.games() < 4000 || bonusState(c.rec.game(c.rec.games() - 1)) != BonusState::Normal || !begun.now)
        app.run(80);
    ASSERT_GT(c.cnt.BB_Cnt, 5);
    ASSERT_GT(c.cnt.RB_Cnt, 3);
    const Counters live = c.cnt;
    const auto liveLines = linesOf(app.ui.Picture2s);
    ChrClrInit(c);
    ChrDispAll(c);
    EXPECT_EQ(countersOf(live), countersOf(c.cnt));
    app.ui.Picture2s.ops.clear();
    c.graph.GhpStandardRedraw();
    const auto redrawn = linesOf(app.ui.Picture2s);
    ASSERT_GT(redrawn.size(), kGridLines + 500);
    EXPECT_TRUE(std::equal(liveLines.begin(), liveLines.end(), redrawn.begin() + kGridLines, redrawn.end()));
    c.session.forget(begun);
}

}  // namespace
}  // namespace tobrak::test
