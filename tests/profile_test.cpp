#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "counts/machine_profile.h"
#include "rig.h"

namespace tobrak::test {
namespace {

using nlohmann::json;

json validProfile() {
    json j = {{"name", "テスト機"}, {"settings", json::object()}};
    for (int k = 1; k <= 6; ++k)
        j["settings"][std::to_string(k)] = {{"bb", 300 - 10 * k},
                                            {"rb", 400 - 15 * k},
                                            {"payout", 95 + 3 * k},
                                            {"small_wins", {{"8", 8.0}, {"15", 100 - k}}}};
    return j;
}

std::string errorOf(const std::string& text) {
    MachineProfile p;
    std::string error;
    EXPECT_FALSE(parseProfile(text, p, error)) << text;
    return error;
}

TEST(MachineProfile, AValidProfileWithAndWithoutOptionalFields) {
    json j = validProfile();
    j["note"] = "メモ";
    j["settings"]["6"]["prior"] = 0.5;
    MachineProfile p;
    std::string error;
    ASSERT_TRUE(parseProfile(j.dump(), p, error)) << error;
    EXPECT_EQ(p.name, "テスト機");
    EXPECT_EQ(p.settings[0].bb, 290.0);
    EXPECT_EQ(p.settings[5].rb, 310.0);
    EXPECT_EQ(p.settings[5].prior, 0.5);
    EXPECT_EQ(p.settings[2].smallWins, (std::map<int, double>{{8, 8.0}, {15, 97.0}}));
    for (auto& [k, s] : j["settings"].items()) s.erase("small_wins");
    ASSERT_TRUE(parseProfile(j.dump(), p, error)) << error;
    EXPECT_FALSE(p.hasSmallWins());
}

TEST(MachineProfile, EveryBadFieldIsNamed) {
    // Each case: a merge patch on a valid profile (null removes a field) and the message it must give.
    const std::pair<const char*, const char*> cases[] = {
        {R"({"name": null})", "項目「name」がありません"},
        {R"({"name": 3})", "項目「name」は空でない文字列"},
        {R"({"nmae": "x"})", "項目「nmae」は使えません"},
        {R"({"settings": null})", "項目「settings」がありません"},
        {R"({"settings": []})", "項目「settings」は設定"},
        {R"({"settings": {"4": null}})", "項目「settings.4」がありません"},
        {R"({"settings": {"7": {"bb": 290, "rb": 385, "payout": 98}}})", "項目「settings.7」：設定は 1 から 6"},
        {R"({"settings": {"2": 5}})", "項目「settings.2」は { }"},
        {R"({"settings": {"2": {"rb": null}}})", "項目「settings.2.rb」がありません"},
        {R"({"settings": {"2": {"bb": "1/287"}}})", "項目「settings.2.bb」は数値にして下さい"},
        {R"({"settings": {"1": {"bb": 0.5}}})", "項目「settings.1.bb」は 1 より大きい数値"},
        {R"({"settings": {"1": {"rb": 1}}})", "項目「settings.1.rb」は 1 より大きい数値"},
        {R"({"settings": {"3": {"bb": 1.5, "rb": 2.5}}})", "項目「settings.3」のＢＢとＲＢ"},
        {R"({"settings": {"5": {"payout": 0}}})", "項目「settings.5.payout」は 0 より大きい"},
        {R"({"settings": {"5": {"payout": 1.2e4}}})", "項目「settings.5.payout」が大きすぎます"},
        {R"({"settings": {"5": {"prior": -1}}})", "項目「settings.5.prior」は 0 以上"},
        {R"({"settings": {"1": {"prior": 0}, "2": {"prior": 0}, "3": {"prior": 0}, "4": {"prior": 0},
                          "5": {"prior": 0}, "6": {"prior": 0}}})",
         "項目「settings.*.prior」がすべて 0"},
        {R"({"settings": {"6": {"bbb": 1}}})", "項目「settings.6.bbb」は使えません"},
        {R"({"settings": {"6": {"small_wins": {"8": null, "15": null}}}})", "項目「settings.6.small_wins」は払出枚数"},
        {R"({"settings": {"6": {"small_wins": {"16": 50}}}})", "項目「settings.6.small_wins.16」：払出枚数は"},
        {R"({"settings": {"6": {"small_wins": {"x": 50}}}})", "項目「settings.6.small_wins.x」：払出枚数は"},
        {R"({"settings": {"6": {"small_wins": {"8": 0.9}}}})", "項目「settings.6.small_wins.8」は 1 より大きい"},
        {R"({"settings": {"6": {"small_wins": {"8": 1.01}}}})", "項目「settings.6.small_wins」の確率の合計"},
        {R"({"settings": {"4": {"small_wins": {"15": null}}}})",
         "項目「settings.4.small_wins」の払出枚数が設定１と違います"},
        {R"({"settings": {"1": {"small_wins": null}}})", "項目「settings.2.small_wins」の払出枚数が設定１と違います"},
    };
    for (const auto& [patch, expected] : cases) {
        json j = validProfile();
        j.merge_patch(json::parse(patch));
        const std::string error = errorOf(j.dump());
        EXPECT_NE(error.find(expected), std::string::npos) << patch << "\ngot: " << error << "\nwanted: " << expected;
    }
    // Text that is no JSON at all, or no profile, or a number beyond a double.
    EXPECT_NE(errorOf("{\"name\": ").find("JSON の書式が正しくありません"), std::string::npos);
    EXPECT_NE(errorOf("").find("JSON の書式"), std::string::npos);
    EXPECT_NE(errorOf("\"\xff\"").find("JSON の書式"), std::string::npos);
    EXPECT_NE(errorOf("[1, 2]").find("全体を { }"), std::string::npos);
    std::string text = validProfile().dump();
    text.replace(text.find("290"), 3, "1e999");
    EXPECT_EQ(errorOf(text), "JSON の数値が大きすぎます");
}

