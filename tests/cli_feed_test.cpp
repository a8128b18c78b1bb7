#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <nlohmann/json.hpp>

#include "app/version.h"
#include "cli.h"
#include "record/slt_file.h"

namespace tobrak {
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

TEST(CliFeed, EmptyStreamIsTheStartUpState) {
    const auto r = cli({"feed"});
    ASSERT_EQ(r.status, 0) << r.err;
    const json j = r.j();
    EXPECT_EQ(j["record"], "");
    EXPECT_EQ(j["Dat_Len"], 48);
    EXPECT_EQ(j["Ghp_Pos"], 49);
    EXPECT_EQ(j["Usb_On"], false);
    EXPECT_EQ(j["Label1"]["caption"], " 　ゲーム不可");
    EXPECT_EQ(j["Label14"]["visible"], false);
    EXPECT_EQ(j["Timer8"], false);
    EXPECT_EQ(j["acks"], 0);
    EXPECT_EQ(j["full_messages"], 0);
    EXPECT_EQ(j["counters"]["BB_IntvMin"], 9999);
    EXPECT_EQ(j["counters"]["BBGame_On"], false);
    EXPECT_EQ(j["counters"].size(), 41u + 4u);
    ASSERT_EQ(j["pages"].size(), 3u);
    EXPECT_EQ(j["pages"][0][6], "0.00");
    EXPECT_EQ(j["pages"][1][1], "0.00");
}

TEST(CliFeed, GamesPayoutsAndAFailedRead) {
    const auto r = cli({"feed"},
                       "# a normal game, eight medals, then the next game\n"
                       "03 10 10 10 10 10 10 10 10\n"
                       "47 02   # idle, then a game with two medals bet\n"
                       "--\n");
    ASSERT_EQ(r.status, 0) << r.err;
    const json j = r.j();
    EXPECT_EQ(j["record"], "3820");
    EXPECT_EQ(j["Dat_Len"], 50);
    EXPECT_EQ(j["Ghp_Pos"], 50);
    EXPECT_EQ(j["Usb_Dat"], 2);  // a failed read leaves the byte
    EXPECT_EQ(j["Usb_On"], false);
    EXPECT_EQ(j["Label1"]["caption"], " 　ゲーム不可");
    EXPECT_EQ(j["Label1"]["back"], "FFFF00");
    EXPECT_EQ(j["Label12"], " II");
    EXPECT_EQ(j["acks"], 10);
    EXPECT_EQ(j["counters"]["Tot_In"], 5);
    EXPECT_EQ(j["counters"]["Tot_Out"], 8);
    EXPECT_EQ(j["counters"]["Nor_Out"], 8);
    EXPECT_EQ(j["pages"][0][7], "3");
    EXPECT_EQ(j["pages"][0][6], "160.00");
}

TEST(CliFeed, BonusRunWithBlinkTicks) {
    std::string s = "03 19 ";  // a game, then the BB start code
    for (int i = 0; i < 2; ++i) s += "0b 10 10 10 10 10 10 10 10 10 10 10 10 10 10 10 ";
    s += "18 tick tick";
    const auto r = cli({"feed"}, s);
    ASSERT_EQ(r.status, 0) << r.err;
    json j = r.j();
    EXPECT_EQ(j["record"], "30bfbf");
    EXPECT_EQ(j["Label12"].get<std::string>().substr(4 + 15 * 3), "Bx");
    EXPECT_EQ(j["Label14"]["caption"], "24 ");
    EXPECT_EQ(j["Label14"]["visible"], true);
    EXPECT_EQ(j["Timer8"], true);
    EXPECT_EQ(j["counters"]["BB_Cnt"], 1);
    EXPECT_EQ(j["counters"]["DaiBB_On"], true);
    EXPECT_EQ(j["counters"]["BBGame_On"], true);
    EXPECT_EQ(j["pages"][1][7], "24");

    // The next normal game closes it; one more tick stops the blink.
    const auto closed = cli({"feed"}, s + " 03 tick tick");
    j = closed.j();
    EXPECT_EQ(j["Timer8"], false);
    EXPECT_EQ(j["Label14"]["visible"], false);
    EXPECT_EQ(j["counters"]["BB_EndCnt"], 1);
    EXPECT_EQ(j["counters"]["BB_GainMax"], 24);
    EXPECT_EQ(j["pages"][1][4], "24.00");
    EXPECT_EQ(j["pages"][1][10], "2.00");
    // A tick while the timer is off does nothing.
    EXPECT_EQ(cli({"feed"}, "tick tick").j()["Label14"]["visible"], false);
}

TEST(CliFeed, FullRecordCountsMessages) {
    std::string s;
    for (int i = 0; i < 31003; ++i) s += "03 ";
    const json j = cli({"feed"}, s).j();
    EXPECT_EQ(j["Dat_Len"], 31049);
    EXPECT_EQ(j["full_messages"], 2);
    EXPECT_EQ(j["counters"]["Game_Cnt"], 31001);
}

TEST(CliFeed, SaveWritesAPlayDataFile) {
    const auto path = (std::filesystem::temp_directory_path() / "tobrak_feed_save.slt").string();
    const auto r = cli({"feed", "--save", path}, "03 10 10 0b 10");
    ASSERT_EQ(r.status, 0) << r.err;
    std::vector<std::uint8_t> bytes;
    ASSERT_EQ(readFileBytes(path, bytes), SltStatus::Ok);
    ASSERT_EQ(bytes.size(), 50u);
    EXPECT_EQ(bytes[43], 0x0B);  // the display options in force
    EXPECT_EQ(bytes[48], 0x32 ^ 0xB7);
    EXPECT_EQ(bytes[49], 0xB1 ^ 0xB7);
    std::filesystem::remove(path);

    const auto bad = cli({"feed", "--save", "/nonexistent-dir/x.slt"}, "03");
    EXPECT_EQ(bad.status, 1);
    EXPECT_NE(bad.err.find("ファイル・エラーです！"), std::string::npos);
}

TEST(CliFeed, BadInputAndUsage) {
    const auto tok = cli({"feed"}, "03\n0x3\n");
    EXPECT_EQ(tok.status, 1);
    EXPECT_NE(tok.err.find("line 2"), std::string::npos);
    EXPECT_EQ(cli({"feed", "--bogus"}).status, 2);
    EXPECT_EQ(cli({"feed", "--save"}).status, 2);
    EXPECT_EQ(cli({}).status, 2);
    EXPECT_EQ(cli({"nope"}).status, 2);
    EXPECT_EQ(cli({"--help"}).status, 0);
}

TEST(CliParser, VersionAndEveryCommandsHelp) {
    auto r = cli({"--version"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, std::string("tobrak-cli ") + kVersion + "\n");
    const std::vector<std::vector<std::string>> commands = {
        {"feed"},     {"stats"},          {"hist"},          {"koyaku"},        {"history"},
        {"estimate"}, {"export"},         {"print"},         {"render"},        {"simulate"},
        {"journal"},  {"trace", "graph"}, {"trace", "zoom"}, {"trace", "hist"}, {"trace", "print"}};
    for (auto args : commands) {
        std::string name = "tobrak-cli";
        for (const auto& a : args) name += " " + a;
        args.push_back("--help");
        r = cli(args);
        EXPECT_EQ(r.status, 0) << name;
        EXPECT_NE(r.out.find("Usage: " + name + " [OPTIONS]"), std::string::npos) << r.out;
        EXPECT_EQ(r.err, "");
    }
}

TEST(CliParser, DashIsStandardInputAndOutput) {
    // The record to stdout, the report to stderr.
    const auto saved = cli({"feed", "--save", "-"}, "03 10 10 10 0b -- 10");
    ASSERT_EQ(saved.status, 0) << saved.err;
    EXPECT_EQ(json::parse(saved.err)["record"], "33b1");
    ASSERT_EQ(saved.out.size(), 50u);
    EXPECT_EQ(static_cast<unsigned char>(saved.out[48]), 0x33 ^ 0xB7);

    auto r = cli({"stats", "-"}, saved.out);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.j()["format"], 1);
    EXPECT_EQ(r.j()["games"], 2);
    r = cli({"export", "-", "--csv", "-"}, saved.out);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 1 + 2);  // the header and two games
    r = cli({"render", "-", "--png", "-"}, saved.out);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.substr(1, 3), "PNG");
    r = cli({"print", "-", "--pdf", "-"}, saved.out);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.rfind("%PDF-", 0), 0u);
    EXPECT_NE(r.out.find("%%EOF"), std::string::npos);

    r = cli({"stats", "-"}, std::string(31050, '\0'));
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "データサイズは31000ゲームまでです！\ncannot load standard input\n");
}

