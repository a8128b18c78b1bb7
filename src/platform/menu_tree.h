#pragma once
// The main window's menu tree as data: one table for every front end. Each item
// names the command it runs; the program carries the commands out.
#include <string>
#include <string_view>

namespace tobrak {

enum class MenuCommand {
    None,  // a drop-down or a separator
    Page,
    Open,
    OpenJournal,  // a kept journal of the record's protection
    Comment,
    Overwrite,  // to the current file, or as Save when there is none
    Save,
    Clear,
    Print,
    SaveImage,  // the slump graph as a picture
    Quit,
    Marker,  // GhpHyo(index)
    Zoom,    // G_zoom(index)
    BackFar,
    Back,
    Forward,
    ForwardFar,
    Chart,       // Kaiseki(index)
    ChartEnd,    // "戻る"
    ChartBonus,  // the analysis view's own bar items
    ChartBB,
    ChartRB,
    Version,
    HomePage,
    LiveView,
    LiveAddress,
    Counters,         // the hand counters' window
    ExpectedLine,     // the expected-value line on / off
    ExpectedSetting,  // its setting: KitaiSet(0) estimated, (1..6) that setting
};

struct MenuEntry {
    const char* name;     // control name
    int index;            // element of a control array, or -1
    const char* caption;  // "-" is a separator
    const char* parent;   // control name of the drop-down, or nullptr for the bar itself
    bool visible;         // at start-up
    MenuCommand command;
};

// In display order; an item with children is a drop-down (a submenu inside another).
inline constexpr MenuEntry kMenuTree[] = {
    {"menPage", -1, "項目切替　１／５", nullptr, true, MenuCommand::Page},
    {"menFile", -1, "ファイル", nullptr, true, MenuCommand::None},
    {"menFile_open", -1, "ファイルの読込", "menFile", true, MenuCommand::Open},
    {"Hogo_open", -1, "保護データを開く…", "menFile", true, MenuCommand::OpenJournal},
    {"men0", -1, "-", "menFile", true, MenuCommand::None},
    {"Comment", -1, "コメント入力", "menFile", true, MenuCommand::Comment},
    {"menFile_Uwagaki", -1, "上書き保存", "menFile", true, MenuCommand::Overwrite},
    {"menFile_Save", -1, "ファイルの保存", "menFile", true, MenuCommand::Save},
    {"men1", -1, "-", "menFile", true, MenuCommand::None},
    {"Ghp_Cls", -1, "データの全クリア", "menFile", true, MenuCommand::Clear},
    {"men2", -1, "-", "menFile", true, MenuCommand::None},
    {"O_prin", -1, "グラフの印刷", "menFile", true, MenuCommand::Print},
    {"Gazou_Save", -1, "画像として保存", "menFile", true, MenuCommand::SaveImage},
    {"men3", -1, "-", "menFile", true, MenuCommand::None},
    {"Pgend", -1, "ＴＯＢＲＡＫの終了", "menFile", true, MenuCommand::Quit},
    {"menHyouji", -1, "表示", nullptr, true, MenuCommand::None},
    {"GhpHyo", 0, "グラフにボーナス間隔表示", "menHyouji", true, MenuCommand::Marker},
    {"GhpHyo", 1, "-", "menHyouji", true, MenuCommand::None},
    {"GhpHyo", 2, "グラフにＢＢ獲得表示", "menHyouji", true, MenuCommand::Marker},
    {"GhpHyo", 3, "-", "menHyouji", true, MenuCommand::None},
    {"GhpHyo", 4, "グラフにＲＢ獲得表示", "menHyouji", true, MenuCommand::Marker},
    {"menKitai0", -1, "-", "menHyouji", true, MenuCommand::None},
    {"menKitai", -1, "期待値ライン", "menHyouji", true, MenuCommand::ExpectedLine},
    {"menKitaiSet", -1, "期待値ラインの設定", "menHyouji", true, MenuCommand::None},
    {"KitaiSet", 0, "推定", "menKitaiSet", true, MenuCommand::ExpectedSetting},
    {"KitaiSet", 1, "設定１", "menKitaiSet", true, MenuCommand::ExpectedSetting},
    {"KitaiSet", 2, "設定２", "menKitaiSet", true, MenuCommand::ExpectedSetting},
    {"KitaiSet", 3, "設定３", "menKitaiSet", true, MenuCommand::ExpectedSetting},
    {"KitaiSet", 4, "設定４", "menKitaiSet", true, MenuCommand::ExpectedSetting},
    {"KitaiSet", 5, "設定５", "menKitaiSet", true, MenuCommand::ExpectedSetting},
    {"KitaiSet", 6, "設定６", "menKitaiSet", true, MenuCommand::ExpectedSetting},
    {"Gzoom", -1, "拡大", nullptr, true, MenuCommand::None},
    {"G_zoom", 0, "　３倍", "Gzoom", true, MenuCommand::Zoom},
    {"G_zoom", 1, "　５倍", "Gzoom", true, MenuCommand::Zoom},
    {"G_zoom", 2, "１０倍", "Gzoom", true, MenuCommand::Zoom},
    {"G_zoom", 3, " 解除", "Gzoom", true, MenuCommand::Zoom},
    {"Dhidari", -1, "≪≪", nullptr, true, MenuCommand::BackFar},
    {"Hidari", -1, "<<<", nullptr, true, MenuCommand::Back},
    {"Migi", -1, ">>>", nullptr, true, MenuCommand::Forward},
    {"Dmigi", -1, "≫≫", nullptr, true, MenuCommand::ForwardFar},
    {"SyuKei", -1, "解析", nullptr, true, MenuCommand::None},
    {"Kaiseki", 0, "ボーナス間隔グラフ", "SyuKei", true, MenuCommand::Chart},
    {"Kaiseki", 1, "-", "SyuKei", true, MenuCommand::None},
    {"Kaiseki", 2, "ＢＢ間隔グラフ", "SyuKei", true, MenuCommand::Chart},
    {"Kaiseki", 3, "ＢＢ獲得枚数グラフ", "SyuKei", true, MenuCommand::Chart},
    {"Kaiseki", 4, "ＢＢ中ゲーム数グラフ", "SyuKei", true, MenuCommand::Chart},
    {"Kaiseki", 5, "-", "SyuKei", true, MenuCommand::None},
    {"Kaiseki", 6, "ＲＢ間隔グラフ", "SyuKei", true, MenuCommand::Chart},
    {"Kaiseki", 7, "ＲＢ獲得枚数グラフ", "SyuKei", true, MenuCommand::Chart},
    {"Kaiseki", 8, "ＲＢ中ゲーム数グラフ", "SyuKei", true, MenuCommand::Chart},
    {"Kaiseki", 9, "-", "SyuKei", true, MenuCommand::None},
    {"Kaiseki", 10, "小役出現確率", "SyuKei", true, MenuCommand::Chart},
    {"Kaiseki", 11, "-", "SyuKei", true, MenuCommand::None},
    {"Kaiseki", 12, "ボーナス履歴・設定推測", "SyuKei", true, MenuCommand::Chart},
    {"menCounter", -1, "小役カウンター", "SyuKei", true, MenuCommand::Counters},
    {"menLive0", -1, "-", "SyuKei", true, MenuCommand::None},
    {"menLive", -1, "ライブ表示", "SyuKei", true, MenuCommand::LiveView},
    {"menLiveAddr", -1, "ライブ表示のアドレス…", "SyuKei", true, MenuCommand::LiveAddress},
    {"HistEnd", -1, "戻る", nullptr, false, MenuCommand::ChartEnd},
    {"YB_Hist", -1, "ボーナス間隔グラフ", nullptr, false, MenuCommand::ChartBonus},
    {"BB_Hist", -1, "ＢＢ解析", nullptr, false, MenuCommand::None},
    {"BB_Hist1", 0, "ＢＢ間隔グラフ　　　", "BB_Hist", true, MenuCommand::ChartBB},
    {"BB_Hist1", 1, "ＢＢ獲得枚数グラフ", "BB_Hist", true, MenuCommand::ChartBB},
    {"BB_Hist1", 2, "ＢＢ中ゲーム数グラフ", "BB_Hist", true, MenuCommand::ChartBB},
    {"RB_Hist", -1, "ＲＢ解析", nullptr, false, MenuCommand::None},
    {"RB_Hist1", 0, "ＲＢ間隔グラフ　", "RB_Hist", true, MenuCommand::ChartRB},
    {"RB_Hist1", 1, "ＲＢ獲得枚数グラフ", "RB_Hist", true, MenuCommand::ChartRB},
    {"RB_Hist1", 2, "ＲＢ中ゲーム数グラフ", "RB_Hist", true, MenuCommand::ChartRB},
    {"Help1", -1, "ヘルプ", nullptr, true, MenuCommand::None},
    {"HelpVer", -1, "バージョン情報", "Help1", true, MenuCommand::Version},
    {"help2", -1, "-", "Help1", true, MenuCommand::None},
    {"kovhp", -1, "ＫＯＶラボのホームページへ", "Help1", true, MenuCommand::HomePage},
};

// The table entry of an item, or nullptr.
constexpr const MenuEntry* findMenuEntry(std::string_view name, int index = -1) {
    for (const MenuEntry& e : kMenuTree)
        if (name == e.name && index == e.index) return &e;
    return nullptr;
}

constexpr bool isMenuName(std::string_view name) {
    for (const MenuEntry& e : kMenuTree)
        if (name == e.name) return true;
    return false;
}

// An item named in the program's own code: a name the table does not hold does
// not compile.
struct MenuName {
    consteval MenuName(const char* n) : name(n) {
        if (!isMenuName(n)) throw "not an item of the menu tree";
    }
    const char* name;
};

// Key of an item, as the front ends store it: "menPage", "GhpHyo(2)".
inline std::string menuKey(std::string_view name, int index = -1) {
    std::string k(name);
    return index < 0 ? k : k + "(" + std::to_string(index) + ")";
}

}  // namespace tobrak
