#pragma once
// Main-window procedures that need no widgets: start-up and the display options.
#include "app/core.h"

namespace tobrak {

// Unit shown beside the running bonus gain.
extern const char* const kGainUnit;  // "枚"

// The start-up sequence, from the caption tables to the empty graph; the poll
// timer runs from its end.
void Form_Load(Core& c);
// All three display options on / off, with their check marks.
void Hyouji_Menu_Init(Core& c);
void Hyouji_Menu_Cls(Core& c);

}  // namespace tobrak
