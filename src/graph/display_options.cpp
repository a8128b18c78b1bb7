#include "graph/display_options.h"

#include "app/filedisp.h"
#include "graph/slump_graph.h"
#include "graph/zoom.h"
#include "stats/stats_engine.h"

namespace tobrak {

void GhpHyo_Click(Core& c, int index) {
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
    if (c.ui.journal) c.ui.journal->header(c.rec, currentOptions(c));
    c.ui.tell([](PlayListener& l) { l.headerChanged(); });
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
