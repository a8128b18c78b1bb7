#pragma once
// Counter reset, rebuild from the record, and the value texts of the panel pages.
#include <array>
#include <string>

#include "app/core.h"

namespace tobrak {

using PageTexts = std::array<std::string, kRows>;

// Reset of every counter, figure and bonus flag; the monitor line to " ".
void ChrClrInit(Core& c);
// Rebuild of every counter from the record, then the panel and the bonus indicator.
void ChrDispAll(Core& c);
// Recomputes the figures of page MenuPage and writes its 13 value texts.
void menPageDisp(Core& c);

// The pure part of menPageDisp: figures of `page` recomputed under their guards,
// and the 13 texts. Any page other than 0..2 gives no texts (false).
bool pageTexts(const Counters& cnt, Figures& fig, int page, PageTexts& out);

}  // namespace tobrak