TEST(CliParser, FiguresPrintTheShortestTextOfTheFloat) {
    // 6 medals in, 1 out: a payout rate of 100/6, which a float holds only approximately.
    const auto r = cli({"stats", "-"}, cli({"feed", "--save", "-"}, "03 10 03").out);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("\"Payout_Rate\": 16.666666,"), std::string::npos) << r.out;
}

TEST(CliStats, LoadsAFileAndShowsTheThreePages) {
    const auto dir = std::filesystem::temp_directory_path();
    const auto path = (dir / "tobrak_cli_stats.slt").string();
    // Three normal games, a BB of two games, a normal game that closes it.
    ASSERT_EQ(cli({"feed", "--save", path}, "03 10 03 01 10 10 19 0b 10 10 10 10 10 0b 10 10 10 10 10 03").status, 0);
    const auto r = cli({"stats", path});
    ASSERT_EQ(r.status, 0) << r.err;
    const json j = r.j();
    EXPECT_EQ(j["games"], 6);
    EXPECT_EQ(j["comment"], "");
    EXPECT_EQ(j["title"], "ＴＯＢＲＡＫ　　");
    EXPECT_EQ(j["markers"]["Mark_BBs"], true);
    EXPECT_EQ(j["markers"]["Mark_RBe"], true);
    EXPECT_EQ(j["counters"]["BB_EndCnt"], 1);
    EXPECT_EQ(j["counters"]["BB_GainSum"], 4);
    EXPECT_EQ(j["counters"]["Tot_In"], 16);
    EXPECT_NEAR(j["figures"]["Payout_Rate"].get<double>(), 13.0 / 16 * 100, 1e-4);
    EXPECT_NEAR(j["figures"]["BB_IntvAvg"].get<double>(), 4.0, 1e-6);
    EXPECT_EQ(j["pages"][0][0], "4");
    EXPECT_EQ(j["pages"][0][6], "81.25");
    EXPECT_EQ(j["pages"][1][4], "4.00");
    EXPECT_EQ(j["pages"][2][1], "0.00");

    // Feeding on from the loaded file continues the record.
    const auto more = cli({"feed", "--load", path}, "03 10");
    ASSERT_EQ(more.status, 0) << more.err;
    EXPECT_EQ(more.j()["record"], "313012b5b53031");
    EXPECT_EQ(more.j()["Ghp_Pos"], 55);  // the first new game draws nothing
    std::filesystem::remove(path);
}

