// Writing machine profiles and the editor's draft of one.
#include <gtest/gtest.h>

#include <algorithm>

#include "counts/machine_profile.h"
#include "counts/profile_draft.h"

namespace tobrak::test {
namespace {

void expectSame(const MachineProfile& a, const MachineProfile& b) {
    EXPECT_EQ(a.name, b.name);
    EXPECT_EQ(a.counters, b.counters);
    for (int k = 0; k < kSettings; ++k) {
        SCOPED_TRACE("setting " + std::to_string(k + 1));
        const SettingFigures &x = a.settings[static_cast<std::size_t>(k)], &y = b.settings[static_cast<std::size_t>(k)];
        EXPECT_EQ(x.bb, y.bb);
        EXPECT_EQ(x.rb, y.rb);
        EXPECT_EQ(x.payout, y.payout);
        EXPECT_EQ(x.prior, y.prior);
        EXPECT_EQ(x.smallWins, y.smallWins);
        EXPECT_EQ(x.counters, y.counters);
    }
}

// Figures no short decimal gives exactly, a weight of 0 and one above 1, names
// that need escaping in JSON.
MachineProfile awkwardProfile() {
    MachineProfile p;
    p.name = "テスト機 \"改\"\\2";
    p.counters = {"ブドウ", "チェリー", "a.b"};
    for (int k = 0; k < kSettings; ++k) {
        SettingFigures& s = p.settings[static_cast<std::size_t>(k)];
        s.bb = 287.4 - k * 9.1;
        s.rb = 1.0 / 0.0023 + k;
        s.payout = 97.0 + k * (0.1 + 0.2);
        s.prior = k == 0 ? 0.0 : k == 5 ? 2.5 : 1.0;
        s.smallWins = {{0, 7.3 + k}, {8, 8.0}, {15, 100.0 / 3.0}};
        s.counters = {6.8 - k * 0.15, 36.0, 1.0000001};
    }
    return p;
}

TEST(ProfileWriting, WrittenProfilesReadBackEqual) {
    std::string error;
    for (const auto& [p, note] :
         {std::pair{awkwardProfile(), std::string("メモ\n二行目")}, std::pair{exampleProfile(), std::string()}}) {
        SCOPED_TRACE(p.name);
        const std::string text = profileToJson(p, note);
        MachineProfile back;
        ASSERT_TRUE(parseProfile(text, back, error)) << error << "\n" << text;
        expectSame(p, back);
        ProfileDraft d;
        ASSERT_TRUE(readDraft(text, d, error, nullptr)) << error;
        EXPECT_EQ(d.note, note);
    }
    // Without counters and small wins neither is written.
    MachineProfile bare = awkwardProfile();
    bare.counters.clear();
    for (SettingFigures& s : bare.settings) s.smallWins.clear(), s.counters.clear();
    const std::string text = profileToJson(bare);
    EXPECT_EQ(text.find("counters"), std::string::npos);
    EXPECT_EQ(text.find("small_wins"), std::string::npos);
    MachineProfile back;
    ASSERT_TRUE(parseProfile(text, back, error)) << error;
    expectSame(bare, back);
}

TEST(ProfileDraftCheck, TheFormOfAValidProfileGivesItBackAndTakesFiguresAsPlayersWriteThem) {
    const MachineProfile p = awkwardProfile();
    MachineProfile back;
    EXPECT_TRUE(checkDraft(draftOf(p, "note"), &back).empty());
    expectSame(p, back);

    ProfileDraft d = draftOf(exampleProfile());
    d.settings[0].bb = "1/300";
    d.settings[1].rb = " ４００．５ ";  // full-width, as an input method types it
    d.settings[2].payout = "101.5％";
    d.settings[3].smallWins[0] = "１／４５";
    ASSERT_TRUE(checkDraft(d, &back).empty());
    EXPECT_EQ(back.settings[0].bb, 300.0);
    EXPECT_EQ(back.settings[1].rb, 400.5);
    EXPECT_EQ(back.settings[2].payout, 101.5);
    EXPECT_EQ(back.settings[3].smallWins.begin()->second, 45.0);
    // A payout is no 1/x, and a 1/x no percentage.
    d.settings[2].payout = "1/101";
    d.settings[0].bb = "300%";
    const std::vector<DraftProblem> problems = checkDraft(d);
    ASSERT_EQ(problems.size(), 2u);
    EXPECT_EQ(problems[0].field, "settings.1.bb");
    EXPECT_EQ(problems[1].field, "settings.3.payout");
}

TEST(ProfileDraftCheck, EveryMistakeIsFoundAtItsFieldInOneCheck) {
    ProfileDraft d = draftOf(exampleProfile());  // small wins 2, 8, 10, 15; ブドウ, チェリー
    d.name.clear();
    d.counters[1] = "ブドウ";  // twice
    d.settings[1].bb = "abc";  // no number
    d.settings[2].rb.clear();  // missing
    d.settings[3].bb = "1.5";  // valid alone, but BB and RB add up beyond 1
    d.settings[3].rb = "2";
    d.settings[4].smallWins[1].clear();  // 8 medals listed for the other settings
    d.settings[5].counters[0] = "0.5";
    d.settings[0].payout = "1e999";
    for (DraftSetting& s : d.settings) s.prior = "0";
    MachineProfile out = exampleProfile();
    out.name = "untouched";
    const std::vector<DraftProblem> problems = checkDraft(d, &out);
    EXPECT_EQ(out.name, "untouched");
    std::vector<std::string> fields;
    for (const DraftProblem& p : problems) {
        fields.push_back(p.field);
        EXPECT_NE(p.message.find("項目「" + p.field + "」"), std::string::npos) << p.message;
    }
    std::vector<std::string> expected = {
        "settings.5.small_wins.8", "name",          "counters.2", "settings.1.payout",
        "settings.2.bb",           "settings.3.rb", "settings.4", "settings.6.counters.ブドウ",
        "settings.*.prior"};
    EXPECT_EQ(fields, expected);

    // Each field lies where the editor shows it.
    const auto place = [&](const std::string& f) {
        const std::vector<DraftPlace> ps = placesOf(f, d);
        return ps.empty() ? DraftPlace{} : ps.front();
    };
    EXPECT_EQ(place("settings.5.small_wins.8").kind, DraftPlace::SmallWin);
    EXPECT_EQ(place("settings.5.small_wins.8").setting, 4);
    EXPECT_EQ(place("settings.5.small_wins.8").row, 1);
    EXPECT_EQ(place("counters.2").row, 1);
    EXPECT_EQ(placesOf("settings.4", d).size(), 2u);  // its BB and its RB
    EXPECT_EQ(place("settings.6.counters.ブドウ").row, 0);
    EXPECT_EQ(place("settings.*.prior").setting, -1);
    d.counters.push_back("a.b");
    EXPECT_EQ(place("settings.1.counters.a.b").row, 2);
    EXPECT_TRUE(placesOf("settings.7.bb", d).empty());
    EXPECT_TRUE(placesOf("settings.1.small_wins.3", d).empty());  // no such row
    EXPECT_EQ(fieldOfMessage("JSON の書式が正しくありません"), "");
}

TEST(ProfileDraftRead, ABadFileKeepsEveryFigureItHas) {
    const std::string text = R"({"nmae": "x", "name": "壊れた機種", "counters": ["ブドウ"],
        "settings": {"1": {"bb": "1/287", "rb": 400, "payout": true, "small_wins": {"8": 7.5, "16": 3},
                           "counters": {"ブドウ": 6.5, "スイカ": 80}, "prio": 2},
                     "3": {"bb": 250}, "7": {"bb": 1}}})";
    ProfileDraft d;
    std::string error;
    std::vector<std::string> dropped;
    ASSERT_TRUE(readDraft(text, d, error, &dropped)) << error;
    EXPECT_EQ(d.name, "壊れた機種");
    EXPECT_EQ(d.settings[0].bb, "1/287");
    EXPECT_EQ(d.settings[0].rb, "400");
    EXPECT_EQ(d.settings[0].payout, "true");
    EXPECT_EQ(d.smallWinSizes, std::vector<int>{8});
    EXPECT_EQ(d.settings[0].smallWins, std::vector<std::string>{"7.5"});
    EXPECT_EQ(d.settings[1].smallWins, std::vector<std::string>{""});
    // A counter only a setting names becomes a row, so its figure is not lost.
    EXPECT_EQ(d.counters, (std::vector<std::string>{"ブドウ", "スイカ"}));
    EXPECT_EQ(d.settings[0].counters, (std::vector<std::string>{"6.5", "80"}));
    EXPECT_EQ(d.settings[2].bb, "250");
    std::sort(dropped.begin(), dropped.end());
    EXPECT_EQ(dropped, (std::vector<std::string>{"nmae", "settings.1.prio", "settings.1.small_wins.16", "settings.7"}));
    EXPECT_FALSE(checkDraft(d).empty());

