#include "app/views.h"

namespace tobrak {

void ChrClrInit(Program& c) {
    c.session.clearFlags();
    c.cnt.reset();
    c.panel.fig = Figures{};
}

void ChrDispAll(Program& c) {
    c.session.recount();
    c.panel.menPageDisp();
    c.session.resumeBonus();
    c.status.resumeBlink();
}

void GhpClrInit(Program& c) {
    c.koyaku.koyakuForm->setVisible(false);
    if (c.history.form) c.history.form->setVisible(false);  // its snapshot is of the old record
    c.ui.Timer8->setEnabled(false);
    c.status.hideGain();
    c.graph.Ghp_Scroll = 0;
    c.graph.expectedRate = c.expectedRate();
    c.zoom.Zoom->cls();
    c.zoom.Sub_Sub1(Ghp_Left, c.graph.P2y);
    c.zoom.Sub_ZoomMove();
    c.graph.gridAndLabels();
    Surface& s = *c.graph.Picture2;
    s.pset(Ghp_Left, c.graph.P2y, rgb::White);
    s.setDrawWidth(1);
    c.zoom.Zoom->setDrawWidth(1);
    c.graph.GhpLineInit();
}

void GhpHyo_Click(Program& c, int index) {
    // The option is the marker it sets; the check mark only shows it.
    bool on = false;
    switch (index) {
        case 0: on = c.mark.Mark_BBs = c.mark.Mark_RBs = !c.mark.Mark_BBs; break;
        case 2: on = c.mark.Mark_BBe = !c.mark.Mark_BBe; break;
        case 4: on = c.mark.Mark_RBe = !c.mark.Mark_RBe; break;
        default: return;
    }
    c.ui.menu("GhpHyo", index)->setChecked(on);
    GhpRebuildAll(c);
    c.session.headerChanged();
}

void expectedLineClick(Program& c, bool on, int setting) {
    if (setting < 0 || setting > kSettings) return;
    const bool same = c.expected.on == on && c.expected.setting == setting;
    c.expected = {on, setting};
    showExpectedLine(c);
    // Off, the setting changes no picture.
    if (same || (!on && c.graph.expectedRate <= 0)) return;
    GhpRebuildAll(c);
}

void showExpectedLine(Program& c) {
    c.ui.menu("menKitai")->setChecked(c.expected.on);
    for (int k = 0; k <= kSettings; ++k) c.ui.menu("KitaiSet", k)->setChecked(k == c.expected.setting);
}

void GhpRebuildAll(Program& c) {
    SlumpGraph& g = c.graph;
    g.expectedRate = c.expectedRate();
    g.gridAndLabels();
    g.Picture2->pset(Ghp_Left, g.P2y, rgb::White);
    g.Picture2->setDrawWidth(1);
    c.zoom.Zoom->setDrawWidth(1);
    g.GhpLineInit();
    g.GhpDispAll();
    recountAndZoom(c);
}

void recountAndZoom(Program& c) {
    ChrClrInit(c);
    ChrDispAll(c);
    c.zoom.X4GhpInit();
    c.zoom.X4_Line();
    c.zoom.G_zoom_Click(c.zoom.ZoomSel);
}

namespace {
void setMarkers(Program& c, bool on) {
    c.ui.menu("GhpHyo", 0)->setChecked(on);
    c.mark.Mark_BBs = on;
    c.mark.Mark_RBs = on;
    c.ui.menu("GhpHyo", 2)->setChecked(on);
    c.mark.Mark_BBe = on;
    c.ui.menu("GhpHyo", 4)->setChecked(on);
    c.mark.Mark_RBe = on;
}
}  // namespace

void Hyouji_Menu_Init(Program& c) { setMarkers(c, true); }
void Hyouji_Menu_Cls(Program& c) { setMarkers(c, false); }

void Kaiseki_Click(Program& c, int index) {
    if (index == 10) {
        c.koyaku.KoyakuDisp();
        c.koyaku.koyakuForm->setVisible(true);
        return;
    }
    if (index == 12) {
        if (!c.history.form) return;  // a front end without that window
        c.history.HistoryDisp();
        c.history.form->setVisible(true);
        return;
    }
    c.analysis.showChart(index);
}

void HistEnd_Click(Program& c) {
    c.analysis.HistEnd_Click();
    GhpRebuildAll(c);
}

}  // namespace tobrak
