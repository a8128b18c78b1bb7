#include "graph/display_options.h"

#include "app/filedisp.h"
#include "graph/slump_graph.h"
#include "graph/zoom.h"
#include "stats/stats_engine.h"

namespace tobrak {

void GhpHyo_Click(Core& c, int index) {
    MenuItem* item = c.ui.menu("GhpHyo", index);
    const bool on = !item->checked();
    item->setChecked(on);
    switch (index) {
        case 0: c.mark.Mark_BBs = c.mark.Mark_RBs = on; break;
        case 2: c.mark.Mark_BBe = on; break;
        case 4: c.mark.Mark_RBe = on; break;
        default: return;
    }
    GhpRebuildAll(c);
    if (c.ui.journal) c.ui.journal->header(c.rec, currentOptions(c));
}

void GhpRebuildAll(Core& c) {
    Surface& s = *c.ui.Picture2;
    s.cls();
    MemoriGhp(s, c.graph, 1.0f, Ghp_Left, Ghp_Top, -c.graph.Ghp_Scroll, 0);
    MemoriChr(s, c.graph, 1.0f, Ghp_Left, Ghp_Top);
    s.pset(Ghp_Left, c.graph.P2y, rgb::White);
    s.setDrawWidth(1);
    c.ui.Zoom->setDrawWidth(1);
    GhpLineInit(c);
    GhpDispAll(c);
    recountAndZoom(c);
}

void recountAndZoom(Core& c) {
    ChrClrInit(c);
    ChrDispAll(c);
    X4GhpInit(c);
    X4_Line(c);
    G_zoom_Click(c, c.fd.ZoomSel);
}

}  // namespace tobrak