    for (const char* notAProfile : {"{\"name\": ", "[1, 2]", "", "{\"a\": 1e999}"}) {
        error.clear();
        EXPECT_FALSE(readDraft(notAProfile, d, error, nullptr)) << notAProfile;
        EXPECT_FALSE(error.empty());
    }
    EXPECT_EQ(d.name, "壊れた機種");  // a failed read leaves the draft as it was
}

TEST(ProfileFileName, TakesJapaneseAndReplacesWhatNoFileSystemTakes) {
    EXPECT_EQ(profileFileName("アイム機 6号"), "アイム機 6号.json");
    EXPECT_EQ(profileFileName("A/B:C*?\"<>|\\D"), "A_B_C_______D.json");
    EXPECT_EQ(profileFileName(" .hidden. "), "hidden.json");
    EXPECT_EQ(profileFileName("..."), "profile.json");
    const std::string longName(200, 'x');
    EXPECT_EQ(profileFileName(longName).size(), 120u + 5u);
    std::string kana = "x";
    for (int i = 0; i < 50; ++i) kana += "ア";  // 3 bytes each: byte 120 falls inside one, which goes whole
    EXPECT_EQ(profileFileName(kana), std::string(kana, 0, 118) + ".json");
}

}  // namespace
}  // namespace tobrak::test
