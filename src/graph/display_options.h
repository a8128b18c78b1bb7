#pragma once
#include "app/core.h"

namespace tobrak {

// Toggles display option item 0 (interval figures), 2 (BB gains) or 4 (RB gains)
// and redraws the graphs and the statistics from the record.
void GhpHyo_Click(Core& c, int index);

}  // namespace tobrak
