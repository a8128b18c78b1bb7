#pragma once
// All state of the running program in plain structs: one instance in the program,
// a fresh one per test. The platform members point at the controls, timers,
// dialogs and board of whichever front end runs the logic.
#include <array>
#include <cstdint>
#include <string>

#include "platform/board.h"
#include "platform/controls.h"
#include "platform/dialogs.h"
#include "platform/shell.h"
#include "record/counters.h"
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
    bool inPoll = false;  // a poll is still running (a modal box is open inside it)
};

constexpr int kRows = 13;
constexpr int kPages = 5;
using PageTable = std::array<std::array<std::string, kRows>, kPages>;

// Window-level values of the main window.
struct FileDispState {
    std::int16_t MenuPage = -1;
    std::int32_t G_In = 0;
    std::int32_t G_Ot = 0;
    std::u16string ComData;
    std::int16_t ZoomSel = 3;  // checked item of the zoom menu; 3: none
    PageTable Koumoku;  // row captions
    PageTable Tani;     // row units
};

// Pen state of the two graphs, read for the live markers.
struct GraphPen {
    std::int32_t Ghp_Scroll = 0;
    float Ghp_LastX = 630.0f;
    float Ghp_LastY = 2720.0f;
    float Zoom_Scl = 10.0f;
    float Zoom_LastX = 60.0f;
    float Zoom_LastY = 0.0f;
    std::int32_t Ox = 0;
    std::int32_t Oy = 0;
};

// What the procedures ask of the views that are not built yet: the graph, the
// zoom window, the charts and the printed report. Does nothing by default.
class ViewHooks {
public:
    virtual ~ViewHooks() = default;
    // One more step of the slump graph / the zoom graph for a completed game.
    virtual void Ghp1Disp(std::uint8_t /*gameByte*/) {}
    virtual void Zoom1sub(std::uint8_t /*gameByte*/) {}
    // A number printed at (x, y) on the main graph surface / the zoom surface.
    virtual void printMain(float /*x*/, float /*y*/, std::int32_t /*value*/) {}
    virtual void printZoom(float /*x*/, float /*y*/, std::int32_t /*value*/) {}
    // Drawing part of the graph clear: surfaces cleared, grid redrawn, frame reset.
    virtual void GhpClrInit() {}
    // Replay of the whole record on the main graph.
    virtual void GhpDispAll() {}
    // Clear, grid, labels, origin dot, line reset and replay of the main graph.
    virtual void standardRedraw() {}
    virtual void X4GhpInit() {}
    virtual void X4_Line() {}
    virtual void G_zoom_Click(int /*index*/) {}
    virtual void Sub_ZoomMove() {}
    virtual void scrollClick(const std::string& /*name*/) {}
    virtual void Kaiseki_Click(int /*index*/) {}
    virtual void HistEnd_Click() {}
    virtual void O_prin_Click() {}
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
    Label* Label1 = nullptr;   // board status
    Label* Label12 = nullptr;  // event monitor line
    Label* Label14 = nullptr;  // gain of the running bonus
    Label* Label15 = nullptr;  // its unit
    std::array<Label*, kRows> Label2{};  // panel captions
    std::array<Label*, kRows> Label3{};  // panel values
    std::array<Label*, kRows> Label4{};  // panel units
    Box* Picture1 = nullptr;   // statistics panel
    Box* Picture2 = nullptr;   // slump graph surface
    Box* Picture3 = nullptr;   // y-axis label strip
    Box* Picture9 = nullptr;   // y-axis strip of the analysis view
    Box* Picture10 = nullptr;  // version box
    Box* Frame1 = nullptr;     // analysis controls
    Box* Image1 = nullptr;     // zoom selection frame
    Label* Label11 = nullptr;  // analysis title
    ComboBox* Combo1 = nullptr;
    FormWindow* form = nullptr;  // the main window itself
};

// Menu items by control name; an element of a control array by name and index.
class Menus {
public:
    virtual ~Menus() = default;
    virtual MenuItem* item(const std::string& name, int index = -1) = 0;
};

struct Platform {
    MainControls main;
    Menus* menus = nullptr;
    Timer* Timer2 = nullptr;  // 80 ms poll
    Timer* Timer8 = nullptr;  // 300 ms bonus blink
    Dialogs* dialogs = nullptr;
    Board* board = nullptr;
    Shell* shell = nullptr;
    AppWindows* windows = nullptr;
    ViewHooks* graph = nullptr;
    MenuItem* menu(const std::string& name, int index = -1) const { return menus->item(name, index); }
};

struct Core {
    PlayRecord rec;
    Counters cnt;
    Flags flags;
    Markers mark;
    Figures fig;
    Rs232State rs;
    FileDispState fd;
    GraphPen pen;
    Platform ui;
};

}  // namespace tobrak