TEST(CliStats, BadFilesAreReportedWithTheWindowsMessages) {
    const auto dir = std::filesystem::temp_directory_path();
    const auto big = (dir / "tobrak_cli_big.slt").string();
    std::vector<char> bytes(31050, 0);
    std::ofstream(big, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    auto r = cli({"stats", big});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err.rfind("データサイズは31000ゲームまでです！\n", 0), 0u);
    std::filesystem::remove(big);
    r = cli({"stats", (dir / "tobrak_cli_missing.slt").string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err.rfind("ファイル・エラーです！\n", 0), 0u);
    EXPECT_EQ(cli({"feed", "--load", (dir / "tobrak_cli_missing.slt").string()}).status, 1);
    EXPECT_EQ(cli({"stats"}).status, 2);
    EXPECT_EQ(cli({"stats", "a.slt", "b.slt"}).status, 2);
}

TEST(CliTrace, GraphOfAFileWithAndWithoutScroll) {
    const auto path = (std::filesystem::temp_directory_path() / "tobrak_cli_trace.slt").string();
    // Five 3-medal games, each paying 1: one segment.
    ASSERT_EQ(cli({"feed", "--save", path}, "03 10 03 10 03 10 03 10 03 10").status, 0);
    auto r = cli({"trace", "graph", path});
    ASSERT_EQ(r.status, 0) << r.err;
    std::vector<std::string> ops;
    std::istringstream lines(r.out);
    for (std::string l; std::getline(lines, l);) ops.push_back(l);
    ASSERT_EQ(ops.size(), 1u + 8198u + 3u + 2u + 182u + 1u + 1u);  // cls, grid, widths, fonts, labels, dot, line
    EXPECT_EQ(ops[0], "cls");
    EXPECT_EQ(ops[2], "line 1630.00 220.00 1630.00 5220.00 707070");
    EXPECT_EQ(ops[ops.size() - 2], "pset 630.00 2720.00 FFFFFF");
    EXPECT_EQ(ops.back(), "line 630.00 2720.00 645.00 2730.00 FFFFFF");

    r = cli({"trace", "graph", path, "--scroll", "1000"});
    ASSERT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("text 390.00 30.00 \" 1000 \""), std::string::npos);
    EXPECT_NE(r.out.find("line -370.00 2720.00 -355.00 2730.00 FFFFFF"), std::string::npos);
    EXPECT_EQ(cli({"trace", "graph", path, "--scroll", "500"}).status, 2);
    EXPECT_EQ(cli({"trace", "graph"}).status, 2);
    EXPECT_EQ(cli({"trace", "bogus", path}).status, 2);
    std::filesystem::remove(path);
}

