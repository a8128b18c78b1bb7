#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <nlohmann/json.hpp>

#include "app/version.h"
#include "cli.h"
#include "counts/machine_profile.h"
#include "record/journal.h"
#include "record/slt_file.h"
#include "rig.h"

namespace tobrak::test {
namespace {

using nlohmann::json;

struct Result {
    int status;
    std::string out, err;
    json j() const { return json::parse(out); }
};

Result cli(std::vector<std::string> args, const std::string& input = "") {
    std::istringstream in(input);
    std::ostringstream out, err;
    const int st = cli::run(args, in, out, err);
    return {st, out.str(), err.str()};
}

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);) out.push_back(l);
    return out;
}

class Cli : public ::testing::Test {
protected:
    std::string path(const std::string& name) const { return (dir.path / name).string(); }
    // A play-data file of what `feed` records from `stream`.
    std::string fed(const std::string& name, const std::string& stream) {
        const auto r = cli({"feed", "--save", path(name)}, stream);
        EXPECT_EQ(r.status, 0) << r.err;
        return path(name);
    }
    std::string slt(const std::string& name, const Bytes& games) {
        EXPECT_EQ(writeFileBytes(path(name), encodeSlt(recordOf(games))), SltStatus::Ok);
        return path(name);
    }
    TempDir dir{"cli"};
};

TEST(CliFeed, EmptyStreamIsTheStartUpState) {
    const json j = cli({"feed"}).j();
    EXPECT_EQ(j["Dat_Len"], 48);
    EXPECT_EQ(j["Label1"]["caption"], " 　ゲーム不可");
    EXPECT_EQ(j["counters"].size(), 41u + 4u);
    ASSERT_EQ(j["pages"].size(), 3u);
    EXPECT_EQ(j["pages"][0][6], "0.00");
}

// The stream: hex codes and comments, "--" a failed read, "tick" a blink step.
TEST(CliFeed, CodesFailedReadsAndTicks) {
    const auto r = cli({"feed"},
                       "# a normal game, eight medals, then the next game\n"
                       "03 10 10 10 10 10 10 10 10\n"
                       "47 02   # idle, then a game with two medals bet\n"
                       "--\n");
    ASSERT_EQ(r.status, 0) << r.err;
    json j = r.j();
    EXPECT_EQ(j["record"], "3820");
    EXPECT_EQ(j["Ghp_Pos"], 50);
    EXPECT_EQ(j["Usb_Dat"], 2);  // a failed read leaves the byte
    EXPECT_EQ(j["Label1"]["back"], "FFFF00");
    EXPECT_EQ(j["Label12"], " II");
    EXPECT_EQ(j["acks"], 10);
    EXPECT_EQ(j["pages"][0][6], "160.00");
    // A BB of one game: a tick shows its gain; the game that ends it and one more tick stop the blink.
    const std::string bb = "03 19 0b 10 10 10 10 10 10 10 10 10 10 10 10 10 10 10 tick";
    j = cli({"feed"}, bb).j();
    EXPECT_EQ(j["Label14"]["caption"], "12 ");
    EXPECT_EQ(j["Timer8"], true);
    j = cli({"feed"}, bb + " 03 tick").j();
    EXPECT_EQ(j["Timer8"], false);
    EXPECT_EQ(j["counters"]["BB_GainMax"], 12);
}

// The bytes are the I/O board's port: bit 6 high is nothing new, bits 5 and 7 are not of the code.
TEST(CliFeed, PortBitsBesideTheCode) {
    const json j = cli({"feed"}, "03 30 b0 f3 ff 7f").j();
    EXPECT_EQ(j["record"], "32");
    EXPECT_EQ(j["acks"], 3);
    EXPECT_EQ(j["Usb_Dat"], 0x7F);  // an idle read is kept as it was read
    EXPECT_EQ(j["Label12"], " III･･");
}

TEST(CliFeed, BadInputAndUsage) {
    const auto tok = cli({"feed"}, "03\n0x3\n");
    EXPECT_EQ(tok.status, 1);
    EXPECT_NE(tok.err.find("line 2"), std::string::npos);
    const auto bad = cli({"feed", "--save", "/nonexistent-dir/x.slt"}, "03");
    EXPECT_EQ(bad.status, 1);
    EXPECT_NE(bad.err.find("ファイル・エラーです！"), std::string::npos);
    for (std::vector<std::string> args :
         {std::vector<std::string>{"feed", "--bogus"}, {"feed", "--save"}, {}, {"nope"}})
        EXPECT_EQ(cli(args).status, 2);
}

