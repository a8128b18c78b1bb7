#include "app/filedisp.h"

#include "analysis/histogram.h"
#include "app/file_commands.h"
#include "app/version.h"
#include "app/views.h"
#include "graph/slump_graph.h"

namespace tobrak {

const char* const kGainUnit = "枚";
const char* const kVersionText = "ＴＯＢＲＡＫ　バージョン　" TOBRAK_VERSION_WIDE;
const char* const kVersionText2 = "パチスロ実戦データの記録と解析";

namespace {

// Values the window has by design, before any code runs.
void applyDesign(Program& c) {
    MainControls& m = c.ui.main;
    m.form->setTitle("ＴＯＢＲＡＫ");
    m.Label1->setCaption(kBoardNg);
    m.Label15->setCaption(kGainUnit);
    m.Label14->setVisible(false);
    m.Label15->setVisible(false);
    m.Picture9->setVisible(false);
    m.Picture10->setVisible(false);
    m.Frame1->setVisible(false);
    m.Label11->setVisible(false);
    m.Label13->setCaption("ゲーム以内");
    m.Image1->setVisible(false);  // shown only while a magnification is chosen
    c.ui.menu("menPage")->setCaption("項目切替　１／５");
    c.ui.Zoom->setForeColor(rgb::White);  // the zoom window writes in white
    c.ui.Timer2->setInterval(kPollMs);
    c.ui.Timer8->setInterval(kBlinkMs);
    c.ui.Timer8->setEnabled(false);
}

}  // namespace

const char* const kRecoverText = "前回の記録が残っています。\n復元しますか？";

std::string recoverText(const Journal& j) {
    std::string text = kRecoverText;
    if (!j.recovered()) return text;
    text += "\n\nゲーム数：" + std::to_string(j.recovered()->size() - kHeaderLen);
    // The first and the last game the journal gives a time.
    std::string first, last;
    for (const auto& t : j.recoveredTimes())
        if (std::string at = t ? japaneseTime(*t) : std::string(); !at.empty()) (first.empty() ? first : last) = at;
    if (!first.empty()) text += "\n日時：" + first + (last.empty() || last == first ? "" : " ～ " + last);
    return text;
}

const char* const kJournalTitle = "記録の保護";
const char* const kJournalBack = "記録の保護を再開しました。";

std::string journalLostText(const Journal& j) {
    return "記録を保護できません！\n\n" + j.path() + "\nに書き込めません。\n\n数秒ごとに再試行します。";
}

std::string journalSetAsideText(const Journal& j) {
    return "前回の記録を読み取れませんでした。\n\nファイルは\n" + j.setAside() + "\nとして残してあります。";
}

std::string journalHeldLine(const Journal& j) {
    return "別のＴＯＢＲＡＫ" +
           (j.holder() > 0 ? "（プロセス番号 " + std::to_string(j.holder()) + "）" : std::string()) + "が記録中です。";
}

std::string journalHeldText(const Journal& j) {
    return journalHeldLine(j) + "\n\n" + j.dir() +
           "\nの記録の保護は一つのＴＯＢＲＡＫだけが使えます。\n\nボードにつながず、記録の保護なしで開きますか？";
}

bool openWithoutJournal(Program& c, const Journal& j) {
    return c.ui.dialogs->messageBox(journalHeldText(j), kJournalTitle, MsgIcon::Exclamation, MsgButtons::OpenQuit) ==
           MsgResult::Ok;
}

namespace {
// Tells the user once when the record stops being protected, once when it is again.
void tellJournalState(Program& c, bool retry) {
    Journal* j = c.session.journal();
    const Journal::Protection p = c.session.watchJournal(retry);
    if (p == Journal::Protection::Unchanged) return;
    c.JournalBoxOpen = true;
    if (p == Journal::Protection::Lost)
        c.ui.dialogs->messageBox(journalLostText(*j), kJournalTitle, MsgIcon::Exclamation, MsgButtons::Ok);
    else
        c.ui.dialogs->messageBox(kJournalBack, kJournalTitle, MsgIcon::Information, MsgButtons::Ok);
    c.JournalBoxOpen = false;
}
}  // namespace

bool recoverJournal(Program& c, Journal& journal) {
    bool restored = false;
    if (!journal.setAside().empty())
        c.ui.dialogs->messageBox(journalSetAsideText(journal), "復元", MsgIcon::Exclamation, MsgButtons::Ok);
    if (journal.recovered() &&
        c.ui.dialogs->messageBox(recoverText(journal), "復元", MsgIcon::Information, MsgButtons::OkCancelOkDefault) ==
            MsgResult::Ok &&
        loadPlayImage(c, *journal.recovered(), journal.recoveredTimes())) {
        c.session.restoreCounts(journal.recoveredCounts());
        journal.restored();
        restored = true;
        c.Unsaved = true;  // back from the journal, never from a file
    }
    c.session.setJournal(&journal);
    c.session.beginJournal();
    tellJournalState(c, /*retry=*/false);
    return restored;
}

void journalWatch(Program& c) {
    if (!c.session.journal() || c.JournalBoxOpen) return;
    tellJournalState(c, /*retry=*/true);
}

void Form_Load(Program& c) {
    MainControls& m = c.ui.main;
    applyDesign(c);
    c.panel.KoumokuInit();
    c.rec.Dat_Max = kDatMax;
    c.graph.reset();  // the graph's fixed values
    c.zoom.reset();   // Zoom_Scl 10
    m.Picture1->setHeight(kPanelHeight);
    m.Picture2->setGeometry(con_P2left, 0, m.form->clientWidth() - con_P2left, kPanelHeight);
    m.Picture3->setGeometry(1575, Ghp_Top - 20, 600, 5090);
    m.Picture9->move(0, 160);
    m.Picture10->move(3360, 2000);
    m.Label11->setVisible(false);
    c.zoom.Frame.Width = c.zoom.Frame.Height = 10.0f;
    c.zoom.showFrame();
    for (MenuName name : {MenuName("HistEnd"), MenuName("YB_Hist"), MenuName("BB_Hist"), MenuName("RB_Hist")})
        c.ui.menu(name)->setVisible(false);
    if (!c.ui.exporter) c.ui.menu("Gazou_Save")->setVisible(false);  // no picture is made here
    c.analysis.Kaiseki_On = 0;
    c.graph.Ghp_Redraw = false;
    MekakusiChr(*c.ui.Picture3, 1.0f, Ghp_Left, 30);
    c.zoom.ZoomSel = 3;
    c.ui.menu("G_zoom", 3)->setChecked(true);
    c.rec.Dat_Len = kHeaderLen;
    c.graph.Ghp_Pos = kHeaderLen + 1;
    c.rec.Dat_Buf[kHeaderLen] = 0;
    c.panel.MenuPage = -1;
    c.panel.menPage_Click();
    Hyouji_Menu_Init(c);
    showExpectedLine(c);
    ChrClrInit(c);
    GhpClrInit(c);
    c.zoom.X4GhpInit();
    m.Combo1->clear();
    for (int i = 1; i <= 100; ++i) m.Combo1->addItem(std::to_string(i));
    c.analysis.Combo_Index = 29;
    m.Combo1->setCurrentIndex(c.analysis.Combo_Index);
    c.ui.Timer2->setEnabled(true);
}

void Form_Resize(Program& c) {
    MainControls& m = c.ui.main;
    FormWindow& f = *m.form;
    if (f.minimized()) return;
    const int excess = f.clientHeight() - m.Picture2->height();
    if (excess > 0) f.setOuterHeight(f.outerHeight() - excess);
    if (c.analysis.Kaiseki_On > 0) {
        m.Picture2->setWidth(f.clientWidth() - con_P2left);
        Kaiseki_Click(c, c.analysis.Kaiseki_On - 1);
        return;
    }
    // Keep the zoom frame on the visible part of the graph.
    const auto& frame = c.zoom.Frame;
    const float right =
        static_cast<float>(static_cast<double>(f.clientWidth()) + c.graph.Ghp_Scroll - con_P2left - frame.Width);
    if (frame.Left > right) c.zoom.moveFrame(right);
    if (frame.Left < Ghp_Left) c.zoom.moveFrame(Ghp_Left);
    m.Picture2->setWidth(f.clientWidth() - con_P2left);
    c.graph.GhpStandardRedraw();
}

bool Form_QueryUnload(Program& c, int closeReason) {
    if (closeReason != 0) return false;
    if (c.Unsaved && c.rec.games() > 0) {
        const MsgResult r = c.ui.dialogs->messageBox("保存していないデータがあります。\n\n保存してから終了しますか？",
                                                     "終了", MsgIcon::Exclamation, MsgButtons::SaveDiscardCancel);
        if (r == MsgResult::Save) menFile_Uwagaki_Click(c);
        // A save cancelled or failed keeps the program, and the record, running.
        if (r == MsgResult::Save ? c.Unsaved : r != MsgResult::Discard) return true;
    } else if (c.ui.dialogs->messageBox("本当に終了しますか？", "終了", MsgIcon::Information, MsgButtons::OkCancel) !=
               MsgResult::Ok) {
        return true;
    }
    c.ui.windows->shutdown();
    return false;
}

void Pgend_Click(Program& c) { Form_QueryUnload(c, 0); }
void HelpVer_Click(Program& c) { c.ui.main.Picture10->setVisible(true); }
void Command2_Click(Program& c) { c.ui.main.Picture10->setVisible(false); }
void kovhp_Click(Program& c) {
    if (!c.ui.manual.empty()) c.ui.shell->openUrl(c.ui.manual);
}

}  // namespace tobrak
