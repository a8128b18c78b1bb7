#pragma once
// All state of the running program in plain structs: one instance in the program,
// a fresh one per test. The platform members point at the controls, timers,
// dialogs and board of whichever front end runs the logic.
#include <array>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "analysis/estimate.h"
#include "platform/board.h"
#include "platform/controls.h"
#include "platform/dialogs.h"
#include "platform/live_view.h"
#include "platform/menu_tree.h"
#include "platform/printer.h"
#include "platform/shell.h"
#include "platform/surface.h"
#include "record/counters.h"
#include "record/journal.h"
#include "record/play_events.h"
#include "record/play_record.h"

namespace tobrak {

struct Flags {
    bool BBGame_On = false;
    bool RBGame_On = false;
    std::int16_t Kaiseki_On = 0;  // 0: graph view; n: analysis command n-1 shown
};

struct Markers {
    bool Mark_BBs = true;
    bool Mark_RBs = true;
    bool Mark_BBe = true;
    bool Mark_RBe = true;
};

// Derived figures of the panel, kept between displays.
struct Figures {
    float Payout_Rate = 0.0f;
    float Slump_Rate = 0.0f;
    float BB_IntvAvg = 0.0f;
    float BB_GainAvg = 0.0f;
    float BB_GameAvg = 0.0f;
    float RB_IntvAvg = 0.0f;
    float RB_GainAvg = 0.0f;
    float RB_GameAvg = 0.0f;
};

// Public fields of the acquisition window.
struct Rs232State {
    std::uint8_t Usb_Dat = 0;
    bool Usb_On = false;
    std::uint8_t InMai = 0;
    bool DaiBB_On = false;
    bool DaiRB_On = false;
    bool inPoll = false;          // a poll is still running (a modal box is open inside it)
    Rgb gainColour = rgb::Black;  // text colour of the running bonus's gain, as last shown
    std::string monitor = " ";    // the event monitor line, as last shown
};

constexpr int kRows = 13;
constexpr int kPages = 5;
using PageTable = std::array<std::array<std::string, kRows>, kPages>;

// Window-level values of the main window.
struct FileDispState {
    std::int16_t MenuPage = -1;
    // Games, payouts, a clear or a comment since the record was last loaded or saved.
    bool Unsaved = false;
    std::int32_t G_In = 0;
    std::int32_t G_Ot = 0;
    std::u16string ComData;
    std::int16_t ZoomSel = 3;                          // checked item of the zoom menu; 3: none
    bool JournalBoxOpen = false;                       // the journal's message box is open
    PageTable Koumoku;                                 // row captions
    PageTable Tani;                                    // row units
    std::array<Rgb, kRows> Label2Back = filledCyan();  // row captions' background, as last shown

private:
    static std::array<Rgb, kRows> filledCyan() {
        std::array<Rgb, kRows> a;
        a.fill(rgb::Cyan);
        return a;
    }
};

// The slump graph's fixed geometry and line state, and the zoom window's pen
// that the live markers read.
struct GraphState {
    float con_BitBai = 1.0f;         // twips per medal
    std::int32_t con_Inmax = 90000;  // x axis length in medals in
    float P2y = 2720.0f;             // zero line of the band
    float Ghp_Step = 15.0f;          // medals in between two plotted points
    std::int32_t Ghp_Scroll = 0;     // 0 or a negative multiple of 1000
    bool Ghp_Redraw = false;         // a whole record is being replayed

    float Ghp_LastX = 630.0f;
    float Ghp_LastY = 2720.0f;
    Rgb Ghp_Color = rgb::White;
    std::int32_t Ghp_Band = 0;
    std::int32_t Ghp_PlotNo = 1;
    std::int32_t Ghp_In = 0;
    std::int32_t Ghp_Out = 0;
    bool Ghp_BB_On = false;
    bool Ghp_RB_On = false;
    std::int32_t Ghp_IntvCnt = 0;
    std::int32_t Ghp_BBGain = 0;
    std::int32_t Ghp_RBGain = 0;
    // Medals in at which the next point is plotted, for the step, point number and
    // scale it was worked out for: a replay asks once a game, the answer changes
    // once a point.
    struct {
        float step = 0.0f;
        std::int32_t plotNo = 0;
        float bitBai = 0.0f;
        double medalsIn = 0.0;
    } Ghp_NextPlot;