TEST(CliParser, VersionAndEveryCommandsHelp) {
    auto r = cli({"--version"});
    EXPECT_EQ(r.out, std::string("tobrak-cli ") + kVersion + "\n");
    for (std::vector<std::string> args : {std::vector<std::string>{"feed"}, {"journal"}, {"trace", "zoom"}}) {
        std::string name = "tobrak-cli";
        for (const auto& a : args) name += " " + a;
        args.push_back("--help");
        r = cli(args);
        EXPECT_EQ(r.status, 0) << name;
        EXPECT_NE(r.out.find("Usage: " + name + " [OPTIONS]"), std::string::npos) << r.out;
    }
}

// Each game's time as the journal holds it, null where it holds none.
TEST_F(Cli, JournalListsTheGamesTimes) {
    const GameTimes times{WallTime{1796817845120, 540}, std::nullopt, WallTime{-1, -90}};
    ASSERT_TRUE(Journal::open(path("j"))->begin(recordOf({3, 3, 3}), 0, times));  // left as by a crash
    const auto r = cli({"journal", path("j")});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, R"({"format":1,"games":3,"times":["2026-12-09T21:04:05.120+09:00",null,)"
                     R"("1969-12-31T22:29:59.999-01:30"],"counts":[]})"
                     "\n");
}

TEST(CliParser, DashIsStandardInputAndOutput) {
    // The record to stdout, the report to stderr.
    const auto saved = cli({"feed", "--save", "-"}, "03 10 10 10 0b -- 10");
    ASSERT_EQ(saved.status, 0) << saved.err;
    EXPECT_EQ(json::parse(saved.err)["record"], "33b1");
    ASSERT_EQ(saved.out.size(), 50u);
    EXPECT_EQ(static_cast<unsigned char>(saved.out[43]), 0x0B);  // the display options in force
    EXPECT_EQ(static_cast<unsigned char>(saved.out[48]), 0x33 ^ 0xB7);

    auto r = cli({"stats", "-"}, saved.out);
    EXPECT_EQ(r.j()["games"], 2);
    r = cli({"export", "-", "--csv", "-"}, saved.out);
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 1 + 2);  // the header and two games
    EXPECT_EQ(cli({"render", "-", "--png", "-"}, saved.out).out.substr(1, 3), "PNG");
    r = cli({"print", "-", "--pdf", "-"}, saved.out);
    EXPECT_EQ(r.out.rfind("%PDF-", 0), 0u);
    EXPECT_NE(r.out.find("%%EOF"), std::string::npos);

    r = cli({"stats", "-"}, std::string(31050, '\0'));
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "データサイズは31000ゲームまでです！\ncannot load standard input\n");
}

TEST(CliParser, FiguresPrintTheShortestTextOfTheFloat) {
    // 6 medals in, 1 out: a payout rate of 100/6, which a float holds only approximately.
    const auto r = cli({"stats", "-"}, cli({"feed", "--save", "-"}, "03 10 03").out);
    EXPECT_NE(r.out.find("\"Payout_Rate\": 16.666666,"), std::string::npos) << r.out;
}

