#pragma once
// Page switching of the statistics panel and its caption and unit tables.
#include "app/core.h"

namespace tobrak {

// Fills the caption and unit tables of the three pages.
void KoumokuInit(Core& c);
// Next page (−1 and 4 lead to page 0): page caption, row captions, units, values.
void menPage_Click(Core& c);
// Background of a row caption, kept so the blink never reads the label back.
void setCaptionBack(Core& c, int row, Rgb colour);
// The caption and value texts of the page in view, as the panel shows them.
void panelTexts(Core& c, std::array<std::string, kRows>& captions, std::array<std::string, kRows>& values);
// "[ 一般 ]", "［ ＢＢ ］", "［ ＲＢ ］".
const char* pageName(int page);

}  // namespace tobrak