    // Zoom selection and the zoom window's line.
    float Zoom_Scl = 10.0f;
    float Zoom_Left = 60.0f;
    std::int32_t Zoom_Top = 60;
    std::int32_t Zoom_P2y = 25060;
    float Sel_X = 0.0f;
    float Sel_Y = 0.0f;
    float Zoom_LastX = 60.0f;
    float Zoom_LastY = 25060.0f;
    Rgb Zoom_Color = rgb::White;
    std::int32_t Zoom_Next = 2;
    std::int32_t Zoom_BandOff = 0;
    std::int32_t Zoom_In = 0;
    std::int32_t Zoom_Out = 0;
    std::int32_t Zoom_GIn = 0;
    std::int32_t Zoom_GOt = 0;
    bool Zoom_BB_On = false;
    bool Zoom_RB_On = false;
    std::int32_t Zoom_IntvCnt = 0;
    std::int32_t Zoom_BBGain = 0;
    std::int32_t Zoom_RBGain = 0;
    // The selection frame on the graph (Image1), twips in single precision: at x3
    // it is 5000 / 3 square, and the zoom offsets are taken from its exact place.
    struct {
        float Left = 0.0f, Top = 0.0f, Width = 10.0f, Height = 10.0f;
    } Frame;
    std::int32_t Ox = 0;  // the zoom window's view offsets, twips
    std::int32_t Oy = 0;
};

constexpr int kHistLen = 31006;  // Hist_Cnt indexes 0..31005

// What the last chart drew: its bin width, count scale and bins.
struct HistChart {
    std::int32_t Max = 0;
    float avg = 0.0f;
    float W = 1.0f;
    float S = 500.0f;
    std::vector<std::int16_t> bins;  // Hist_Bin[0 .. Max div W]
    bool marker = false;             // the average marker was drawn
    std::string avgText;
};

// The analysis view's counts, and the small-win table's.
struct AnalysisState {
    std::array<std::int16_t, kHistLen> Hist_Cnt{};
    std::int16_t Combo_Work = 0;
    std::int16_t Combo_Index = 29;  // the chosen "within N games" entry, N - 1
    HistChart chart;
    std::array<std::int32_t, 16> Koyaku_Nor{};
    std::array<std::int32_t, 16> Koyaku_BB{};
};

// The bonus history window's profile choice.
struct HistoryViewState {
    std::string profileDir;             // the user's profile folder; empty: the built-in example only
    std::vector<ProfileSlot> profiles;  // as last listed
    std::string chosen;                 // label of the chosen profile, kept over refreshes
    PlayCounts counts;                  // of the record as the window last showed it
};

// The windows' lifetime as the quit command needs it.
class AppWindows {
public:
    virtual ~AppWindows() = default;
    // Closes the zoom, main, print and acquisition windows in that order; the
    // program ends when the last one is closed.
    virtual void shutdown() = 0;
};

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

// Menu items by control name; an element of a control array by name and index.
class Menus {
public:
    virtual ~Menus() = default;
    virtual MenuItem* item(const std::string& name, int index = -1) = 0;
};

// The bonus history and setting estimate window.
struct HistoryControls {
    FormWindow* form = nullptr;
    Label* probAll = nullptr;     // probabilities over every game
    Label* probNormal = nullptr;  // over normal games
    TextTable* table = nullptr;   // one row per bonus
    ComboBox* profile = nullptr;  // machine profile choice
    Surface* bars = nullptr;      // posterior of each setting
    Label* payout = nullptr;      // expected payout rate
    Label* used = nullptr;        // what the estimate used
    Label* reliability = nullptr;
};

struct Platform {
    MainControls main;
    HistoryControls history;
    Menus* menus = nullptr;
    Timer* Timer2 = nullptr;  // 80 ms poll
    Timer* Timer8 = nullptr;  // 300 ms bonus blink
    Dialogs* dialogs = nullptr;
    Board* board = nullptr;
    Shell* shell = nullptr;
    std::string manual;  // address of the documentation the help menu opens
    AppWindows* windows = nullptr;
    Printer* printer = nullptr;
    Journal* journal = nullptr;  // the session journal, when one is kept
    std::vector<PlayListener*> listeners;
    LiveViewHost* liveView = nullptr;  // the live view, when the front end has one
    template <class F>
    void tell(F f) const {
        for (PlayListener* l : listeners) f(*l);
    }
    Surface* Picture2 = nullptr;  // the slump graph
    Surface* Picture3 = nullptr;  // its y-axis label strip
    Surface* Zoom = nullptr;      // the zoom window's graph
    // An item the front end did not make is a programming error, not a null item.
    MenuItem* menu(MenuName name, int index = -1) const {
        MenuItem* m = menus->item(name.name, index);
        if (!m) throw std::logic_error("no menu item " + menuKey(name.name, index));
        return m;
    }
};

struct Core;
// The display options as header byte 43 holds them.
std::uint8_t currentOptions(const Core& c);

struct Core {
    PlayRecord rec;
    Counters cnt;
    Flags flags;
    Markers mark;
    Figures fig;
    Rs232State rs;
    FileDispState fd;
    GraphState graph;
    AnalysisState hist;
    HistoryViewState history;
    Platform ui;
};

}  // namespace tobrak
