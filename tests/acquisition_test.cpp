#include <gtest/gtest.h>

#include "boards/sim_board.h"
#include "rig.h"
#include "stats/panel.h"
#include "stats/stats_engine.h"

namespace tobrak::test {
namespace {

// The bonus flags and the blink timer that are on, e.g. "BBGame DaiBB Timer8".
std::string flags(Rig& r) {
    std::string out;
    for (auto [on, name] : {std::pair{r.c.acq.BBGame_On, "BBGame"},
                            {r.c.acq.RBGame_On, "RBGame"},
                            {r.c.acq.DaiBB_On, "DaiBB"},
                            {r.c.acq.DaiRB_On, "DaiRB"},
                            {r.ui.Timer8.enabled(), "Timer8"}})
        if (on) out += (out.empty() ? "" : " ") + std::string(name);
    return out;
}

// Medals in and out fed to the main graph and to the zoom line.
std::string fed(const Program& c) {
    const auto& g = c.graph;
    const auto& z = c.zoom;
    return std::to_string(g.Ghp_In) + "/" + std::to_string(g.Ghp_Out) + " " + std::to_string(z.Zoom_In) + "/" +
           std::to_string(z.Zoom_Out);
}

TEST(Poll, NothingNewThenAGameCodeWithTheBBLamp) {
    Rig r;
    r.idlePoll();
    EXPECT_EQ(r.c.rec.Dat_Len, 48);
    EXPECT_EQ(r.ui.Label1.backColor(), rgb::Green);
    r.poll(0x0B);
    EXPECT_EQ(r.c.rec.Dat_Len, 49);
    EXPECT_EQ(r.c.rec.Dat_Buf[48], 0xB0);
    EXPECT_EQ(flags(r), "BBGame");
    EXPECT_COUNTERS(r.c.cnt, "BB_GameCnt=1 BB_Gain=-3");
    EXPECT_EQ(r.ui.Label12.caption(), " III");
}

TEST(Poll, UnknownCodesAreIgnored) {
    Rig r;
    r.game(3);
    r.poll(code::Payout);
    EXPECT_EQ(r.c.rec.Dat_Buf[48], 0x31);
    const Counters before = r.c.cnt;
    for (int code : {17, 18, 19, 22, 23, 26, 27, 31}) r.poll(static_cast<std::uint8_t>(code));
    EXPECT_EQ(countersOf(r.c.cnt), countersOf(before));
    EXPECT_EQ(r.c.rec.Dat_Len, 49);
    EXPECT_EQ(r.ui.Label12.caption(), " III･");
}

TEST(Poll, BoardLostAndFoundAgainChangesCaptionOnlyOnTransitions) {
    Rig r;
    r.failedPoll();  // missing from the start: design caption stays
    EXPECT_EQ(r.ui.Label1.backColor(), rgb::Yellow);
    r.idlePoll();
    EXPECT_EQ(r.ui.Label1.caption(), " 　ゲームＯＫ");
    r.ui.Label1.setCaption("x");  // a steady state does not rewrite the caption
    r.idlePoll();
    EXPECT_EQ(r.ui.Label1.caption(), "x");
    r.failedPoll();
    EXPECT_EQ(r.ui.Label1.caption(), " 　ゲーム不可");
    EXPECT_EQ(r.c.rec.Dat_Len, 48);
}

TEST(Game1Set, PayoutIsDrawnWhenTheNextGameStarts) {
    Rig r;
    r.game(3);
    EXPECT_EQ(fed(r.c), "0/0 0/0");  // the first game of an empty record draws nothing
    r.pulses(8);
    r.game(2);
    EXPECT_EQ(r.c.rec.Dat_Buf[48], 0x38);
    EXPECT_COUNTERS(r.c.cnt, "Tot_In=5 Tot_Out=8 Nor_Out=8");
    EXPECT_EQ(fed(r.c), "3/8 3/8");  // the open game is not fed yet; the hidden zoom window is
    EXPECT_EQ(r.c.rec.Ghp_Pos, 50);
    EXPECT_EQ(r.ui.Label12.caption(), " II");
    // The analysis view skips the main graph but not the zoom.
    r.c.analysis.Kaiseki_On = 3;
    r.game(3);
    EXPECT_EQ(fed(r.c), "3/8 5/8");
    EXPECT_EQ(r.c.rec.Ghp_Pos, 51);
}

TEST(Out1Add, NibbleStopsAtFifteenAndAPulseBeforeAnyGameOnlyMarksTheMonitor) {
    Rig r;
    r.pulses(1);
    EXPECT_EQ(r.c.cnt.Tot_Out, 0);
    EXPECT_EQ(r.c.rec.Dat_Buf[47] | r.c.rec.Dat_Buf[48], 0);
    EXPECT_EQ(r.ui.Label12.caption(), " ･");
    r.game(3);
    r.pulses(16);
    EXPECT_EQ(r.c.rec.Dat_Buf[48], 0x3F);
    EXPECT_EQ(r.c.cnt.Tot_Out, 15);
    EXPECT_EQ(r.ui.Label12.caption().size(), 4 + 16 * std::string("･").size());
}

TEST(BonusCodes, BBRunFromStartToClose) {
    Rig r;
    r.games(3, 5);
    r.ui.Picture2s.ops.clear();
    r.poll(code::BBStart);
    EXPECT_COUNTERS(r.c.cnt, "BB_Cnt=1 BB_IntvMin=5 Bonus_IntvCnt=0 Bonus_Intv=5");
    EXPECT_EQ(flags(r), "DaiBB Timer8");
    EXPECT_EQ(r.ui.Label12.caption(), " IIIBo");
    // The interval is written at the end of the line on both graphs.
    EXPECT_EQ(textsOf(r.ui.Picture2s).at(0).text + textsOf(r.ui.Zoom).at(0).text, " 5  5 ");
    r.games(8 | 3, 3, 15);
    r.poll(code::BBEnd);
    EXPECT_EQ(r.ui.Label12.caption().substr(r.ui.Label12.caption().size() - 2), "Bx");
    EXPECT_EQ(flags(r), "BBGame DaiBB Timer8");  // the end code closes nothing
    r.game(3);
    EXPECT_EQ(flags(r), "Timer8");
    EXPECT_COUNTERS(r.c.cnt, "BB_EndCnt=1 BB_GainSum=36 BB_GameSum=3");
    ASSERT_EQ(textsOf(r.ui.Picture2s).size(), 2u);
    EXPECT_EQ(textsOf(r.ui.Picture2s)[1].text, " 36 ");
    EXPECT_TRUE(r.tick());  // the next tick stops the blink
    EXPECT_EQ(flags(r), "");
    EXPECT_FALSE(r.ui.Label14.visible());
}

TEST(BonusCodes, StartCodeWhileItsGamesRunIsIgnoredEntirely) {
    Rig r;
    r.game(8 | 3);
    const std::string line = r.ui.Label12.caption();
    r.poll(code::BBStart);
    r.poll(code::RBEnd);  // no RB running: nothing
    EXPECT_EQ(r.c.cnt.BB_Cnt, 0);
    EXPECT_EQ(r.ui.Label12.caption(), line);
    EXPECT_EQ(flags(r), "BBGame");
}

TEST(BonusCodes, MarkersFollowTheOptionsAndThePenAnchors) {
    Rig r;
    // Too few medals for a plotted point, so the pen stays where it is put.
    SlumpGraph& g = r.c.graph;
    g.Ghp_Scroll = -1000;
    g.Ghp_LastX = 2000.0f;
    g.Ghp_LastY = 2500.0f;
    ZoomView& z = r.c.zoom;
    z.Zoom_Scl = 5.0f;
    z.Zoom_LastX = 9000.0f;
    z.Zoom_LastY = 7000.0f;
    z.Ox = 100;
    z.Oy = 50;
    z.Zoom_Next = 1000;
    r.ui.Picture2s.ops.clear();
    r.ui.Zoom.ops.clear();
    r.games(3, 2);
    r.poll(code::RBStart);
    r.games(4 | 1, 2, 15);
    r.game(3);
    EXPECT_EQ(textsOf(r.ui.Picture2s), (std::vector<Text>{{1000.0f, 2500.0f, " 2 "}, {670.0f, 2350.0f, " 28 "}}));
    // x5 - 1000 scrolled + 9000 - Ox; the gain 400 left and 200 up, scaled 400 and 200.
    EXPECT_EQ(textsOf(r.ui.Zoom), (std::vector<Text>{{3900.0f, 6950.0f, " 2 "}, {3500.0f, 6750.0f, " 28 "}}));

    // With the options off nothing is written, but the bonus still counts.
    r.c.mark = Markers{false, false, false, false};
    r.poll(code::RBStart);
    r.game(4 | 1);
    r.game(3);
    EXPECT_EQ(textsOf(r.ui.Picture2s).size(), 2u);
    EXPECT_COUNTERS(r.c.cnt, "RB_Cnt=2 RB_EndCnt=2");
}

// A bonus of one kind right after games of the other kind: both stay open and
// the next normal game closes the BB, then the RB, as the rebuild does.
TEST(BonusCodes, RBDirectlyFollowedByBBClosesBothAtTheNextNormalGame) {
    Rig r;
    r.games(3, 4);
    r.poll(code::RBStart);
    r.games(4 | 1, 2, 15);
    r.poll(code::RBEnd);
    r.poll(code::BBStart);
    EXPECT_EQ(r.c.cnt.BB_Cnt, 1);
    r.games(8 | 3, 2, 15);
    EXPECT_TRUE(r.c.acq.RBGame_On && r.c.acq.BBGame_On);
    r.game(3);
    EXPECT_COUNTERS(r.c.cnt, "RB_EndCnt=1 BB_EndCnt=1 RB_GainSum=28 BB_GainSum=24 RB_GameSum=2 BB_GameSum=2");
    EXPECT_EQ(flags(r), "Timer8");
    // The BB gain is written before the RB gain.
    const auto main = textsOf(r.ui.Picture2s);
    ASSERT_GE(main.size(), 4u);
    EXPECT_EQ(main[main.size() - 2].text, " 24 ");
    EXPECT_EQ(main[main.size() - 1].text, " 28 ");
    r.tick();
    EXPECT_FALSE(r.ui.Timer8.enabled());
}

TEST(Blink, IndicatorLabelsAlternateAndStop) {
    Rig r;
    r.game(3);
    r.poll(code::BBStart);
    r.game(8 | 3);
    r.pulses(15);
    r.tick();
    EXPECT_TRUE(r.ui.Label14.visible());
    EXPECT_TRUE(r.ui.Label15.visible());
    EXPECT_EQ(r.ui.Label14.caption(), "12 ");
    EXPECT_EQ(r.ui.Label14.foreColor(), rgb::Red);
    EXPECT_EQ(r.ui.Label2[2].backColor(), rgb::Red);
    EXPECT_EQ(r.ui.Label2[4].backColor(), rgb::Cyan);
    r.tick();
    EXPECT_EQ(r.ui.Label14.foreColor(), rgb::Yellow);
    EXPECT_EQ(r.ui.Label15.foreColor(), rgb::Yellow);
    EXPECT_EQ(r.ui.Label2[2].backColor(), rgb::Cyan);
    // On the BB page the count label is row 0.
    r.c.panel.menPage_Click();
    r.tick();
    EXPECT_EQ(r.ui.Label2[0].backColor(), rgb::Red);
    // The analysis view hides the gain but the panel keeps blinking.
    r.c.analysis.Kaiseki_On = 1;
    r.tick();
    EXPECT_FALSE(r.ui.Label14.visible());
    EXPECT_EQ(r.ui.Label2[0].backColor(), rgb::Cyan);
    r.c.analysis.Kaiseki_On = 0;
    r.c.panel.MenuPage = 0;
    r.game(3);
    r.tick();
    EXPECT_FALSE(r.ui.Timer8.enabled());
    for (int i : {0, 2, 4}) EXPECT_EQ(r.ui.Label2[i].backColor(), rgb::Cyan);
    EXPECT_FALSE(r.ui.Label14.visible());
}

TEST(Blink, RBGainBlinksBetweenBlackAndYellowWithNegativeText) {
    Rig r;
    r.poll(code::RBStart);
    r.game(4 | 3);
    r.tick();
    EXPECT_EQ(r.ui.Label14.caption(), "-3 ");
    EXPECT_EQ(r.ui.Label14.foreColor(), rgb::Yellow);  // black at first, so yellow
    r.tick();
    EXPECT_EQ(r.ui.Label14.foreColor(), rgb::Black);
    EXPECT_EQ(r.ui.Label2[4].backColor(), rgb::Cyan);  // second tick of the blink
}

TEST(FullRecord, The31002ndGameIsRefusedWithOneBoxEachAndNoPollWhileItIsOpen) {
    Rig r;
    for (int i = 0; i < 31001; ++i) r.game(3);
    EXPECT_EQ(r.c.rec.Dat_Len, 31049);
    EXPECT_EQ(r.c.rec.Dat_Buf[31048], 0x30);
    EXPECT_EQ(r.c.rec.Dat_Buf[31049], 0);
    EXPECT_TRUE(r.ui.dialogs.shown.empty());
    const Counters before = r.c.cnt;
    int nested = 0;
    r.ui.dialogs.whileOpen = [&] {
        // The timer keeps firing while the modal box is open.
        r.board.pushCode(3);
        r.ui.Timer2.fire();
        ++nested;
    };
    const int pollsBefore = r.board.polls;
    r.game(3);
    ASSERT_EQ(r.ui.dialogs.shown.size(), 1u);  // no stacked box
    const auto& box = r.ui.dialogs.shown[0];
    EXPECT_EQ(box.text, "これ以上データの記録と表示ができません。\n保存かクリアして下さい！");
    EXPECT_EQ(box.icon, MsgIcon::Exclamation);
    EXPECT_EQ(nested, 1);
    EXPECT_EQ(r.board.polls, pollsBefore + 1);  // the nested tick did not poll the board
    // The byte left in the board is read by the next poll once the box is closed.
    r.ui.dialogs.whileOpen = nullptr;
    r.c.acq.Timer2_Timer();
    EXPECT_EQ(r.ui.dialogs.shown.size(), 2u);
    r.pulses(3);  // dropped silently
    EXPECT_EQ(r.ui.dialogs.shown.size(), 2u);
    EXPECT_EQ(r.c.rec.Dat_Len, 31049);
    EXPECT_EQ(countersOf(r.c.cnt, "Game_Cnt Tot_Out"), countersOf(before, "Game_Cnt Tot_Out"));
}

// The live path and the rebuild agree on a long simulated play that ends with
// a normal game.
TEST(LiveAgainstRebuild, SimulatedPlayGivesTheSameCounters) {
    SimBoard sim({.seed = 7, .speed = 50.0});
    headless::HeadlessApp app(&sim);
    Program& c = app.program;
    app.ui.Picture2s.logging = false;
    while (c.rec.games() < 4000 || bonusState(c.rec.Dat_Buf[c.rec.Dat_Len - 1]) != BonusState::Normal ||
           c.acq.Usb_Dat != 3)
        app.run(80);
    ASSERT_GT(c.cnt.BB_Cnt, 5);
    ASSERT_GT(c.cnt.RB_Cnt, 3);
    const Counters live = c.cnt;
    ChrClrInit(c);
    ChrDispAll(c);
    EXPECT_EQ(countersOf(live), countersOf(c.cnt));
    // Every completed game was fed to both graphs once.
    std::int32_t in = 0, out = 0;
    for (int i = 0; i < c.rec.games() - 1; ++i) {
        in += medalsIn(c.rec.game(i));
        out += medalsOut(c.rec.game(i));
    }
    const std::string io = std::to_string(in) + "/" + std::to_string(out);
    EXPECT_EQ(fed(c), io + " " + io);
}

}  // namespace
}  // namespace tobrak::test
