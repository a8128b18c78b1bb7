#pragma once
#include "app/core.h"

namespace tobrak {

// Toggles display option item 0 (interval figures), 2 (BB gains) or 4 (RB gains)
// and redraws the graphs and the statistics from the record.
void GhpHyo_Click(Core& c, int index);
// Everything drawn or counted from the record, again: the graph with its grid and
// origin, then the statistics and the zoom window.
void GhpRebuildAll(Core& c);
// The statistics rebuilt and the zoom window redrawn with the choice in force.
void recountAndZoom(Core& c);

}  // namespace tobrak
