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

// Figures of `page` recomputed under their guards, and the 13 texts. Any page
// other than 0..2 gives no texts (false).
bool pageTexts(const Counters& cnt, Figures& fig, int page, PageTexts& out);

}  // namespace tobrak