TEST(CliTrace, ZoomAtAFactorAndCentre) {
    const auto path = (std::filesystem::temp_directory_path() / "tobrak_cli_trace_zoom.slt").string();
    ASSERT_EQ(cli({"feed", "--save", path}, "03 03 03 03 03 03").status, 0);
    auto r = cli({"trace", "zoom", path, "--factor", "5"});
    ASSERT_EQ(r.status, 0) << r.err;
    std::vector<std::string> ops;
    std::istringstream lines(r.out);
    for (std::string l; std::getline(lines, l);) ops.push_back(l);
    // Cleared, the magnified grid from the frame at the origin (1000 square, top at
    // 2220: Oy 10000), the start point, then a point every 3 medals at x5.
    EXPECT_EQ(ops[0], "cls");
    ASSERT_EQ(ops.size(), 1u + 8198u + 3u + 1u + 6u);
    EXPECT_EQ(ops[ops.size() - 7], "pset 60.00 2560.00 FFFFFF");
    EXPECT_EQ(ops[ops.size() - 6], "line 60.00 2560.00 75.00 2575.00 FFFFFF");
    EXPECT_EQ(ops.back(), "line 135.00 2635.00 150.00 2650.00 FFFFFF");

    r = cli({"trace", "zoom", path, "--factor", "10", "--center", "2000,3000"});
    ASSERT_EQ(r.status, 0) << r.err;
    // Frame 500 square around (2000, 3000): Ox (1750 - 630) x 10, Oy (2750 - 220) x 10.
    EXPECT_NE(r.out.find("pset -11140.00 -240.00 FFFFFF"), std::string::npos);
    EXPECT_EQ(cli({"trace", "zoom", path, "--factor", "4"}).status, 2);
    EXPECT_EQ(cli({"trace", "zoom", path}).status, 2);
    EXPECT_EQ(cli({"trace", "zoom", path, "--factor", "3", "--center", "12"}).status, 2);
    std::filesystem::remove(path);
}

