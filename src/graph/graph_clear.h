#pragma once
#include "app/core.h"

namespace tobrak {

// Clears the graph: stops the bonus blink, hides its labels, scroll back to 0,
// then the surfaces are cleared and the grid redrawn.
void GhpClrInit(Core& c);

}  // namespace tobrak
