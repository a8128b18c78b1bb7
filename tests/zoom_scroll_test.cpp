#include <gtest/gtest.h>

#include <array>

#include "app/filedisp.h"
#include "app/menu.h"
#include "graph/scroll.h"
#include "graph/slump_graph.h"
#include "graph/zoom.h"
#include "rig.h"

namespace tobrak::test {
namespace {

using Frame = std::array<int, 4>;  // left, top, width, height
Frame frameOf(const Rig& r) {
    return {r.ui.Image1.left(), r.ui.Image1.top(), r.ui.Image1.width(), r.ui.Image1.height()};
}

TEST(ZoomMenu, FrameSizeFollowsTheFactorAndKeepsItsCentre) {
    Rig r;
    EXPECT_FALSE(r.ui.Image1.visible());
    menuClick(r.c, "G_zoom", 2);
    // Right after start-up the frame stands at the origin, centred on the zero line.
    EXPECT_EQ(frameOf(r), (Frame{630, 2470, 500, 500}));
    EXPECT_TRUE(r.ui.Image1.visible() && r.ui.zoomForm.visible() && r.ui.menus("G_zoom", 2).checked());

    r.c.zoom.Sub_Sub1(3000, 2000);
    menuClick(r.c, "G_zoom", 1);
    EXPECT_EQ(frameOf(r), (Frame{2500, 1500, 1000, 1000}));
    menuClick(r.c, "G_zoom", 0);
    EXPECT_EQ(frameOf(r), (Frame{2167, 1167, 1667, 1667}));  // 5000 / 3 square
    // The offsets come from the frame's exact place (2166.67), not from the shown one.
    EXPECT_EQ(r.c.zoom.Ox, 4610);
    // The same factor again gives the same result.
    menuClick(r.c, "G_zoom", 0);
    EXPECT_EQ(frameOf(r), (Frame{2167, 1167, 1667, 1667}));
    // Near the bottom the new size is clamped instead.
    r.c.zoom.Sub_Sub1(3000, 5000);
    EXPECT_EQ(frameOf(r)[1], 5220 - 1667);
    menuClick(r.c, "G_zoom", 3);
    EXPECT_FALSE(r.ui.Image1.visible() || r.ui.zoomForm.visible() || r.ui.menus("G_zoom", 0).checked());
}

TEST(ZoomFrame, ClampedToTheVisibleGraphInOrder) {
    Rig r;
    menuClick(r.c, "G_zoom", 2);
    r.c.zoom.Sub_Sub1(0, 0);
    EXPECT_EQ(frameOf(r), (Frame{630, 220, 500, 500}));
    r.c.zoom.Sub_Sub1(99999, 99999);
    EXPECT_EQ(frameOf(r), (Frame{12105 - 1560 - 500, 5220 - 500, 500, 500}));
    // Scrolled to the end of the axis, the end wins over the window's width.
    r.c.graph.Ghp_Scroll = -85000;
    r.c.zoom.Sub_Sub1(99999, 2000);
    EXPECT_EQ(frameOf(r)[0], 630 + 90000 - 500 - 85000);
    // A window so narrow that both bounds conflict: the origin column is checked first, the axis end last.
    r.c.graph.Ghp_Scroll = 0;
    r.ui.form.clientW = 2000;
    r.c.zoom.Sub_Sub1(5000, 2000);
    EXPECT_EQ(frameOf(r)[0], 630);
}

TEST(ZoomFrame, MouseButtons) {
    Rig r;
    r.c.zoom.Picture2_MouseDown(mouse::Left, 0, 4000, 3000);  // zoom off: nothing
    r.c.zoom.Picture2_MouseUp(mouse::Left, 0, 4000, 3000);
    EXPECT_NE(frameOf(r)[0], 3995);

    menuClick(r.c, "G_zoom", 2);
    const long redraws = countOps(r.ui.Zoom, "cls");
    r.c.zoom.Picture2_MouseDown(mouse::Right, 0, 4000, 3000);
    EXPECT_EQ(frameOf(r), (Frame{3750, 2750, 500, 500}));
    r.c.zoom.Picture2_MouseMove(mouse::Right, 0, 5000, 3000);
    r.c.zoom.Picture2_MouseMove(mouse::Left | mouse::Right, 0, 5000, 3000);
    EXPECT_EQ(frameOf(r)[0], 3750);
    r.c.zoom.Picture2_MouseMove(mouse::Left, 0, 6000, 2000);
    EXPECT_EQ(frameOf(r), (Frame{5750, 1750, 500, 500}));
    EXPECT_EQ(countOps(r.ui.Zoom, "cls"), redraws);  // no redraw while dragging
    r.c.zoom.Picture2_MouseUp(mouse::Middle, 0, 7000, 2500);
    EXPECT_EQ(frameOf(r), (Frame{6750, 2250, 500, 500}));
    EXPECT_EQ(countOps(r.ui.Zoom, "cls"), redraws + 1);
    EXPECT_EQ(r.c.zoom.Ox, (6750 - 630) * 10);
    EXPECT_EQ(r.c.zoom.Oy, (2250 - 220) * 10);
}

TEST(ZoomLine, ThresholdsAtEachFactor) {
    for (auto [index, points] : {std::pair{2, std::vector<int>{2, 4, 6, 8}}, std::pair{1, std::vector<int>{3, 6, 9}},
                                 std::pair{0, std::vector<int>{5, 10}}}) {
        Rig r;
        menuClick(r.c, "G_zoom", index);
        r.ui.Zoom.ops.clear();
        std::vector<int> plotted;
        for (int m = 1; m <= 10; ++m) {
            const long before = r.ui.Zoom.lines;
            r.c.zoom.Zoom1sub(0x10);  // one medal in
            if (r.ui.Zoom.lines > before) plotted.push_back(m);
        }
        plotted.resize(points.size());
        EXPECT_EQ(plotted, points) << "factor index " << index;
    }
}

TEST(ZoomLine, WrapsAtTheSameMedalsAsTheMainGraph) {
    Rig r;
    menuClick(r.c, "G_zoom", 0);
    // 3 medals a game: both lines plot at 2490 and 2505 medals in; the band
    // changes between them, where D passes 2500, on both.
    for (int n = 1; n <= 835; ++n) {
        r.c.graph.Ghp1Disp(0x30);
        r.c.zoom.Zoom1sub(0x30);
        if (n == 830) {
            ASSERT_EQ(r.c.graph.Ghp_Band, 0);
            ASSERT_EQ(r.c.zoom.Zoom_BandOff, 0);
        }
    }
    EXPECT_EQ(r.c.graph.Ghp_Band, 1);
    EXPECT_EQ(r.c.zoom.Zoom_BandOff, 2500);
    // And back up: the top exit at D below -2500 of the band.
    for (int n = 0; n < 600; ++n) {
        r.c.graph.Ghp1Disp(0x3F);
        r.c.zoom.Zoom1sub(0x3F);
    }
    EXPECT_EQ(r.c.zoom.Zoom_BandOff, 2500 * r.c.graph.Ghp_Band);
    EXPECT_LT(r.c.graph.Ghp_Band, 1);
}

TEST(ZoomLine, AnnotationsAtTheirAnchorsOnReplay) {
    Rig r;
    r.games(3, 4);
    r.poll(code::BBStart);
    r.games(8 | 3, 2, 15);
    r.games(3, 2);
    r.ui.Zoom.ops.clear();  // the live markers
    menuClick(r.c, "G_zoom", 2);
    const auto texts = textsOf(r.ui.Zoom);
    ASSERT_EQ(texts.size(), 2u);
    const ZoomView& g = r.c.zoom;
    // Interval at the end of the line after four games (12 medals, plotted), gain 400 left and 200 up.
    EXPECT_EQ(texts[0].text, " 4 ");
    EXPECT_EQ(texts[0].x, 60.0f + 10.0f * 12 - static_cast<float>(g.Ox));
    EXPECT_EQ(texts[1].text, " 24 ");
    EXPECT_EQ(texts[1].x, 60.0f + 10.0f * 18 - static_cast<float>(g.Ox) - 400.0f);
    // The completed games only: the open game is left to the live step.
    EXPECT_EQ(g.Zoom_In, 21);
    r.game(3);
    EXPECT_EQ(g.Zoom_In, 24);
}

TEST(ZoomWindow, ClosingAndResizing) {
    Rig r;
    menuClick(r.c, "G_zoom", 1);
    r.ui.zoomForm.clientH = 1000 - headless::MemForm::kFrame;  // far too low
    r.c.zoom.ZoomDisp_Form_Resize();
    EXPECT_EQ(r.ui.zoomForm.outerHeight(), 2000);
    EXPECT_EQ(frameOf(r)[3], (2000 - 700) / 5);
    EXPECT_EQ(r.ui.ZoomPicture1.height(), 1500);
    r.ui.zoomForm.clientW = 8310;
    r.c.zoom.ZoomDisp_Form_Resize();
    EXPECT_EQ(frameOf(r)[2], 1600);
    EXPECT_EQ(r.ui.ZoomPicture1.width(), 8200);
    r.c.zoom.ZoomDisp_Form_QueryUnload();
    EXPECT_FALSE(r.ui.Image1.visible() || r.ui.zoomForm.visible() || r.ui.menus("G_zoom", 1).checked());
    EXPECT_TRUE(r.ui.menus("G_zoom", 3).checked());
    // Zoom off: the replay draws no line, live games still feed the hidden window.
    r.ui.Zoom.lines = 0;
    r.c.zoom.X4_Line();
    EXPECT_EQ(r.ui.Zoom.lines, 0);
}

// Sets the window so that Picture2 is `w` twips wide.
void graphWidth(Rig& r, int w) {
    r.ui.form.clientW = w + 1560;
    Form_Resize(r.c);
}

TEST(Scroll, BackCommandsAndTheirBounds) {
    Rig r;
    menuClick(r.c, "Hidari");
    menuClick(r.c, "Dhidari");
    EXPECT_EQ(r.c.graph.Ghp_Scroll, 0);
    for (auto [from, to] : {std::pair{-3000, 0}, std::pair{-5000, 0}, std::pair{-12000, -7000}}) {
        r.c.graph.Ghp_Scroll = from;
        menuClick(r.c, "Dhidari");
        EXPECT_EQ(r.c.graph.Ghp_Scroll, to) << from;
    }
    r.c.graph.Ghp_Scroll = -2000;
    menuClick(r.c, "Hidari");
    EXPECT_EQ(r.c.graph.Ghp_Scroll, -1000);
    // A scroll rebuilds the graph without the origin dot.
    r.ui.Picture2s.ops.clear();
    menuClick(r.c, "Hidari");
    EXPECT_EQ(r.ui.Picture2s.ops.front(), "cls");
    EXPECT_EQ(countOps(r.ui.Picture2s, "pset"), 0);
    EXPECT_EQ(linesOf(r.ui.Picture2s).size(), kGridLines);
}

TEST(Scroll, ForwardStepsAndTheirBounds) {
    Rig r;
    graphWidth(r, 9000);
    // One step stops at 55000 and at the axis end less the width plus 1000; the big
    // step goes 5000 and stops at 85000.
    for (auto [big, from, to] : {std::tuple{false, 54000, 55000},
                                 {false, 55000, 55000},
                                 {true, 55000, 60000},
                                 {false, 82000, 83000},
                                 {false, 83000, 83000},
                                 {true, 81000, 85000},
                                 {true, 82000, 85000},
                                 {true, 83000, 83000},
                                 {true, 85000, 85000},
                                 {true, 70000, 75000}}) {
        r.c.graph.Ghp_Scroll = -from;
        big ? menuClick(r.c, "Dmigi") : menuClick(r.c, "Migi");
        EXPECT_EQ(-r.c.graph.Ghp_Scroll, to) << (big ? "Dmigi" : "Migi") << " from " << from;
    }
    // Where the right edge would pass the end, the step brings it to about the end + 2000.
    graphWidth(r, 10545);
    r.c.graph.Ghp_Scroll = -76000;  // right edge after 5000 more: 90900
    menuClick(r.c, "Dmigi");
    EXPECT_EQ(r.c.graph.Ghp_Scroll, -82000);
}

// Home and End go to the ends of the record: the newest game in view, a step of
// room after it, whatever the scroll was.
TEST(Scroll, HomeAndEndKeysGoToTheEndsOfTheRecord) {
    Rig r;
    graphWidth(r, 10545);  // 9915 medals in view
    r.games(3, 120);       // 360 in: the start shows it
    r.c.graph.Ghp_Scroll = -5000;
    graphEndKey(r.c);
    EXPECT_EQ(r.c.graph.Ghp_Scroll, 0);
    r.games(3, 6880);  // 21000 in
    graphEndKey(r.c);
    EXPECT_EQ(r.c.graph.Ghp_Scroll, -13000);  // shows 13000 to 22915
    graphEndKey(r.c);
    EXPECT_EQ(r.c.graph.Ghp_Scroll, -13000);
    r.c.graph.Ghp_Scroll = -60000;  // beyond the record: back to it
    graphEndKey(r.c);
    EXPECT_EQ(r.c.graph.Ghp_Scroll, -13000);
    graphHomeKey(r.c);
    EXPECT_EQ(r.c.graph.Ghp_Scroll, 0);
    menuClick(r.c, "Kaiseki", 0);  // the chart in place of the graph: no scrolling
    graphEndKey(r.c);
    EXPECT_EQ(r.c.graph.Ghp_Scroll, 0);
}

TEST(Scroll, FrameKeptOnTheAxisAfterAForwardScroll) {
    Rig r;
    graphWidth(r, 9000);
    menuClick(r.c, "G_zoom", 2);
    r.c.zoom.Sub_Sub1(9000, 2720);
    const int left = frameOf(r)[0];
    menuClick(r.c, "Migi");
    EXPECT_EQ(frameOf(r)[0], left);  // stays where it is on the screen
    EXPECT_EQ(r.c.zoom.Ox, (left - 630) * 10);
    r.c.graph.Ghp_Scroll = -81000;
    menuClick(r.c, "Dmigi");  // to 85000: the axis ends at x = 630 + 5000
    EXPECT_EQ(r.c.graph.Ghp_Scroll, -85000);
    EXPECT_EQ(frameOf(r)[0], 630 + 90000 - 500 - 85000);
}

}  // namespace
}  // namespace tobrak::test