TEST(CliAnalysis, HistKoyakuAndTheChartTrace) {
    const auto path = (std::filesystem::temp_directory_path() / "tobrak_cli_hist.slt").string();
    // 2 normal games paying 0 and 2, a BB of two games (+12 each), 3 normal games.
    std::string stream = "03 03 10 10 19 0b";
    for (int i = 0; i < 15; ++i) stream += " 10";
    stream += " 0b";
    for (int i = 0; i < 15; ++i) stream += " 10";
    stream += " 03 03 03";
    ASSERT_EQ(cli({"feed", "--save", path}, stream).status, 0);

    auto r = cli({"hist", path, "--within", "1"});
    ASSERT_EQ(r.status, 0) << r.err;
    json j = r.j();
    ASSERT_EQ(j.size(), 1u + 7u);  // the format and the seven charts
    EXPECT_EQ(j["0"]["title"], "ボーナス間隔");
    EXPECT_EQ(j["0"]["unit"], " （ゲーム）");
    EXPECT_EQ(j["0"]["counts"], json({{"2", 1}}));
    EXPECT_EQ(j["0"]["within"], json({" 0回", "0.00％"}));
    EXPECT_EQ(j["2"]["within"], json({" 0回", "0.00％"}));
    EXPECT_EQ(j["3"]["counts"], json({{"24", 1}}));
    EXPECT_EQ(j["3"]["max"], 24);
    EXPECT_EQ(j["3"]["avg_text"], "平均24.00");
    EXPECT_EQ(j["3"]["bin_width"], 1.0);
    EXPECT_EQ(j["3"]["scale"], 500.0);
    EXPECT_EQ(j["3"]["bins"].size(), 25u);
    EXPECT_EQ(j["3"]["count_labels"], json({"2", "4", "6", "8", "10", "（回）"}));
    EXPECT_EQ(j["4"]["counts"], json({{"2", 1}}));
    EXPECT_FALSE(j["4"].contains("within"));
    EXPECT_EQ(j["7"]["avg_text"], "平均0.00");  // a BB has ended: the marker is on every chart
    EXPECT_EQ(cli({"hist", path, "--within", "0"}).status, 2);

    r = cli({"koyaku", path});
    ASSERT_EQ(r.status, 0) << r.err;
    j = r.j();
    EXPECT_EQ(j["normal"][0], "100.00 ％");  // the game paying 2 is the one the BB was hit on
    EXPECT_EQ(j["normal"][2], "");
    EXPECT_EQ(j["bb"][15], "100.00 ％");
    EXPECT_EQ(j["bb"].size(), 16u);

    r = cli({"trace", "hist", path, "3"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.rfind("cls\n", 0), 0u);
    EXPECT_NE(r.out.find("fill FF0000"), std::string::npos);
    EXPECT_NE(r.out.find("box 3031.00 5219.00 3131.00 4720.00 000000 FF0000"), std::string::npos);
    EXPECT_EQ(cli({"trace", "hist", path, "5"}).status, 2);
    std::filesystem::remove(path);
}

TEST(CliPrint, OnePageLandscapePdfAndItsTrace) {
    const auto dir = std::filesystem::temp_directory_path();
    const auto slt = (dir / "tobrak_cli_print.slt").string();
    const auto pdf = (dir / "tobrak_cli_print.pdf").string();
    ASSERT_EQ(cli({"feed", "--save", slt}, "03 10 03 03 19 0b 10 10 03").status, 0);
    auto r = cli({"print", slt, "--pdf", pdf, "--page", "1"});
    ASSERT_EQ(r.status, 0) << r.err;
    std::ifstream f(pdf, std::ios::binary);
    const std::string body((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    EXPECT_EQ(body.rfind("%PDF-", 0), 0u);
    EXPECT_NE(body.find("/Count 1"), std::string::npos);
    EXPECT_NE(body.find("/MediaBox [0 0 842.000000 595.000000]"), std::string::npos) << "A4 landscape";
    std::filesystem::remove(pdf);

    r = cli({"trace", "print", slt, "--page", "2"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.rfind("width 1\nfont 9.00 000000\ntext 630.00 60.00 \"   ＲＢ回数\"\n", 0), 0u);
    EXPECT_NE(r.out.find("pset 630.00 3050.00 000000"), std::string::npos);
    EXPECT_EQ(cli({"print", slt}).status, 2);
    EXPECT_EQ(cli({"print", slt, "--pdf", pdf, "--page", "3"}).status, 2);
    EXPECT_EQ(cli({"print", slt, "--pdf", (dir / "no/such/x.pdf").string()}).status, 1);
    std::filesystem::remove(slt);
}

TEST(CliRender, WritesThePngOfTheGraph) {
    const auto dir = std::filesystem::temp_directory_path();
    const auto slt = (dir / "tobrak_cli_render.slt").string();
    const auto png = (dir / "tobrak_cli_render.png").string();
    ASSERT_EQ(cli({"feed", "--save", slt}, "03 03 03 03 03 03").status, 0);
    const auto r = cli({"render", slt, "--png", png});
    ASSERT_EQ(r.status, 0) << r.err;
    std::ifstream f(png, std::ios::binary);
    char magic[8] = {};
    f.read(magic, 8);
    EXPECT_EQ(std::string(magic + 1, 3), "PNG");
    EXPECT_EQ(cli({"render", slt}).status, 2);
    EXPECT_EQ(cli({"render", slt, "--png", (dir / "no/such/x.png").string()}).status, 1);
    std::filesystem::remove(slt);
    std::filesystem::remove(png);
}

TEST(CliSimulate, FastRunRecordsTheRequestedGames) {
    const auto r = cli({"simulate", "--fast", "--games", "300", "--seed", "4", "--speed", "50"});
    ASSERT_EQ(r.status, 0) << r.err;
    const auto brace = r.out.rfind("\n{");
    ASSERT_NE(brace, std::string::npos);
    const json j = json::parse(r.out.substr(brace + 1));
    EXPECT_EQ(j["games"], 300);
    EXPECT_EQ(j["counters"]["Game_Cnt"], 300);
    EXPECT_NE(r.out.find("ゲームＯＫ"), std::string::npos);
    EXPECT_EQ(cli({"simulate", "--speed", "0"}).status, 2);
    EXPECT_EQ(cli({"simulate", "--games", "x"}).status, 2);
}

}  // namespace
}  // namespace tobrak
