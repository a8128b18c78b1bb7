#include "platform/headless/memory_ui.h"

#include "acquisition/rs232.h"
#include "app/filedisp.h"

namespace tobrak::headless {

HeadlessUi::HeadlessUi() = default;

void HeadlessUi::attach(Core& c, Board* board, GraphHooks* graph) {
    MainControls& m = c.ui.main;
    m.Label1 = &Label1;
    m.Label12 = &Label12;
    m.Label14 = &Label14;
    m.Label15 = &Label15;
    for (int r = 0; r < kRows; ++r) {
        m.Label2[r] = &Label2[r];
        m.Label3[r] = &Label3[r];
        m.Label4[r] = &Label4[r];
    }
    m.menPage = &menPage;
    for (std::size_t i = 0; i < GhpHyo.size(); ++i) m.GhpHyo[i] = &GhpHyo[i];
    c.ui.Timer2 = &Timer2;
    c.ui.Timer8 = &Timer8;
    c.ui.dialogs = &dialogs;
    c.ui.board = board ? board : &noBoard_;
    c.ui.graph = graph ? graph : &noGraph_;
}

HeadlessApp::HeadlessApp(Board* board, GraphHooks* graph) {
    ui.attach(core, board, graph);
    ui.Timer2.bind([this] { Timer2_Timer(core); });
    ui.Timer8.bind([this] { Timer8_Timer(core); });
    Form_Load(core);
}

void HeadlessApp::run(int ms) {
    for (int t = 0; t < ms; t += kPollMs) {
        const int step = ms - t < kPollMs ? ms - t : kPollMs;
        ui.Timer2.advance(step);
        ui.Timer8.advance(step);
    }
}

}  // namespace tobrak::headless