// validProfile() with two counters, ブドウ more frequent at higher settings.
json withCounters() {
    json j = validProfile();
    j["counters"] = {"ブドウ", "チェリー"};
    for (int k = 1; k <= 6; ++k)
        j["settings"][std::to_string(k)]["counters"] = {{"ブドウ", 7.0 - 0.1 * k}, {"チェリー", 36}};
    return j;
}

TEST(ProfileCounters, ReadInTheirOrderWithEachSettingsRates) {
    MachineProfile p;
    std::string error;
    ASSERT_TRUE(parseProfile(withCounters().dump(), p, error)) << error;
    EXPECT_EQ(p.counters, (std::vector<std::string>{"ブドウ", "チェリー"}));
    EXPECT_EQ(p.settings[5].counters, (std::vector<double>{6.4, 36.0}));
    // The order is the list's, not the settings' (which an object does not keep).
    json j = withCounters();
    j["counters"] = {"チェリー", "ブドウ"};
    ASSERT_TRUE(parseProfile(j.dump(), p, error)) << error;
    EXPECT_EQ(p.settings[0].counters, (std::vector<double>{36.0, 6.9}));
    // At the limits: eight counters, a name of sixteen characters.
    j = validProfile();
    const std::string longest = "設定示唆ＡＢＣＤＥＦＧＨＩＪＫＬ";
    j["counters"] = {"1", "2", "3", "4", "5", "6", "7", longest};
    for (auto& [k, s] : j["settings"].items())
        for (const auto& name : j["counters"]) s["counters"][name.get<std::string>()] = 1.5;
    ASSERT_TRUE(parseProfile(j.dump(), p, error)) << error;
    EXPECT_EQ(p.counters.size(), 8u);
    EXPECT_EQ(p.counters.back(), longest);
    // An empty list is no counters; so is a setting's empty object.
    j = validProfile();
    j["counters"] = json::array();
    j["settings"]["2"]["counters"] = json::object();
    ASSERT_TRUE(parseProfile(j.dump(), p, error)) << error;
    EXPECT_TRUE(p.counters.empty());
    EXPECT_TRUE(p.settings[1].counters.empty());
}

TEST(ProfileCounters, TheExampleCountsGrapesAndCherries) {
    const MachineProfile p = exampleProfile();
    ASSERT_EQ(p.counters, (std::vector<std::string>{"ブドウ", "チェリー"}));
    for (std::size_t k = 1; k < 6; ++k) {
        EXPECT_LT(p.settings[k].counters[0], p.settings[k - 1].counters[0]) << "ブドウ, setting " << k + 1;
        EXPECT_EQ(p.settings[k].counters[1], p.settings[0].counters[1]) << "チェリー, setting " << k + 1;
    }
}