TEST_F(Cli, ExpectedLineOfTheTraceAndItsProfile) {
    const std::string f = slt("flat.slt", runs({{0x30, 1000}}));  // 3000 medals in, none out
    auto yellow = [](const std::string& trace) {
        std::vector<std::string> out;
        for (const std::string& l : linesOf(trace))
            if (l.ends_with(" FFFF00")) out.push_back(l);
        return out;
    };
    const auto plain = cli({"trace", "graph", f});
    ASSERT_EQ(plain.status, 0) << plain.err;
    EXPECT_TRUE(yellow(plain.out).empty());
    // Setting 1 of the example pays 97 %: -90 medals at 3000 in, 90 twips below the zero line.
    const auto one = cli({"trace", "graph", f, "--expected-line", "1"});
    ASSERT_EQ(one.status, 0) << one.err;
    ASSERT_FALSE(yellow(one.out).empty());
    EXPECT_TRUE(yellow(one.out).back().ends_with(" 3630.00 2810.00 FFFF00")) << yellow(one.out).back();

    // --profile's setting 3 pays 110 %: +300 medals, 300 twips above the zero line.
    json profile = json::parse(kExampleProfileJson);
    profile["settings"]["3"]["payout"] = 110;
    dir.write("own.json", profile.dump());
    const auto own = cli({"trace", "graph", f, "--profile", path("own.json"), "--expected-line", "3"});
    EXPECT_TRUE(yellow(own.out).back().ends_with(" 3630.00 2420.00 FFFF00")) << own.err;

    EXPECT_NE(cli({"trace", "graph", f, "--expected-line", "7"}).status, 0);
    const auto missing = cli({"render", f, "--png", path("g.png"), "--expected-line", "--profile", path("none.json")});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("bad machine profile"), std::string::npos) << missing.err;
    EXPECT_FALSE(std::filesystem::exists(path("g.png")));
}

TEST_F(Cli, StatsOfAFileAndFeedingOnFromIt) {
    // Three normal games, a BB of two games, a normal game that closes it.
    const auto file = fed("s.slt", "03 10 03 01 10 10 19 0b 10 10 10 10 10 0b 10 10 10 10 10 03");
    const json j = cli({"stats", file}).j();
    EXPECT_EQ(j["games"], 6);
    EXPECT_EQ(j["markers"]["Mark_RBe"], true);
    EXPECT_NEAR(j["figures"]["BB_IntvAvg"].get<double>(), 4.0, 1e-6);
    EXPECT_EQ(j["pages"][1][4], "4.00");

    const auto more = cli({"feed", "--load", file}, "03 10");
    EXPECT_EQ(more.j()["record"], "313012b5b53031");
    EXPECT_EQ(more.j()["Ghp_Pos"], 55);  // the first new game draws nothing
}

TEST_F(Cli, BadFilesAreReportedWithTheWindowsMessages) {
    auto r = cli({"stats", path("missing.slt")});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err.rfind("ファイル・エラーです！\n", 0), 0u);
    EXPECT_EQ(cli({"feed", "--load", path("missing.slt")}).status, 1);
    EXPECT_EQ(cli({"stats", "a.slt", "b.slt"}).status, 2);
}

TEST_F(Cli, TraceGraphWithAndWithoutScroll) {
    const auto file = fed("g.slt", "03 10 03 10 03 10 03 10 03 10");  // five games paying 1: one segment
    auto ops = linesOf(cli({"trace", "graph", file}).out);
    ASSERT_EQ(ops.size(), 1u + kGridLines + 3u + 2u + 182u + 1u + 1u);  // cls, grid, widths, fonts, labels, dot, line
    EXPECT_EQ(ops[0], "cls");
    EXPECT_EQ(ops.back(), "line 630.00 2720.00 645.00 2730.00 FFFFFF");
    const auto r = cli({"trace", "graph", file, "--scroll", "1000"});
    EXPECT_NE(r.out.find("text 390.00 30.00 \" 1000 \""), std::string::npos);
    EXPECT_NE(r.out.find("line -370.00 2720.00 -355.00 2730.00 FFFFFF"), std::string::npos);
    EXPECT_EQ(cli({"trace", "graph", file, "--scroll", "500"}).status, 2);
    EXPECT_EQ(cli({"trace", "bogus", file}).status, 2);
}

TEST_F(Cli, TraceZoomAtAFactorAndCentre) {
    const auto file = fed("z.slt", "03 03 03 03 03 03");
    auto ops = linesOf(cli({"trace", "zoom", file, "--factor", "5"}).out);
    // The magnified grid from the frame at the origin, the start point, then a point every 3 medals at x5.
    ASSERT_EQ(ops.size(), 1u + kGridLines + 3u + 1u + 6u);
    EXPECT_EQ(ops[ops.size() - 7], "pset 60.00 2560.00 FFFFFF");
    EXPECT_EQ(ops.back(), "line 135.00 2635.00 150.00 2650.00 FFFFFF");
    // Frame 500 square around (2000, 3000): Ox (1750 - 630) x 10, Oy (2750 - 220) x 10.
    const auto r = cli({"trace", "zoom", file, "--factor", "10", "--center", "2000,3000"});
    EXPECT_NE(r.out.find("pset -11140.00 -240.00 FFFFFF"), std::string::npos);
    EXPECT_EQ(cli({"trace", "zoom", file, "--factor", "4"}).status, 2);
    EXPECT_EQ(cli({"trace", "zoom", file, "--factor", "3", "--center", "12"}).status, 2);
}

