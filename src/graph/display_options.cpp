#include "graph/display_options.h"

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
    c.ui.graph->standardRedraw();
    ChrClrInit(c);
    ChrDispAll(c);
    c.ui.graph->X4GhpInit();
    c.ui.graph->X4_Line();
    c.ui.graph->G_zoom_Click(c.fd.ZoomSel);
}

}  // namespace tobrak
