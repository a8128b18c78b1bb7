#include "app/program.h"

namespace tobrak {

void Program::attach() {
    MainControls& m = ui.main;
    acq.Label1 = m.Label1;
    acq.Label12 = m.Label12;
    acq.Label14 = m.Label14;
    acq.Label15 = m.Label15;
    acq.Timer2 = ui.Timer2;
    acq.Timer8 = ui.Timer8;
    acq.board = ui.board;
    acq.dialogs = ui.dialogs;

    panel.Label2 = m.Label2;
    panel.Label3 = m.Label3;
    panel.Label4 = m.Label4;
    panel.menus = ui.menus;

    graph.Picture2 = ui.Picture2;
    graph.Picture3 = ui.Picture3;

    zoom.Zoom = ui.Zoom;
    zoom.Image1 = m.Image1;
    zoom.ZoomPicture1 = m.ZoomPicture1;
    zoom.zoomForm = m.zoomForm;
    zoom.form = m.form;
    zoom.menus = ui.menus;

    scroll.Picture1 = m.Picture1;
    scroll.Picture2 = m.Picture2;
    scroll.form = m.form;

    analysis.Picture2 = ui.Picture2;
    analysis.Picture3 = m.Picture3;
    analysis.Picture9 = m.Picture9;
    analysis.Image1 = m.Image1;
    analysis.zoomForm = m.zoomForm;
    analysis.Frame1 = m.Frame1;
    analysis.Label11 = m.Label11;
    analysis.Combo1 = m.Combo1;
    analysis.Label16 = m.Label16;
    analysis.Label9 = m.Label9;
    analysis.menus = ui.menus;

    koyaku.koyakuForm = m.koyakuForm;
    koyaku.Text2 = m.Text2;
    koyaku.Text4 = m.Text4;

    history.dialogs = ui.dialogs;
}

PrintSource Program::printSource() {
    PrintSource s{rec, cnt.Tot_In, {}, {}};
    panel.panelTexts(s.captions, s.values);
    return s;
}

void Program::gameClosed(std::uint8_t previous) {
    if (graphShown()) graph.Ghp1Disp(previous);
    zoom.Zoom1sub(previous);
}

void Program::byteChanged(std::int32_t index) {
    Unsaved = true;
    if (ui.journal) ui.journal->byteSet(rec, index, options());
    panel.menPageDisp();
}

void Program::gameRecorded(std::int32_t index) {
    byteChanged(index);
    ui.tell([](PlayListener& l) { l.gameStarted(); });
}

void Program::payoutRecorded(std::int32_t index) {
    byteChanged(index);
    ui.tell([](PlayListener& l) { l.payout(); });
}

void Program::bonusStarted(Bonus k, std::int32_t interval) {
    if (k == Bonus::BB ? mark.Mark_BBs : mark.Mark_RBs) {
        graph.markInterval(interval);
        zoom.markInterval(interval);
    }
    panel.menPageDisp();
    ui.tell([k](PlayListener& l) { l.bonusStarted(k); });
}

void Program::bonusEnded(Bonus k, std::int32_t gain) {
    if (k == Bonus::BB ? mark.Mark_BBe : mark.Mark_RBe) {
        graph.markGain(gain);
        zoom.markGain(gain);
    }
    panel.menPageDisp();
    ui.tell([k](PlayListener& l) { l.bonusEnded(k); });
}

}  // namespace tobrak