TEST_F(Cli, HistKoyakuAndTheChartTrace) {
    // 2 normal games paying 0 and 2, a BB of two games (+12 each), 3 normal games.
    const auto file = slt("h.slt", runs({{0x30, 1}, {0x32, 1}, {0xBF, 2}, {0x30, 3}}));
    json j = cli({"hist", file, "--within", "1"}).j();
    ASSERT_EQ(j.size(), 1u + 7u);  // the format and the seven charts
    EXPECT_EQ(j["0"]["within"], json({" 0回", "0.00％"}));
    EXPECT_EQ(j["3"]["counts"], json({{"24", 1}}));
    EXPECT_EQ(j["3"]["avg_text"], "平均24.00");
    EXPECT_EQ(j["3"]["count_labels"], json({"2", "4", "6", "8", "10", "（回）"}));
    EXPECT_FALSE(j["4"].contains("within"));
    EXPECT_EQ(j["7"]["avg_text"], "平均0.00");  // a BB has ended: the marker is on every chart
    EXPECT_EQ(cli({"hist", file, "--within", "0"}).status, 2);

    EXPECT_EQ(cli({"koyaku", file}).j()["bb"][15], "100.00 ％");  // the table itself is the analysis test's

    const auto r = cli({"trace", "hist", file, "3"});
    EXPECT_EQ(r.out.rfind("cls\n", 0), 0u);
    EXPECT_NE(r.out.find("box 3031.00 5219.00 3131.00 4720.00 000000 FF0000"), std::string::npos);
    EXPECT_EQ(cli({"trace", "hist", file, "5"}).status, 2);
}

TEST_F(Cli, PrintPdfRenderPngAndThePrintTrace) {
    const auto file = fed("p.slt", "03 10 03 03 19 0b 10 10 03");
    ASSERT_EQ(cli({"print", file, "--pdf", path("p.pdf"), "--page", "1"}).status, 0);
    const std::string body = dir.read("p.pdf");
    EXPECT_NE(body.find("/Count 1"), std::string::npos);
    EXPECT_NE(body.find("/MediaBox [0 0 842.000000 595.000000]"), std::string::npos) << "A4 landscape";

    const auto r = cli({"trace", "print", file, "--page", "2"});
    EXPECT_EQ(r.out.rfind("width 1\nfont 9.00 000000\ntext 630.00 60.00 \"   ＲＢ回数\"\n", 0), 0u);
    EXPECT_NE(r.out.find("pset 630.00 3050.00 000000"), std::string::npos);
    EXPECT_EQ(cli({"print", file}).status, 2);
    EXPECT_EQ(cli({"print", file, "--pdf", path("p.pdf"), "--page", "3"}).status, 2);
    EXPECT_EQ(cli({"print", file, "--pdf", path("no/such/x.pdf")}).status, 1);
    EXPECT_EQ(cli({"render", file}).status, 2);
    EXPECT_EQ(cli({"render", file, "--png", path("no/such/x.png")}).status, 1);
}

TEST(CliSimulate, FastRunRecordsTheRequestedGames) {
    const auto r = cli({"simulate", "--fast", "--games", "300", "--seed", "4", "--speed", "50"});
    ASSERT_EQ(r.status, 0) << r.err;
    const json j = json::parse(r.out.substr(r.out.rfind("\n{") + 1));
    EXPECT_EQ(j["counters"]["Game_Cnt"], 300);
    EXPECT_NE(r.out.find("ゲームＯＫ"), std::string::npos);
    EXPECT_EQ(cli({"simulate", "--speed", "0"}).status, 2);
}

// normal x3, BB x2, normal x2, RB x1, BB x1 straight after it, normal x1
const Bytes kGames = {0x30, 0x30, 0x38, 0xBF, 0xBF, 0x30, 0x32, 0x5F, 0xBF, 0x30};

