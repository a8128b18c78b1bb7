#pragma once
// The program: the session and every view of it. It is the session's first
// listener: each change reaches the graph, the zoom window, the status labels and
// the panel before any other listener hears of it.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "acquisition/status_view.h"
#include "analysis/histogram.h"
#include "analysis/history_view.h"
#include "analysis/koyaku.h"
#include "counts/machine_profile.h"
#include "graph/scroll.h"
#include "graph/zoom.h"
#include "platform/exporter.h"
#include "platform/live_view.h"
#include "platform/printer.h"
#include "platform/shell.h"
#include "print/print_report.h"
#include "session/session.h"
#include "stats/panel.h"

namespace tobrak {

// The main window's controls as a front end makes them.
struct MainControls {
    Label* Label1 = nullptr;             // board status
    Label* Label12 = nullptr;            // event monitor line
    Label* Label14 = nullptr;            // gain of the running bonus
    Label* Label15 = nullptr;            // its unit
    std::array<Label*, kRows> Label2{};  // panel captions
    std::array<Label*, kRows> Label3{};  // panel values
    std::array<Label*, kRows> Label4{};  // panel units
    Box* Picture1 = nullptr;             // statistics panel
    Box* Picture2 = nullptr;             // slump graph surface
    Box* Picture3 = nullptr;             // y-axis label strip
    Box* Picture9 = nullptr;             // y-axis strip of the analysis view
    Box* Picture10 = nullptr;            // version box
    Box* Frame1 = nullptr;               // analysis controls
    Box* Image1 = nullptr;               // zoom selection frame
    Label* Label11 = nullptr;            // analysis title
    ComboBox* Combo1 = nullptr;
    Label* Label13 = nullptr;          // "ゲーム以内"
    std::array<Label*, 2> Label16{};   // count within the limit, its share
    std::array<Label*, 6> Label9{};    // count labels of the chart
    FormWindow* koyakuForm = nullptr;  // the small-win table's window
    std::array<Label*, 16> Text2{};    // its normal-game column
    std::array<Label*, 16> Text4{};    // its BB-game column
    FormWindow* form = nullptr;        // the main window itself
    FormWindow* zoomForm = nullptr;    // the zoom window
    Box* ZoomPicture1 = nullptr;       // its surface's place and size
};

// What a front end provides: the controls, timers, dialogs, board and services.
struct Platform {
    MainControls main;
    Menus* menus = nullptr;
    Timer* Timer2 = nullptr;  // 80 ms poll
    Timer* Timer8 = nullptr;  // 300 ms bonus blink
    Dialogs* dialogs = nullptr;
    Shell* shell = nullptr;
    std::string manual;  // address of the documentation the help menu opens
    AppWindows* windows = nullptr;
    Printer* printer = nullptr;
    Exporter* exporter = nullptr;       // PDF and PNG files, when the front end makes them
    LiveViewHost* liveView = nullptr;   // the live view, when the front end has one
    FormWindow* counterForm = nullptr;  // the hand counters' window, when the front end has one
    Surface* Picture2 = nullptr;        // the slump graph
    Surface* Picture3 = nullptr;        // its y-axis label strip
    Surface* Zoom = nullptr;            // the zoom window's graph
    MenuItem* menu(MenuName name, int index = -1) const { return &menus->at(name, index); }
};

class Program final : public SessionListener {
public:
    explicit Program(SessionClock* clock = nullptr);
    ~Program() override;
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    Session session;
    PlayRecord& rec = session.rec;
    Counters& cnt = session.cnt;
    Markers& mark = session.mark;
    std::u16string& ComData = session.comment;  // the record's comment
    Panel panel{cnt};
    SlumpGraph graph{rec, mark};
    ZoomView zoom{rec, mark, graph};
    GraphScroll scroll{graph, zoom};
    AnalysisView analysis{rec, cnt};
    SmallWinTable koyaku{rec};
    HistoryView history{rec};
    StatusView status{session, panel};

    // Games, payouts, a clear or a comment since the record was last loaded or saved.
    bool Unsaved = false;
    // The play-data file the record was last loaded from or saved to, which
    // 上書き保存 writes; empty after a clear, a restore or an opened journal.
    std::string FileName;
    // Notes a change of the record since the file; the title marks it.
    void changed();
    bool JournalBoxOpen = false;  // the journal's message box is open

    // The machine profile chosen in the setting-estimate window (the example at start).
    MachineProfile profile = exampleProfile();
    // The expected-value line: shown or not, and for which setting (0 the likeliest
    // one of the estimate, 1 to 6 that one). A window setting, not the record's.
    struct ExpectedLine {
        bool on = false;
        int setting = 0;
    } expected;
    // Its payout rate (1.0 is 100 %) from the profile, the record and the hand
    // counts; 0 when it is off or the profile gives the setting no payout.
    double expectedRate() const;
    // The graphs redrawn when the expected line's rate is no longer the one drawn
    // (the estimate moved, another profile was chosen).
    void refreshExpectedLine();

    Platform ui;
    // Hands the front end's controls and services to the views; once, after `ui`
    // is filled (the history window's controls are the history view's own).
    void attach();

    // The display options as header byte 43 holds them.
    std::uint8_t options() const { return session.options(); }
    // The timers' handlers: the 80 ms poll and the 300 ms blink.
    void Timer2_Timer() { session.poll(); }
    void Timer8_Timer() { status.Timer8_Timer(graphShown()); }
    // The panel's page in view and the whole record, for the printed report.
    PrintSource printSource();

    // Whether the graph view (not the analysis view) is in place.
    bool graphShown() const { return analysis.Kaiseki_On == 0; }

    void gameClosed(std::int32_t index) override;
    void gameStarted(std::int32_t index, const EventTime& t) override;
    void payout(std::int32_t index, const EventTime& t) override;
    void bonusStarted(Bonus k, std::int32_t interval, const EventTime& t) override;
    void bonusEnded(Bonus k, std::int32_t gain, const EventTime& t) override;
    void boardPolled(bool reachable, bool changed) override { status.boardPolled(reachable, changed); }
    void monitorChanged() override { status.monitorChanged(); }
    void recordFull() override { status.recordFull(); }
    // A hand count moves the estimate as a game does.
    void manualCounted(int) override {
        if (expected.on && expected.setting == 0) refreshExpectedLine();
    }
};

}  // namespace tobrak
