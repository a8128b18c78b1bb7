#pragma once
// Page switching of the statistics panel and its caption and unit tables.
#include "app/core.h"

namespace tobrak {

// Fills the caption and unit tables of the three pages.
void KoumokuInit(Core& c);
// Next page (−1 and 4 lead to page 0): page caption, row captions, units, values.
void menPage_Click(Core& c);
// "[ 一般 ]", "［ ＢＢ ］", "［ ＲＢ ］".
const char* pageName(int page);

}  // namespace tobrak