TEST_F(Cli, HistoryTableProbabilitiesAndTheWindowTexts) {
    const auto file = slt("a.slt", kGames);
    const json j = cli({"history", file}).j();
    EXPECT_EQ(j["normal_games"], 6);
    EXPECT_EQ(j["probability"]["all"]["combined"], "1/3.3");
    ASSERT_EQ(j["bonuses"].size(), 3u);
    EXPECT_EQ(j["bonuses"][1], json::parse(R"({"number": 2, "kind": "RB", "interval": 2, "kind_interval": 5,
        "games_at_hit": 7, "normal_games_at_hit": 5, "games": 1, "net": 14, "chained": false, "running": false})"));
    EXPECT_EQ(j["rows"][2], json({"3", "ＢＢ", "", "0", "8", "1", "12", ""}));  // a file keeps no times
    // The same intervals as the combined interval chart counts.
    EXPECT_EQ(cli({"hist", file}).j()["0"]["counts"], json({{"2", 1}, {"3", 1}}));
}

TEST_F(Cli, EstimateWithTheExampleAndWithAProfileFile) {
    const auto file = slt("b.slt", kGames);
    json j = cli({"estimate", file}).j();
    EXPECT_EQ(j["profile"], exampleProfile().name);
    ASSERT_EQ(j["posterior"].size(), 6u);
    EXPECT_EQ(j["small_win_games"], 3);  // 3 normal games before the BB's hit game, one before the RB
    EXPECT_EQ(j["lines"]["reliability"], "データ不足　通常ゲームが1000Ｇに足りません");

    // Settings 2..6 ruled out: setting 1 is certain, even when that is no clear answer yet.
    json profile = json::parse(kExampleProfileJson);
    for (int k = 2; k <= 6; ++k) profile["settings"][std::to_string(k)]["prior"] = 0;
    dir.write("p.json", profile.dump());
    j = cli({"estimate", file, "--profile", path("p.json")}).j();
    EXPECT_EQ(j["posterior"][0]["percent"], "100.0％");
    EXPECT_NEAR(j["expected_payout"].get<double>(), 97.0, 1e-9);
}

