#include "app/headless/headless_app.h"

#include "app/filedisp.h"

namespace tobrak::headless {

HeadlessUi::HeadlessUi() {
    // Design geometry of the surfaces that the start-up does not set whole.
    Picture1.setGeometry(0, 0, 1575, 5520);
    Picture10.setGeometry(3360, 2000, 4215, 1485);
    Image1.setGeometry(0, 0, 10, 10);
    zoomForm.clientW = 5310;
    zoomForm.clientH = 5700 - MemForm::kFrame;
    zoomForm.shown = false;
    koyakuForm.shown = false;
    historyForm.shown = false;
}

void HeadlessUi::attach(Program& c, EventSource* board) {
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
    m.Label11 = &Label11;
    m.Picture1 = &Picture1;
    m.Picture2 = &Picture2;
    m.Picture3 = &Picture3;
    m.Picture9 = &Picture9;
    m.Picture10 = &Picture10;
    m.Frame1 = &Frame1;
    m.Image1 = &Image1;
    m.Combo1 = &Combo1;
    m.form = &form;
    m.zoomForm = &zoomForm;
    m.koyakuForm = &koyakuForm;
    m.Label13 = &Label13;
    for (std::size_t i = 0; i < 2; ++i) m.Label16[i] = &Label16[i];
    for (std::size_t i = 0; i < 6; ++i) m.Label9[i] = &Label9[i];
    for (std::size_t i = 0; i < 16; ++i) {
        m.Text2[i] = &Text2[i];
        m.Text4[i] = &Text4[i];
    }
    m.ZoomPicture1 = &ZoomPicture1;
    HistoryView& h = c.history;
    h.form = &historyForm;
    h.probAll = &probAll;
    h.probNormal = &probNormal;
    h.table = &historyTable;
    h.profile = &profileCombo;
    h.bars = &historyBars;
    h.payout = &payout;
    h.used = &used;
    h.reliability = &reliability;
    h.counterEffects = &counterEffects;
    c.ui.menus = &menus;
    c.ui.shell = &shell;
    c.ui.windows = &windows;
    c.ui.Timer2 = &Timer2;
    c.ui.Timer8 = &Timer8;
    c.ui.dialogs = &dialogs;
    c.session.setBoard(board ? board : &noBoard_);
    c.ui.printer = &printer;
    c.ui.Picture2 = &Picture2s;
    c.ui.Picture3 = &Picture3s;
    c.ui.Zoom = &Zoom;
    c.attach();
}

HeadlessApp::HeadlessApp(EventSource* board) {
    ui.attach(program, board);
    ui.Timer2.bind([this] { program.Timer2_Timer(); });
    ui.Timer8.bind([this] { program.Timer8_Timer(); });
    Form_Load(program);
}

void HeadlessApp::run(int ms) {
    for (int t = 0; t < ms; t += kPollMs) {
        const int step = ms - t < kPollMs ? ms - t : kPollMs;
        ui.Timer2.advance(step);
        ui.Timer8.advance(step);
    }
}

}  // namespace tobrak::headless