TEST(ProfileCounters, EveryBadFieldIsNamed) {
    std::string nine = "[";
    for (int i = 1; i <= 9; ++i) nine += (i > 1 ? ", \"c" : "\"c") + std::to_string(i) + "\"";
    nine += "]";
    // A merge patch on withCounters() and the message it must give.
    const std::pair<std::string, const char*> cases[] = {
        {R"({"counters": "ブドウ"})", "項目「counters」は小役カウンターの名前の並び"},
        {R"({"counters": {"ブドウ": 1}})", "項目「counters」は小役カウンターの名前の並び"},
        {"{\"counters\": " + nine + "}", "項目「counters」は 8 個までにして下さい"},
        {R"({"counters": ["ブドウ", 2]})", "項目「counters.2」は名前（文字列）"},
        {R"({"counters": [""]})", "項目「counters.1」は 1 文字から 16 文字まで"},
        {R"({"counters": ["設定示唆ＡＢＣＤＥＦＧＨＩＪＫＬＭ"]})", "項目「counters.1」は 1 文字から 16 文字まで"},
        {R"({"counters": ["ブド\nウ"]})", "項目「counters.1」は 1 文字から 16 文字まで"},
        {R"({"counters": ["ブドウ", "チェリー", "ブドウ"]})", "項目「counters.3」の名前「ブドウ」は前にもあります"},
        {R"({"settings": {"4": {"counters": null}}})", "項目「settings.4.counters」がありません"},
        {R"({"settings": {"4": {"counters": [6.5, 36]}}})", "項目「settings.4.counters」は名前と確率の組"},
        {R"({"settings": {"4": {"counters": {"ブドウ": null}}}})", "項目「settings.4.counters.ブドウ」がありません"},
        {R"({"settings": {"4": {"counters": {"チェリー": "1/36"}}}})", "項目「settings.4.counters.チェリー」は数値に"},
        {R"({"settings": {"4": {"counters": {"ブドウ": 1}}}})", "項目「settings.4.counters.ブドウ」は 1 より大きい"},
        {R"({"settings": {"4": {"counters": {"スイカ": 80}}}})",
         "項目「settings.4.counters.スイカ」は項目「counters」にない名前です"},
        // Counters of settings need the list, and its names.
        {R"({"counters": null})", "項目「settings.1.counters.チェリー」は項目「counters」にない名前です"},
        {R"({"counters": ["ブドウ"]})", "項目「settings.1.counters.チェリー」は項目「counters」にない名前です"},
        {R"({"countres": []})", "項目「countres」は使えません"},
    };
    for (const auto& [patch, expected] : cases) {
        json j = withCounters();
        j.merge_patch(json::parse(patch));
        const std::string error = errorOf(j.dump());
        EXPECT_NE(error.find(expected), std::string::npos) << patch << "\ngot: " << error << "\nwanted: " << expected;
    }
}

TEST(MachineProfile, FolderListingKeepsBadFilesWithTheirMessage) {
    EXPECT_EQ(listProfiles("").size(), 1u);
    EXPECT_EQ(listProfiles("/nonexistent/tobrak").size(), 1u);
    TempDir dir("profiles");
    dir.write("b-good.json", validProfile().dump());
    dir.write("a-bad.JSON", "{\"name\": \"壊れた機種\"}");
    dir.write("notes.txt", "not a profile");
    std::filesystem::create_directories(dir.path / "sub.json");
    const auto slots = listProfiles(dir.path.string());
    ASSERT_EQ(slots.size(), 4u);
    EXPECT_TRUE(slots[0].path.empty());
    EXPECT_EQ(slots[0].label, exampleProfile().name);
    EXPECT_EQ(slots[1].label, "a-bad.JSON（エラー）");
    EXPECT_FALSE(slots[1].profile);
    EXPECT_EQ(slots[1].error, "項目「settings」がありません");
    EXPECT_EQ(slots[2].label, "テスト機");
    ASSERT_TRUE(slots[2].profile);
    EXPECT_EQ(slots[3].error, "ファイルが読めません");  // a folder named like a profile

    MachineProfile p;
    std::string error;
    EXPECT_FALSE(loadProfileFile((dir.path / "missing.json").string(), p, error));
    EXPECT_EQ(error, "ファイルが読めません");
    dir.write("huge.json", std::string(2 << 20, ' '));
    EXPECT_FALSE(loadProfileFile((dir.path / "huge.json").string(), p, error));
    EXPECT_EQ(error, "ファイルが大きすぎます");
}

TEST(MachineProfile, UserFolder) {
    EXPECT_EQ(profileDirFrom("/x/cfg", "/home/u", nullptr), "/x/cfg/tobrak/profiles");
    EXPECT_EQ(profileDirFrom("relative", "/home/u", nullptr), "/home/u/.config/tobrak/profiles");
    EXPECT_EQ(profileDirFrom(nullptr, "/home/u", nullptr), "/home/u/.config/tobrak/profiles");
    EXPECT_EQ(profileDirFrom(nullptr, nullptr, "C:\\Users\\u\\AppData\\Roaming"),
              "C:\\Users\\u\\AppData\\Roaming\\tobrak\\profiles");
    EXPECT_EQ(profileDirFrom(nullptr, "", nullptr), "");
}

}  // namespace
}  // namespace tobrak::test
