#pragma once
// The headless front end: every control of the program kept in memory, for the
// command-line tool and the tests.
#include "app/file_commands.h"
#include "app/filedisp.h"
#include "app/menu.h"
#include "app/program.h"
#include "app/views.h"
#include "platform/headless/memory_ui.h"

namespace tobrak::headless {

// Every control and timer of the logic, in memory, wired into a program.
class HeadlessUi {
public:
    HeadlessUi();
    // Points the program's platform at these controls; `board` may be null (no board).
    void attach(Program& c, EventSource* board);

    MemLabel Label1, Label12, Label14, Label15, Label11;
    std::array<MemLabel, kRows> Label2, Label3, Label4;
    MemBox Picture1, Picture2, Picture3, Picture9, Picture10, Frame1, Image1;
    MemCombo Combo1;
    RecordingSurface Picture2s, Picture3s, Zoom;
    MemForm form;
    MemForm zoomForm;  // the zoom window, 5310 x 5700 outside
    MemForm koyakuForm;
    MemLabel Label13;
    std::array<MemLabel, 2> Label16;
    std::array<MemLabel, 6> Label9;
    std::array<MemLabel, 16> Text2, Text4;
    MemBox ZoomPicture1;
    // The bonus history window.
    MemForm historyForm;
    MemLabel probAll, probNormal, payout, used, reliability, counterEffects;
    MemTable historyTable;
    MemCombo profileCombo;
    RecordingSurface historyBars;
    MemMenus menus;
    MemTimer Timer2, Timer8;
    ScriptedDialogs dialogs;
    MemShell shell;
    ScriptedPrinter printer;
    MemWindows windows;

private:
    NoSource noBoard_;
};

// A started program with the headless platform: Form_Load has run and the
// timers drive the acquisition of this program.
class HeadlessApp {
public:
    explicit HeadlessApp(EventSource* board);
    // Advances time by `ms` in 80 ms steps: polls and blink ticks fall due in order.
    void run(int ms);

    Program program;
    HeadlessUi ui;
};

}  // namespace tobrak::headless
