#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "analysis/machine_profile.h"
#include "cli.h"
#include "record/slt_file.h"

namespace tobrak {
namespace {

using nlohmann::json;
namespace fs = std::filesystem;

struct Result {
    int status;
    std::string out, err;
    json j() const { return json::parse(out); }
};

Result cli(std::vector<std::string> args) {
    std::istringstream in;
    std::ostringstream out, err;
    const int st = cli::run(args, in, out, err);
    return {st, out.str(), err.str()};
}

// A play-data file of the given game bytes, removed with the fixture.
struct Files {
    ~Files() {
        for (const auto& p : made) fs::remove(p);
    }
    std::string slt(const std::string& name, const std::vector<std::uint8_t>& games) {
        PlayRecord r;
        for (auto b : games) r.Dat_Buf[r.Dat_Len++] = b;
        const auto p = path(name);
        EXPECT_EQ(writeFileBytes(p, encodeSlt(r)), SltStatus::Ok);
        return p;
    }
    std::string text(const std::string& name, const std::string& content) {
        const auto p = path(name);
        std::ofstream(p, std::ios::binary) << content;
        return p;
    }
    std::string path(const std::string& name) {
        made.push_back(fs::temp_directory_path() / ("tobrak_cli_history_" + name));
        return made.back().string();
    }
    std::vector<fs::path> made;
};

// normal x3, BB x2, normal x2, RB x1, BB x1 straight after it, normal x1
const std::vector<std::uint8_t> kGames = {0x30, 0x30, 0x38, 0xBF, 0xBF, 0x30, 0x32, 0x5F, 0xBF, 0x30};

TEST(CliHistory, TableProbabilitiesAndTheWindowTexts) {
    Files f;
    const auto r = cli({"history", f.slt("a.slt", kGames)});
    ASSERT_EQ(r.status, 0) << r.err;
    const json j = r.j();
    EXPECT_EQ(j["games"], 10);
    EXPECT_EQ(j["normal_games"], 6);
    EXPECT_EQ(j["probability"]["normal"]["bb"], "1/3.0");
    EXPECT_EQ(j["probability"]["all"]["combined"], "1/3.3");
    EXPECT_EQ(j["lines"][1], "通常ゲーム 6Ｇ中　ＢＢ 1/3.0　ＲＢ 1/6.0　合成 1/2.0");
    ASSERT_EQ(j["bonuses"].size(), 3u);
    EXPECT_EQ(j["bonuses"][1], json::parse(R"({"number": 2, "kind": "RB", "interval": 2, "kind_interval": 5,
        "games_at_hit": 7, "normal_games_at_hit": 5, "games": 1, "net": 14, "chained": false, "running": false})"));
    EXPECT_EQ(j["bonuses"][2]["chained"], true);
    EXPECT_EQ(j["rows"][2], json({"3", "ＢＢ", "0", "8", "1", "12", ""}));
    EXPECT_EQ(j["header"].size(), j["rows"][0].size());
    // The same intervals as the combined interval chart counts.
    const json h = cli({"hist", f.made[0].string()}).j();
    EXPECT_EQ(h["0"]["counts"], json({{"2", 1}, {"3", 1}}));
}

TEST(CliHistory, EstimateWithTheExampleAndWithAProfileFile) {
    Files f;
    const auto slt = f.slt("b.slt", kGames);
    auto r = cli({"estimate", slt});
    ASSERT_EQ(r.status, 0) << r.err;
    json j = r.j();
    EXPECT_EQ(j["profile"], exampleProfile().name);
    ASSERT_EQ(j["posterior"].size(), 6u);
    double sum = 0;
    for (const auto& p : j["posterior"]) sum += p["probability"].get<double>();
    EXPECT_NEAR(sum, 1.0, 1e-12);
    EXPECT_EQ(j["too_few"], true);
    EXPECT_EQ(j["small_win_games"], 3);  // 3 normal games before the BB's hit game, one before the RB
    EXPECT_EQ(j["lines"]["reliability"], "データ不足　通常ゲームが1000Ｇに足りません");

    // Settings 2..6 ruled out: setting 1 is certain, even when that is no clear answer yet.
    json profile = json::parse(kExampleProfileJson);
    for (int k = 2; k <= 6; ++k) profile["settings"][std::to_string(k)]["prior"] = 0;
    r = cli({"estimate", slt, "--profile", f.text("p.json", profile.dump())});
    ASSERT_EQ(r.status, 0) << r.err;
    j = r.j();
    EXPECT_EQ(j["posterior"][0]["percent"], "100.0％");
    EXPECT_EQ(j["likeliest"], 1);
    EXPECT_NEAR(j["expected_payout"].get<double>(), 97.0, 1e-9);
}

TEST(CliHistory, BadProfilesAndBadArguments) {
    Files f;
    const auto slt = f.slt("c.slt", kGames);
    auto r = cli({"estimate", slt, "--profile", f.text("bad.json", R"({"name": "x", "settings": {"1": {}}})")});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err.rfind("機種データ・エラーです！\n項目「settings.1.bb」がありません\nbad machine profile ", 0), 0u)
        << r.err;
    r = cli({"estimate", slt, "--profile", f.path("missing.json")});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("ファイルが読めません"), std::string::npos);
    // A bad play-data file gets the window's message.
    r = cli({"history", f.text("short.slt", "abc")});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err.rfind("ファイル・エラーです！\n", 0), 0u);
    EXPECT_EQ(cli({"estimate", f.path("none.slt")}).status, 1);

    EXPECT_EQ(cli({"history"}).status, 2);
    EXPECT_EQ(cli({"history", slt, "x.slt"}).status, 2);
    EXPECT_EQ(cli({"estimate"}).status, 2);
    EXPECT_EQ(cli({"estimate", slt, "--profile"}).status, 2);
    EXPECT_EQ(cli({"estimate", slt, "--prior", "x"}).status, 2);
    EXPECT_EQ(cli({"export", slt}).status, 2);
    EXPECT_EQ(cli({"export", slt, "--csv", "a.csv", "--csv", "b.csv"}).status, 2);
}

TEST(CliExport, OneLinePerGameAndTheFinalBalance) {
    Files f;
    const auto slt = f.slt("d.slt", kGames), csv = f.path("d.csv");
    auto r = cli({"export", slt, "--csv", csv});
    ASSERT_EQ(r.status, 0) << r.err;
    std::ifstream in(csv);
    std::vector<std::string> lines;
    for (std::string l; std::getline(in, l);) lines.push_back(l);
    ASSERT_EQ(lines.size(), kGames.size() + 1);
    EXPECT_EQ(lines[0], "game,state,in,out,balance,bonus");
    EXPECT_EQ(lines[8], "8,RB,1,15,33,2");
    EXPECT_EQ(lines[9], "9,BB,3,15,45,3");
    // The balance agrees with the panel's difference of the same file.
    const json s = cli({"stats", slt}).j();
    EXPECT_EQ(lines.back(), "10,normal,3,0," + s["pages"][0][7].get<std::string>() + ",");

    r = cli({"export", slt, "--csv", "/nonexistent-dir/x.csv"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "ファイル・エラーです！\ncannot write /nonexistent-dir/x.csv: No such file or directory\n");
}

}  // namespace
}  // namespace tobrak
