#pragma once
// The bonus history and setting estimate window: a snapshot of the record,
// recomputed when the window is opened and on its refresh button.
#include "app/core.h"

namespace tobrak {

extern const char* const kHistoryTitle;  // "ボーナス履歴・設定推測"

// Size of the posterior chart, twips.
constexpr float kBarsWidth = 5400.0f;
constexpr float kBarsHeight = 2640.0f;

// Everything again from the record: the probability lines, the table, the
// profiles (read again from the folder) and the estimate.
void HistoryDisp(Core& c);
void HistoryRefresh_Click(Core& c);
// Another profile chosen: the estimate of the same snapshot; a bad profile is
// explained in a box.
void HistoryProfile_Click(Core& c);

// One bar per setting with its share; the likeliest in red once it is clear.
void PosteriorDisp(Surface& s, const SettingEstimate& e);

}  // namespace tobrak
