#include "graph/graph_clear.h"

namespace tobrak {

void GhpClrInit(Core& c) {
    c.ui.Timer8->setEnabled(false);
    c.ui.main.Label14->setVisible(false);
    c.ui.main.Label15->setVisible(false);
    c.pen.Ghp_Scroll = 0;
    c.ui.graph->GhpClrInit();
}

}  // namespace tobrak
