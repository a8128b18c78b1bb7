#pragma once
// Main-window procedures that need no widgets: start-up and the display options.
#include "app/core.h"

namespace tobrak {

// Unit shown beside the running bonus gain.
extern const char* const kGainUnit;  // "枚"

// The start-up sequence, from the caption tables to the empty graph; the poll
// timer runs from its end.
void Form_Load(Core& c);
extern const char* const kRecoverText;  // "前回の記録が残っています。\n復元しますか？"
// After start-up, before the poll runs: a record left in the journal by a session
// that did not end normally is offered back (OK, the default, restores it; Cancel
// keeps the old journal as a dated backup); then the journal records this session.
void recoverJournal(Core& c, Journal& journal);
// Every few seconds: a journal that failed is tried again. The user is told once
// that the record is not protected, and once when it is again.
void journalWatch(Core& c);
extern const char* const kJournalTitle;  // "記録の保護"
extern const char* const kJournalBack;   // "記録の保護を再開しました。"
std::string journalLostText(const Journal& j);
std::string journalSetAsideText(const Journal& j);

// Layout rule on every resize: height fit, graph width, redraw of the view in force.
void Form_Resize(Core& c);
// Quit question when the user closes the window (reason 0); returns the cancel
// flag. On OK every window is closed and the program ends.
bool Form_QueryUnload(Core& c, int closeReason);
void Pgend_Click(Core& c);
void HelpVer_Click(Core& c);
void Command2_Click(Core& c);
void kovhp_Click(Core& c);

extern const char* const kVersionText;  // "ＴＯＢＲＡＫ　バージョン　" and the version, full width
extern const char* const kVersionText2;

// Fixed layout values of the main window, in twips.
constexpr int con_P2left = 1560;
constexpr int Ghp_Top = 220;
constexpr float Ghp_Left = 630.0f;
constexpr int kClientWidth = 12105;  // as designed
constexpr int kPanelHeight = Ghp_Top + 5300;

// All three display options on / off, with their check marks.
void Hyouji_Menu_Init(Core& c);
void Hyouji_Menu_Cls(Core& c);

}  // namespace tobrak
