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
