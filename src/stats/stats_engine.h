#pragma once
// The value texts of the panel pages and the figures derived for them.
#include <array>
#include <string>

#include "record/counters.h"

namespace tobrak {

constexpr int kRows = 13;
constexpr int kPages = 5;
using PageTexts = std::array<std::string, kRows>;

// Derived figures of the panel, kept between displays.
struct Figures {
    float Payout_Rate = 0.0f;
    float Slump_Rate = 0.0f;
    float BB_IntvAvg = 0.0f;
    float BB_GainAvg = 0.0f;
    float BB_GameAvg = 0.0f;
    float RB_IntvAvg = 0.0f;
    float RB_GainAvg = 0.0f;
    float RB_GameAvg = 0.0f;
};

// The caption and unit of a row of page 0..2 as the panel shows them; blank for other pages.
struct RowText {
    const char* caption;
    const char* unit;
};
RowText rowText(int page, int row);

// Figures of `page` recomputed under their guards, and the 13 texts. Any page
// other than 0..2 gives no texts (false).
bool pageTexts(const Counters& cnt, Figures& fig, int page, PageTexts& out);
// Pages 0, 1 and 2 in turn, as the panel shows them one after another.
std::array<PageTexts, 3> pagesTexts(const Counters& cnt, Figures& fig);

}  // namespace tobrak
