#include "app/program.h"

#include "app/file_commands.h"
#include "counts/estimate.h"

namespace tobrak {

Program::Program(SessionClock* clock) : session(clock) { session.listen(*this); }
Program::~Program() { session.forget(*this); }

void Program::attach() {
    MainControls& m = ui.main;
    status.Label1 = m.Label1;
    status.Label12 = m.Label12;
    status.Label14 = m.Label14;
    status.Label15 = m.Label15;
    status.Timer8 = ui.Timer8;
    status.dialogs = ui.dialogs;

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
    history.times = &session.times();
    history.manual = &session.manual;
    // The chosen machine profile names the hand counters; one without any leaves
    // those counted as they are.
    history.profileChosen = [this](const MachineProfile& p) {
        if (!p.counters.empty()) session.nameCounters(p.counters);
        profile = p;
        refreshExpectedLine();
    };
    session.nameCounters(exampleProfile().counters);
}

double Program::expectedRate() const {
    if (!expected.on) return 0;
    PlayCounts n = playCounts(rec, bonusHistory(rec));
    n.manual = session.manual;
    return payoutRate(profile, n, expected.setting);
}

void Program::refreshExpectedLine() {
    const double rate = expectedRate();
    if (rate == graph.expectedRate) return;
    graph.expectedRate = rate;
    // A chart in place of the graph: the way back redraws it.
    if (!graphShown()) return;
    graph.GhpStandardRedraw(graph.Ghp_Scroll == 0);
    if (zoom.ZoomSel != ZoomState::kZoomOff) zoom.Sub_ZoomMove();
}

PrintSource Program::printSource() {
    PrintSource s{rec, cnt.Tot_In, {}, {}, graph.expectedRate};
    panel.panelTexts(s.captions, s.values);
    return s;
}

void Program::gameClosed(std::int32_t index) {
    // The replay after a load drew the loaded games; each later one is drawn once.
    if (graph.Ghp_Pos != index + 1) return;
    const std::uint8_t previous = rec.Dat_Buf[index];
    if (graphShown()) graph.Ghp1Disp(previous);
    zoom.Zoom1sub(previous);
    graph.Ghp_Pos += 1;
}

void Program::changed() {
    if (Unsaved) return;
    Unsaved = true;
    if (!FileName.empty()) showTitle(*this);
}

void Program::gameStarted(std::int32_t, const EventTime&) {
    changed();
    // Each game moves the estimate a little; the likeliest setting seldom changes.
    if (expected.on && expected.setting == 0) refreshExpectedLine();
    panel.menPageDisp();
}

void Program::payout(std::int32_t, const EventTime&) {
    changed();
    panel.menPageDisp();
}

void Program::bonusStarted(Bonus k, std::int32_t interval, const EventTime&) {
    status.blinkOn();
    // A chart in place of the graph is a picture of its own: the figure waits for the
    // graph's rebuild on the way back, which writes every marker from the record.
    if (k == Bonus::BB ? mark.Mark_BBs : mark.Mark_RBs) {
        if (graphShown()) graph.markInterval(interval);
        zoom.markInterval(interval);
    }
    panel.menPageDisp();
}

void Program::bonusEnded(Bonus k, std::int32_t gain, const EventTime&) {
    if (k == Bonus::BB ? mark.Mark_BBe : mark.Mark_RBe) {
        if (graphShown()) graph.markGain(gain);
        zoom.markGain(gain);
    }
    panel.menPageDisp();
}

}  // namespace tobrak
