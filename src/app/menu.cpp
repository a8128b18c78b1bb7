#include "app/menu.h"

#include "analysis/histogram.h"
#include "app/filedisp.h"
#include "graph/display_options.h"
#include "graph/scroll.h"
#include "graph/zoom.h"
#include "print/print_report.h"
#include "record/file_commands.h"
#include "stats/panel.h"

namespace tobrak {

const std::vector<MenuEntry>& menuTree() {
    static const std::vector<MenuEntry> tree = {
        {"menPage", -1, "項目切替　１／５", nullptr, true},
        {"menFile", -1, "ファイル", nullptr, true},
        {"menFile_open", -1, "ファイルの読込", "menFile", true},
        {"men0", -1, "-", "menFile", true},
        {"Comment", -1, "コメント入力", "menFile", true},
        {"menFile_Save", -1, "ファイルの保存", "menFile", true},
        {"men1", -1, "-", "menFile", true},
        {"Ghp_Cls", -1, "データの全クリア", "menFile", true},
        {"men2", -1, "-", "menFile", true},
        {"O_prin", -1, "グラフの印刷", "menFile", true},
        {"men3", -1, "-", "menFile", true},
        {"Pgend", -1, "ＴＯＢＲＡＫの終了", "menFile", true},
        {"menHyouji", -1, "表示", nullptr, true},
        {"GhpHyo", 0, "グラフにボーナス間隔表示", "menHyouji", true},
        {"GhpHyo", 1, "-", "menHyouji", true},
        {"GhpHyo", 2, "グラフにＢＢ獲得表示", "menHyouji", true},
        {"GhpHyo", 3, "-", "menHyouji", true},
        {"GhpHyo", 4, "グラフにＲＢ獲得表示", "menHyouji", true},
        {"Gzoom", -1, "拡大", nullptr, true},
        {"G_zoom", 0, "　３倍", "Gzoom", true},
        {"G_zoom", 1, "　５倍", "Gzoom", true},
        {"G_zoom", 2, "１０倍", "Gzoom", true},
        {"G_zoom", 3, " 解除", "Gzoom", true},
        {"Dhidari", -1, "≪≪", nullptr, true},
        {"Hidari", -1, "<<<", nullptr, true},
        {"Migi", -1, ">>>", nullptr, true},
        {"Dmigi", -1, "≫≫", nullptr, true},
        {"SyuKei", -1, "解析", nullptr, true},
        {"Kaiseki", 0, "ボーナス間隔グラフ", "SyuKei", true},
        {"Kaiseki", 1, "-", "SyuKei", true},
        {"Kaiseki", 2, "ＢＢ間隔グラフ", "SyuKei", true},
        {"Kaiseki", 3, "ＢＢ獲得枚数グラフ", "SyuKei", true},
        {"Kaiseki", 4, "ＢＢ中ゲーム数グラフ", "SyuKei", true},
        {"Kaiseki", 5, "-", "SyuKei", true},
        {"Kaiseki", 6, "ＲＢ間隔グラフ", "SyuKei", true},
        {"Kaiseki", 7, "ＲＢ獲得枚数グラフ", "SyuKei", true},
        {"Kaiseki", 8, "ＲＢ中ゲーム数グラフ", "SyuKei", true},
        {"Kaiseki", 9, "-", "SyuKei", true},
        {"Kaiseki", 10, "小役出現確率", "SyuKei", true},
        {"Kaiseki", 11, "-", "SyuKei", true},
        {"Kaiseki", 12, "ボーナス履歴・設定推測", "SyuKei", true},
        {"HistEnd", -1, "戻る", nullptr, false},
        {"YB_Hist", -1, "ボーナス間隔グラフ", nullptr, false},
        {"BB_Hist", -1, "ＢＢ解析", nullptr, false},
        {"BB_Hist1", 0, "ＢＢ間隔グラフ　　　", "BB_Hist", true},
        {"BB_Hist1", 1, "ＢＢ獲得枚数グラフ", "BB_Hist", true},
        {"BB_Hist1", 2, "ＢＢ中ゲーム数グラフ", "BB_Hist", true},
        {"RB_Hist", -1, "ＲＢ解析", nullptr, false},
        {"RB_Hist1", 0, "ＲＢ間隔グラフ　", "RB_Hist", true},
        {"RB_Hist1", 1, "ＲＢ獲得枚数グラフ", "RB_Hist", true},
        {"RB_Hist1", 2, "ＲＢ中ゲーム数グラフ", "RB_Hist", true},
        {"Help1", -1, "ヘルプ", nullptr, true},
        {"HelpVer", -1, "バージョン情報", "Help1", true},
        {"help2", -1, "-", "Help1", true},
        {"kovhp", -1, "ＫＯＶラボのホームページへ", "Help1", true},
    };
    return tree;
}

std::string menuKey(const std::string& name, int index) {
    return index < 0 ? name : name + "(" + std::to_string(index) + ")";
}

void menuClick(Core& c, const std::string& name, int index) {
    if (name == "menPage") return menPage_Click(c);
    if (name == "menFile_open") return menFile_open_Click(c);
    if (name == "Comment") return Comment_Click(c);
    if (name == "menFile_Save") return menFile_Save_Click(c);
    if (name == "Ghp_Cls") return Ghp_Cls_Click(c);
    if (name == "O_prin") return P_Out_Sub(c, *c.ui.printer);
    if (name == "Pgend") return Pgend_Click(c);
    if (name == "GhpHyo" && (index == 0 || index == 2 || index == 4)) return GhpHyo_Click(c, index);
    if (name == "G_zoom") return G_zoom_Click(c, index);
    if (name == "Dhidari") return Dhidari_Click(c);
    if (name == "Hidari") return Hidari_Click(c);
    if (name == "Migi") return Migi_Click(c);
    if (name == "Dmigi") return Dmigi_Click(c);
    if (name == "Kaiseki") return Kaiseki_Click(c, index);
    if (name == "HistEnd") return HistEnd_Click(c);
    // The analysis view's own bar items lead to the same chart commands.
    if (name == "YB_Hist") return Kaiseki_Click(c, 0);
    if (name == "BB_Hist1") return Kaiseki_Click(c, 2 + index);
    if (name == "RB_Hist1") return Kaiseki_Click(c, 6 + index);
    if (name == "HelpVer") return HelpVer_Click(c);
    if (name == "kovhp") return kovhp_Click(c);
}

}  // namespace tobrak