TEST_F(Cli, CountsOnTheCommandLine) {
    const auto file = slt("e.slt", kGames);  // 6 normal games
    auto r = cli({"estimate", file, "--count", "ブドウ=2", "--count", "チェリー=0"});
    ASSERT_EQ(r.status, 0) << r.err;
    json j = r.j();
    ASSERT_EQ(j["counters"].size(), 2u);
    EXPECT_EQ(j["counters"][0]["name"], "ブドウ");
    EXPECT_EQ(j["counters"][0]["count"], 2);
    EXPECT_EQ(j["counters"][0]["games_per_hit"], 3.0);
    EXPECT_EQ(j["counters"][1]["games_per_hit"], nullptr);
    EXPECT_EQ(j["counters"][0]["rates"][5], exampleProfile().settings[5].counters[0]);
    // The shift is the posterior less the one without the counter (the arithmetic is the estimate's test).
    EXPECT_NEAR(j["counters"][0]["shift"][5].get<double>(),
                j["posterior"][5]["probability"].get<double>() - j["counters"][0]["posterior_without"][5].get<double>(),
                1e-15);
    ASSERT_EQ(j["lines"]["counters"].size(), 2u);
    EXPECT_EQ(j["lines"]["counters"][0].get<std::string>().rfind("ブドウ 2回 1/3.0　設定", 0), 0u);
    // Without counts: the counts of the file alone, as before.
    const json bare = cli({"estimate", file}).j();
    EXPECT_EQ(bare["counters"], json::array());
    EXPECT_EQ(bare["lines"]["counters"], json::array());
    EXPECT_NE(bare["posterior"], j["posterior"]);
    EXPECT_NEAR(cli({"estimate", file, "--count", "ブドウ=2"}).j()["counters"][0]["posterior_without"][5].get<double>(),
                bare["posterior"][5]["probability"].get<double>(), 1e-15);

    // history gives the same estimate with --count or --profile, and none without either;
    // a --count takes one value, so the file may follow it.
    j = cli({"history", "--count", "ブドウ=2", file, "--count", "チェリー=0"}).j();
    json alone = cli({"estimate", file, "--count", "ブドウ=2", "--count", "チェリー=0"}).j();
    alone.erase("format");
    EXPECT_EQ(j["estimate"], alone);
    EXPECT_EQ(j["bonuses"].size(), 3u);
    EXPECT_FALSE(cli({"history", file}).j().contains("estimate"));

    // A name the profile has not: status 1, with the counters it has.
    r = cli({"estimate", file, "--count", "スイカ=3"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err,
              "小役カウンター「スイカ」は機種データ「汎用サンプル機（例）」にありません\n"
              "unknown counter スイカ: the profile's counters are ブドウ, チェリー\n");
    json profile = json::parse(kExampleProfileJson);
    profile.erase("counters");
    for (auto& [k, s] : profile["settings"].items()) s.erase("counters");
    dir.write("none.json", profile.dump());
    r = cli({"history", file, "--profile", path("none.json"), "--count", "ブドウ=3"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("unknown counter ブドウ: the profile has no counters\n"), std::string::npos) << r.err;
    // Malformed, or the same counter twice: a usage error.
    for (const char* bad : {"ブドウ", "=3", "ブドウ=", "ブドウ=-1", "ブドウ=x", "ブドウ=1.5", "ブドウ=1234567890"}) {
        r = cli({"estimate", file, "--count", bad});
        EXPECT_EQ(r.status, 2) << bad;
        EXPECT_NE(r.err.find("--count takes NAME=N"), std::string::npos) << bad << ": " << r.err;
    }
    EXPECT_EQ(cli({"estimate", file, "--count"}).status, 2);
    r = cli({"history", file, "--count", "ブドウ=1", "--count", "ブドウ=2"});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "tobrak-cli: --count ブドウ is given twice\n");
    // The largest count is taken, and the name is everything before the last '='.
    EXPECT_EQ(cli({"estimate", file, "--count", "ブドウ=999999999"}).j()["counters"][0]["count"], 999999999);
    EXPECT_NE(cli({"estimate", file, "--count", "a=b=1"}).err.find("unknown counter a=b:"), std::string::npos);
}

TEST_F(Cli, BadProfilesAndBadArguments) {
    const auto file = slt("c.slt", kGames);
    dir.write("bad.json", R"({"name": "x", "settings": {"1": {}}})");
    auto r = cli({"estimate", file, "--profile", path("bad.json")});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err.rfind("機種データ・エラーです！\n項目「settings.1.bb」がありません\nbad machine profile ", 0), 0u)
        << r.err;
    r = cli({"estimate", file, "--profile", path("missing.json")});
    EXPECT_NE(r.err.find("ファイルが読めません"), std::string::npos);
    dir.write("short.slt", "abc");
    r = cli({"history", path("short.slt")});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err.rfind("ファイル・エラーです！\n", 0), 0u);
    for (std::vector<std::string> args : {std::vector<std::string>{"history", file, "x.slt"},
                                          {"estimate", file, "--prior", "x"},
                                          {"export", file},
                                          {"export", file, "--csv", "a.csv", "--csv", "b.csv"}})
        EXPECT_EQ(cli(args).status, 2);
}

TEST_F(Cli, ExportOneLinePerGameAndTheFinalBalance) {
    const auto file = slt("d.slt", kGames);
    ASSERT_EQ(cli({"export", file, "--csv", path("d.csv")}).status, 0);
    const auto lines = linesOf(dir.read("d.csv"));
    ASSERT_EQ(lines.size(), kGames.size() + 1);
    EXPECT_EQ(lines[0], "game,state,in,out,balance,bonus");
    EXPECT_EQ(lines[8], "8,RB,1,15,33,2");
    // The balance agrees with the panel's difference of the same file.
    const json s = cli({"stats", file}).j();
    EXPECT_EQ(lines.back(), "10,normal,3,0," + s["pages"][0][7].get<std::string>() + ",");
    const auto r = cli({"export", file, "--csv", "/nonexistent-dir/x.csv"});
    EXPECT_EQ(r.err, "ファイル・エラーです！\ncannot write /nonexistent-dir/x.csv: No such file or directory\n");
}

}  // namespace
}  // namespace tobrak::test
