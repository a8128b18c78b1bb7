#pragma once
// Main-window procedures that need no widgets: start-up and the display options.
#include "app/program.h"
#include "graph/geometry.h"

namespace tobrak {

// Unit shown beside the running bonus gain.
extern const char* const kGainUnit;  // "枚"

// The start-up sequence, from the caption tables to the empty graph; the poll
// timer runs from its end.
void Form_Load(Program& c);
extern const char* const kRecoverText;  // "前回の記録が残っています。\n復元しますか？"
// The restore question: kRecoverText, then how many games the record holds and
// when they were played, as far as the journal knows.
std::string recoverText(const Journal& j);
// After start-up, before the poll runs: a record left in the journal by a session
// that did not end normally is offered back (OK, the default, restores it; Cancel
// keeps the old journal as a dated backup); then the journal records this session.
// True when the record was restored.
bool recoverJournal(Program& c, Journal& journal);
// Every few seconds: a journal that failed is tried again. The user is told once
// that the record is not protected, and once when it is again.
void journalWatch(Program& c);
extern const char* const kJournalTitle;  // "記録の保護"
extern const char* const kJournalBack;   // "記録の保護を再開しました。"
std::string journalLostText(const Journal& j);
std::string journalSetAsideText(const Journal& j);
// Another running copy holds the journal: who, in one line, and the start-up
// question (OK: open without a board and without the journal; Cancel: quit).
std::string journalHeldLine(const Journal& j);
std::string journalHeldText(const Journal& j);
// Asks the start-up question when the journal is held elsewhere; true: open
// without a board and without the journal, false: quit.
bool openWithoutJournal(Program& c, const Journal& j);

// Layout rule on every resize: height fit, graph width, redraw of the view in force.
void Form_Resize(Program& c);
// Quit question when the user closes the window (reason 0); returns the cancel
// flag. On OK every window is closed and the program ends.
bool Form_QueryUnload(Program& c, int closeReason);
void Pgend_Click(Program& c);
void HelpVer_Click(Program& c);
void Command2_Click(Program& c);
void kovhp_Click(Program& c);

extern const char* const kVersionText;  // "ＴＯＢＲＡＫ　バージョン　" and the version, full width
extern const char* const kVersionText2;

}  // namespace tobrak
