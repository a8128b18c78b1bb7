#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "app/menu.h"
#include "app/views.h"
#include "counts/estimate.h"
#include "print/print_report.h"
#include "rig.h"

namespace tobrak::test {
namespace {

using headless::RecordingSurface;
using Strings = std::vector<std::string>;

constexpr const char* kYellow = "FFFF00";

// The lines of a surface in `colour`, or (`in` false) in any other.
Strings linesIn(const RecordingSurface& s, const std::string& colour, bool in = true) {
    Strings out;
    for (const std::string& l : linesOf(s))
        if (l.ends_with(" " + colour) == in) out.push_back(l);
    return out;
}

struct End {
    float x, y;
};
End endOf(const std::string& line) {
    float x1, y1, x2, y2;
    EXPECT_EQ(std::sscanf(line.c_str(), "line %f %f %f %f", &x1, &y1, &x2, &y2), 4) << line;
    return {x2, y2};
}

// The example profile's payout of setting k (1-based), as a rate.
double rateOf(int k) { return exampleProfile().settings[static_cast<std::size_t>(k - 1)].payout / 100.0; }

// A loaded record of `games` 3-medal games that pay nothing, with the line on for `setting`.
struct Lined : Rig {
    Lined(int games, int setting) {
        load(runs({{0x30, games}}));
        ui.Picture2s.ops.clear();
        expectedLineClick(c, true, setting);
    }
};

TEST(ExpectedLine, EndsAtTheSettingsBalanceOfTheMedalsInAndWrapsLikeTheSlumpLine) {
    for (int setting : {1, 6}) {
        Lined r(1000, setting);  // 3000 medals in, a multiple of the 15 between points
        const Strings line = linesIn(r.ui.Picture2s, kYellow);
        ASSERT_EQ(line.size(), 200u) << "one segment at each of the slump line's points";
        EXPECT_EQ(line.front().rfind("line 630.00 2720.00 ", 0), 0u) << line.front();
        // Balance (rate - 1) x 3000 is drawn up from the zero line at y 2720.
        const End e = endOf(line.back());
        EXPECT_FLOAT_EQ(e.x, 630.0f + 3000.0f);
        EXPECT_NEAR(e.y, 2720.0 - (rateOf(setting) - 1.0) * 3000.0, 0.01);
    }
    // 21000 medals in at 113.8 %: +2898 leaves the band at its top (+2500) once and
    // goes on from the zero line, as the slump line does.
    Lined r(7000, 6);
    const Strings line = linesIn(r.ui.Picture2s, kYellow);
    EXPECT_EQ(std::ranges::count_if(line, [](const std::string& l) { return endOf(l).y == 220.0f; }), 1);
    const End e = endOf(line.back());
    EXPECT_FLOAT_EQ(e.x, 630.0f + 21000.0f);
    EXPECT_NEAR(e.y, 2720.0 - ((rateOf(6) - 1.0) * 21000.0 - 2500.0), 0.05);
}

TEST(ExpectedLine, OffOrWithoutARateTheGraphsAreAsBefore) {
    Rig r;
    r.load(runs({{0x30, 400}, {0xB3, 30}, {0x31, 400}}));
    r.ui.Picture2s.ops.clear();
    GhpRebuildAll(r.c);
    const Strings off = linesOf(r.ui.Picture2s);
    // On, it adds its own segments and changes nothing else.
    r.ui.Picture2s.ops.clear();
    expectedLineClick(r.c, true, 0);
    EXPECT_FALSE(linesIn(r.ui.Picture2s, kYellow).empty());
    EXPECT_EQ(linesIn(r.ui.Picture2s, kYellow, false), off);

    // A profile without payouts gives no rate: nothing to draw, for the estimate or a setting.
    MachineProfile bare = exampleProfile();
    for (SettingFigures& s : bare.settings) s.payout = 0;
    r.ui.Picture2s.ops.clear();
    r.c.history.profileChosen(bare);
    EXPECT_EQ(linesOf(r.ui.Picture2s), off);
    r.ui.Picture2s.ops.clear();
    expectedLineClick(r.c, true, 3);
    EXPECT_TRUE(linesIn(r.ui.Picture2s, kYellow).empty());
}

TEST(ExpectedLine, MenuChecksAndTheFileStaysAsItWas) {
    Rig r;
    r.load(runs({{0x30, 1000}}));
    const auto before = r.c.session.image();
    EXPECT_FALSE(r.ui.menus.at("menKitai").checked());
    EXPECT_TRUE(r.ui.menus.at("KitaiSet", 0).checked());
    menuClick(r.c, "menKitai");
    r.ui.Picture2s.ops.clear();
    menuClick(r.c, "KitaiSet", 4);
    EXPECT_TRUE(r.ui.menus.at("menKitai").checked());
    EXPECT_TRUE(r.ui.menus.at("KitaiSet", 4).checked());
    EXPECT_FALSE(r.ui.menus.at("KitaiSet", 0).checked());
    EXPECT_NEAR(endOf(linesIn(r.ui.Picture2s, kYellow).back()).y, 2720.0 - (rateOf(4) - 1.0) * 3000.0, 0.01);
    EXPECT_EQ(r.c.session.image(), before);  // a window setting, not the record's
    r.ui.Picture2s.ops.clear();
    menuClick(r.c, "menKitai");
    EXPECT_TRUE(linesIn(r.ui.Picture2s, kYellow).empty());
}

TEST(ExpectedLine, TheEstimatedSettingFollowsPlayAndTheChosenProfile) {
    Rig r;
    expectedLineClick(r.c, true, 0);
    auto slope = [&] {
        const End e = endOf(linesIn(r.ui.Picture2s, kYellow).back());
        return (2720.0 - e.y) / (e.x - 630.0);
    };
    // Hardly a bonus in 1500 live games: the estimate says setting 1, and so does the line.
    for (int i = 0; i < 1500; ++i) r.game(3);
    ASSERT_EQ(estimateSetting(r.c.profile, playCounts(r.c.rec, bonusHistory(r.c.rec))).likeliest, 0);
    EXPECT_NEAR(slope(), rateOf(1) - 1.0, 1e-3);
    // Another profile chosen in the estimate window: the graph is redrawn with its rate.
    MachineProfile other = exampleProfile();
    other.settings[0].payout = 90.0;
    r.ui.Picture2s.ops.clear();
    r.c.history.profileChosen(other);
    EXPECT_NEAR(slope(), -0.1, 1e-3);
}

TEST(ExpectedLine, ZoomAndPaperDrawItWhenOn) {
    Lined r(1000, 6);
    // The zoom window at x10 around the graph's start.
    r.c.zoom.Sub_Sub1(700.0f, 2720.0f);
    r.ui.Zoom.ops.clear();
    r.c.zoom.G_zoom_Click(2);
    const Strings zoomed = linesIn(r.ui.Zoom, kYellow);
    ASSERT_FALSE(zoomed.empty());
    const End z = endOf(zoomed.back());
    const ZoomView& v = r.c.zoom;
    EXPECT_NEAR(z.x, v.Zoom_Left + 10.0 * 3000 - v.Ox, 0.01);
    EXPECT_NEAR(z.y, v.Zoom_P2y - 10.0 * (rateOf(6) - 1.0) * 3000 - v.Oy, 0.1);

    // On paper, in green, from the band's zero line at y 3050.
    r.c.cnt.Tot_In = 3000;
    RecordingSurface page;
    printReport(page, r.c.printSource());
    const Strings paper = linesIn(page, "008000");
    ASSERT_EQ(paper.size(), 200u);
    const End p = endOf(paper.back());
    EXPECT_FLOAT_EQ(p.x, 630.0f + 3000.0f);
    EXPECT_NEAR(p.y, 3050.0 - (rateOf(6) - 1.0) * 3000.0, 0.01);
}

}  // namespace
}  // namespace tobrak::test
