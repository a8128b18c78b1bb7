#include <gtest/gtest.h>

#include "analysis/history_view.h"
#include "app/menu.h"
#include "rig.h"

namespace tobrak::test {
namespace {

// What the surface shows: the operations since its last clearing.
headless::RecordingSurface shown(const headless::RecordingSurface& s) {
    headless::RecordingSurface out;
    const auto cls = std::find(s.ops.rbegin(), s.ops.rend(), "cls");
    out.ops.assign(cls.base(), s.ops.end());
    return out;
}

std::vector<std::string> boxesOf(const headless::RecordingSurface& s) { return opsOf(shown(s), "box "); }

// Two BBs and an RB straight after the second, then a BB still running.
void play(Rig& r) {
    r.games(3, 12, 1);
    r.poll(code::BBStart);
    r.games(8 | 3, 3, 15);
    r.games(3, 7);
    r.poll(code::BBStart);
    r.games(8 | 3, 2, 15);
    r.poll(code::RBStart);
    r.games(4 | 1, 2, 15);
    r.games(3, 5);
    r.poll(code::BBStart);
    r.games(8 | 3, 2, 15);
}

TEST(HistoryWindow, OpensOnTheRecordAsASnapshot) {
    Rig r;
    play(r);
    EXPECT_FALSE(r.ui.historyForm.visible());
    menuClick(r.c, "Kaiseki", 12);
    EXPECT_TRUE(r.ui.historyForm.visible());
    EXPECT_EQ(r.c.analysis.Kaiseki_On, 0);  // the graph stays in view
    EXPECT_EQ(r.ui.probNormal.caption(), "通常ゲーム 24Ｇ中　ＢＢ 1/8.0　ＲＢ 1/24.0　合成 1/6.0");
    using Row = std::vector<std::string>;
    ASSERT_EQ(r.ui.historyTable.rows.size(), 4u);
    // Each hit at the time its first game began, as the player's clock showed it.
    const auto at = [&](int game) { return clockTime(*r.c.session.times().at(game)); };
    EXPECT_EQ(r.ui.historyTable.rows[0], (Row{"1", "ＢＢ", at(12), "12", "12", "3", "36", ""}));
    EXPECT_EQ(r.ui.historyTable.rows[2], (Row{"3", "ＲＢ", at(24), "0", "24", "2", "28", ""}));
    EXPECT_EQ(r.ui.historyTable.rows[3], (Row{"4", "ＢＢ", at(31), "5", "31", "2", "24", "継続中"}));
    EXPECT_EQ(at(12).size(), 5u);

    EXPECT_EQ(r.ui.profileCombo.items.size(), 1u);  // no user folder: the example alone
    EXPECT_EQ(r.ui.used.caption().rfind("使用データ　通常ゲーム 24Ｇ　ＢＢ 3回　ＲＢ 1回", 0), 0u);

    // Play goes on; the window keeps what it showed until refreshed.
    r.games(3, 4);
    EXPECT_EQ(r.ui.historyTable.rows[3].back(), "継続中");
    r.c.history.HistoryRefresh_Click();
    EXPECT_EQ(r.ui.historyTable.rows[3].back(), "");
    EXPECT_EQ(r.ui.probNormal.caption(), "通常ゲーム 28Ｇ中　ＢＢ 1/9.3　ＲＢ 1/28.0　合成 1/7.0");

    // Clearing the record hides it.
    menuClick(r.c, "Ghp_Cls");
    EXPECT_FALSE(r.ui.historyForm.visible());
}

std::string flatProfile(const std::string& name) {
    std::string s = "{\"name\": \"" + name + "\", \"settings\": {";
    for (int k = 1; k <= 6; ++k)
        s += std::string(k > 1 ? "," : "") + "\"" + std::to_string(k) +
             "\": {\"bb\": 250, \"rb\": 400, \"payout\": 100}";
    return s + "}}";
}

TEST(HistoryWindow, ProfileChoiceAndABadProfile) {
    Rig r;
    play(r);
    TempDir dir("view_profiles");
    dir.write("a.json", flatProfile("平らな機種"));
    dir.write("b.json", "{\"name\": \"x\", \"settings\": {\"1\": {\"bb\": \"多い\"}}}");
    r.c.history.profileDir = dir.path.string();
    menuClick(r.c, "Kaiseki", 12);
    ASSERT_EQ(r.ui.profileCombo.items,
              (std::vector<std::string>{exampleProfile().name, "平らな機種", "b.json（エラー）"}));
    EXPECT_EQ(r.ui.profileCombo.current, 0);

    r.ui.profileCombo.setCurrentIndex(2);
    r.c.history.HistoryProfile_Click(2);
    ASSERT_EQ(r.ui.dialogs.shown.size(), 1u);
    EXPECT_EQ(r.ui.dialogs.shown[0].text, "機種データ・エラーです！\nb.json\n項目「settings.1.bb」は数値にして下さい");
    EXPECT_EQ(r.ui.reliability.foreColor(), rgb::Red);
    EXPECT_EQ(r.ui.payout.caption(), "期待機械割 -");
    EXPECT_EQ(textsOf(shown(r.ui.historyBars)).at(0).text, "機種データ・エラーです！");
    // A refresh keeps the choice and explains it again, without a box.
    r.c.history.HistoryRefresh_Click();
    EXPECT_EQ(r.ui.profileCombo.current, 2);
    EXPECT_EQ(r.ui.dialogs.shown.size(), 1u);

    // Fixed on disk: the same choice now estimates; settings alike give the prior back.
    dir.write("b.json", flatProfile("直した機種"));
    r.ui.profileCombo.setCurrentIndex(1);
    r.c.history.HistoryProfile_Click(1);
    EXPECT_EQ(r.ui.payout.caption(), "期待機械割 100.00％");
    const auto texts = textsOf(shown(r.ui.historyBars));
    ASSERT_EQ(texts.size(), 12u);
    EXPECT_EQ(texts[10].text, "設定６");
    EXPECT_EQ(texts[11].text, "16.7％");
    r.c.history.HistoryRefresh_Click();
    EXPECT_EQ(r.ui.profileCombo.items[2], "直した機種");
    EXPECT_EQ(r.ui.profileCombo.current, 1);
    // A chosen profile that has gone falls back to the example.
    std::filesystem::remove(dir.path / "a.json");
    r.c.history.HistoryRefresh_Click();
    EXPECT_EQ(r.ui.profileCombo.current, 0);
}

// Bonuses alike at every setting; ブドウ from 1/10 at setting 1 to 1/5 at setting 6.
std::string grapeProfile() {
    std::string s = "{\"name\": \"ブドウの機種\", \"counters\": [\"ブドウ\"], \"settings\": {";
    for (int k = 1; k <= 6; ++k)
        s += std::string(k > 1 ? "," : "") + "\"" + std::to_string(k) +
             "\": {\"bb\": 250, \"rb\": 400, \"payout\": 100, \"counters\": {\"ブドウ\": " + std::to_string(11 - k) +
             "}}";
    return s + "}}";
}

TEST(HistoryWindow, CountersGivenFromOutsideGetALineEach) {
    Rig r;
    play(r);  // 24 normal games
    TempDir dir("view_counters");
    dir.write("a.json", grapeProfile());
    dir.write("b.json", flatProfile("平らな機種"));
    r.c.history.profileDir = dir.path.string();
    // Nothing counted: the example's texts as ever, no counter line.
    menuClick(r.c, "Kaiseki", 12);
    const std::string used = r.ui.used.caption(), payout = r.ui.payout.caption();
    EXPECT_EQ(r.ui.counterEffects.caption(), "");

    ManualCounts counted{{"ブドウ", 5}, {"スイカ", 2}};
    r.c.history.manual = &counted;
    r.c.history.HistoryRefresh_Click();
    // The example has ブドウ and チェリー: ブドウ alone is used, スイカ is no counter of it.
    EXPECT_EQ(r.ui.counterEffects.caption().rfind("ブドウ 5回 1/4.8　設定", 0), 0u) << r.ui.counterEffects.caption();
    EXPECT_EQ(r.ui.counterEffects.caption().find('\n'), std::string::npos);
    EXPECT_EQ(r.ui.used.caption(), used);
    EXPECT_NE(r.ui.payout.caption(), payout);

    // Bonuses that say nothing: ブドウ alone moves 設定６ from 16.7 to 26.5 %.
    r.ui.profileCombo.setCurrentIndex(1);
    r.c.history.HistoryProfile_Click(1);
    EXPECT_EQ(r.ui.counterEffects.caption(), "ブドウ 5回 1/4.8　設定６ +9.9％");
    EXPECT_EQ(textsOf(shown(r.ui.historyBars)).at(11).text, "26.5％");
    // The window is a snapshot: later counts wait for the refresh.
    counted[0].count = 0;  // ブドウ
    r.c.history.HistoryProfile_Click(1);
    EXPECT_EQ(r.ui.counterEffects.caption(), "ブドウ 5回 1/4.8　設定６ +9.9％");
    r.c.history.HistoryRefresh_Click();
    EXPECT_EQ(r.ui.counterEffects.caption(), "");  // a counter at 0 is one not counted: the bonuses alone
    counted[0].count = 5;
    r.c.history.HistoryRefresh_Click();

    // A profile without counters, or one that cannot be read, shows none.
    r.ui.profileCombo.setCurrentIndex(2);
    r.c.history.HistoryProfile_Click(2);
    EXPECT_EQ(r.ui.counterEffects.caption(), "");
    EXPECT_EQ(r.ui.payout.caption(), "期待機械割 100.00％");
    dir.write("b.json", "{}");
    r.c.history.HistoryRefresh_Click();
    r.c.history.HistoryProfile_Click(1);
    ASSERT_NE(r.ui.counterEffects.caption(), "");
    r.c.history.HistoryProfile_Click(2);
    EXPECT_EQ(r.ui.counterEffects.caption(), "");
}

TEST(PosteriorChart, BarsFollowTheShares) {
    headless::RecordingSurface s;
    SettingEstimate e;
    e.posterior = {0.05, 0.05, 0.1, 0.1, 0.2, 0.5};
    e.likeliest = 5;
    e.tooFew = false;
    PosteriorDisp(s, e);
    auto boxes = boxesOf(s);
    ASSERT_EQ(boxes.size(), 6u);
    EXPECT_EQ(boxes[0], "box 840.00 135.00 1020.00 405.00 FFFF00 FFFF00");
    EXPECT_EQ(boxes[5], "box 840.00 2235.00 2640.00 2505.00 FF0000 FF0000");  // the clear answer in red
    EXPECT_EQ(textsOf(s).back().text, "50.0％");
    // Not clear yet: all alike; a share too small for a pixel draws no bar.
    e.tooFew = true;
    e.posterior = {0.0, 0.0, 0.0, 0.0, 0.0001, 0.9999};
    PosteriorDisp(s, e);
    boxes = boxesOf(s);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].find("FFFF00 FFFF00"), std::string::npos);
}

}  // namespace
}  // namespace tobrak::test
