#include <gtest/gtest.h>

#include "app/menu.h"
#include "print/print_report.h"
#include "rig.h"
#include "stats/panel.h"

namespace tobrak::test {
namespace {

using headless::RecordingSurface;

bool has(const RecordingSurface& s, const std::string& op) {
    return std::find(s.ops.begin(), s.ops.end(), op) != s.ops.end();
}

// A record of `games` games of byte `b`, counted as medals in.
void fill(Rig& r, int games, std::uint8_t b = 0x30) {
    for (int i = 0; i < games; ++i) r.c.rec.Dat_Buf[r.c.rec.Dat_Len++] = b;
    r.c.cnt.Tot_In += games * medalsIn(b);
}

RecordingSurface printed(Rig& r) {
    RecordingSurface page;
    printReport(page, r.c.printSource());
    return page;
}

TEST(PrintHeader, SevenCharacterFieldsAndTheGeneralPagesUnits) {
    EXPECT_EQ(field7(" 総ゲーム数"), "  総ゲーム数");
    EXPECT_EQ(field7(" 平均ＢＢ中ゲーム数"), " 平均ＢＢ中ゲ");
    EXPECT_EQ(field7("42.86"), "  42.86");
    EXPECT_EQ(field7(""), "       ");

    Rig r;
    menuClick(r.c, "menPage");  // the BB page is in view
    const RecordingSurface page = printed(r);
    const auto texts = textsOf(page);
    ASSERT_GE(texts.size(), 26u);
    EXPECT_EQ(texts[0], (Text{630.0f, 60.0f, "   ＢＢ回数"}));
    EXPECT_EQ(texts[1], (Text{750.0f, 270.0f, "      0 Ｇ"}));  // page 0's unit for row 0
    EXPECT_EQ(texts[4].x, static_cast<float>(630 + 1153.53 * 2 + 200));
    EXPECT_EQ(texts[5].text, "      0 回");
    EXPECT_EQ(texts[13].text, "      0 ％");  // row 6: the BB page's minimum gain, the general page's unit
    EXPECT_EQ(page.ops[0], "width 1");
    EXPECT_EQ(page.ops[1], "font 9.00 000000");
    // The strip's frame and separators, 4 pixels wide.
    const auto box = std::find(page.ops.begin(), page.ops.end(), "box 630.00 40.00 15630.00 480.00 8080FF -");
    ASSERT_NE(box, page.ops.end());
    EXPECT_EQ(*(box - 1), "width 4");
    EXPECT_EQ(*(box + 1), "line 1783.53 40.00 1783.53 480.00 8080FF");
}

TEST(PrintBands, SecondBandLabelsAndGridAtFullScale) {
    Rig r;
    fill(r, 5000);  // 15000 medals in: two bands
    const RecordingSurface page = printed(r);
    const auto texts = textsOf(page);
    auto row = [&](float y) {
        std::vector<std::string> out;
        for (const auto& t : texts)
            if (t.y == y) out.push_back(t.text);
        return out;
    };
    const auto second = row(550.0f + 5490.0f + 5075.0f), first = row(550.0f + 5075.0f);
    ASSERT_EQ(second.size(), 16u);
    EXPECT_EQ(second.front(), " 15000 ");
    EXPECT_EQ(second.back(), " 30000 ");
    EXPECT_EQ(first.front(), " 0 ");
    EXPECT_EQ(first.back(), " 15000 ");
    // y labels of the second band, 60 above their lines.
    EXPECT_NE(std::find(texts.begin(), texts.end(), (Text{105.0f, 6040.0f + 500.0f - 60.0f, "+2000"})), texts.end());
    // Band frames: the second band's top edge, 4 twips left of it.
    EXPECT_TRUE(has(page, "line 626.00 6040.00 15631.00 6040.00 8080FF"));
}

TEST(PrintBands, ThreeBandsAtTwoThirdsAndTheLineGoesOnBelow) {
    Rig r;
    fill(r, 25000);  // 75000 medals in
    const RecordingSurface page = printed(r);
    EXPECT_TRUE(has(page, "line 626.00 7870.00 13964.33 7870.00 8080FF"));
    // The line's last point lies in a fourth band position, below the third band (7870 + 3660).
    float x1, y1, x2, y2;
    ASSERT_EQ(std::sscanf(linesOf(page).back().c_str(), "line %f %f %f %f", &x1, &y1, &x2, &y2), 4);
    EXPECT_GT(y2, 7870.0f + 3660.0f);
    EXPECT_NEAR(x2, 630.0f + (75000 - 60000) * 2.0f / 3.0f, 15.0f);
}

TEST(PrintLine, SegmentColoursDoNotCarryOverAndAnEmptyRecordPrintsTheStartPoint) {
    Rig r;
    EXPECT_EQ(printed(r).ops.back(), "pset 630.00 3050.00 000000");
    // Strip separators 12, band grid 14 + 15 x 50 + 5 + 4 x 150, frame 4; no line.
    EXPECT_EQ(linesOf(printed(r)).size(), 12u + 14u + 750u + 5u + 600u + 4u);
    fill(r, 5);        // 15 medals: the first segment, black
    fill(r, 2, 0xB0);  // a BB inside the next segment: red
    fill(r, 3, 0x70);  // then RB games in the same segment: still red
    fill(r, 5);        // back to black
    fill(r, 5, 0x70);  // an RB alone: cyan
    fill(r, 5);
    RecordingSurface page;
    P_GhpLine(page, r.c.rec, 1.0f, 630, 550, 15000);
    // One segment per 15 medals: no colour carries over to the next segment.
    EXPECT_EQ(coloursOf(linesOf(page)), (std::vector<std::string>{"000000", "FF0000", "000000", "00FFFF", "000000"}));
    EXPECT_EQ(page.ops[0], "width 2");
    EXPECT_EQ(page.ops[1], "pset 630.00 3050.00 000000");
}

TEST(PrintCommand, CancelFailureAndSuccess) {
    Rig r;
    r.games(3, 4, 2);
    const Counters before = r.c.cnt;
    r.ui.printer.start = Printer::Start::Cancelled;
    menuClick(r.c, "O_prin");
    EXPECT_TRUE(r.ui.dialogs.shown.empty());
    EXPECT_EQ(r.ui.printer.pages, 0);

    r.ui.printer.start = Printer::Start::Failed;
    menuClick(r.c, "O_prin");
    ASSERT_EQ(r.ui.dialogs.shown.size(), 1u);
    EXPECT_EQ(r.ui.dialogs.shown[0].text, "プリンタに接続できません！");
    EXPECT_EQ(r.ui.printer.aborts, 1);

    r.ui.printer.start = Printer::Start::Ready;
    r.ui.printer.handedOver = false;  // the driver fails at the end
    menuClick(r.c, "O_prin");
    EXPECT_EQ(r.ui.dialogs.shown.size(), 2u);
    EXPECT_EQ(r.ui.printer.aborts, 2);

    r.ui.printer.handedOver = true;
    menuClick(r.c, "O_prin");
    EXPECT_EQ(r.ui.dialogs.shown.size(), 2u);
    EXPECT_EQ(r.ui.printer.pages, 1);
    EXPECT_GT(r.ui.printer.recorded().ops.size(), 1400u);
    EXPECT_EQ(countersOf(r.c.cnt), countersOf(before));  // printing changes nothing
    EXPECT_EQ(r.c.rec.Dat_Len, 52);
}

}  // namespace
}  // namespace tobrak::test
