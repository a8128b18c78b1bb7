#pragma once
// The bonus history and setting estimate window: a snapshot of the record,
// recomputed when the window is opened and on its refresh button.
#include <functional>
#include <string>
#include <vector>

#include "counts/estimate.h"
#include "platform/controls.h"
#include "platform/dialogs.h"
#include "platform/surface.h"
#include "record/play_time.h"

namespace tobrak {

extern const char* const kHistoryTitle;  // "ボーナス履歴・設定推測"

// Size of the posterior chart, twips.
constexpr float kBarsWidth = 5400.0f;
constexpr float kBarsHeight = 2640.0f;

class HistoryView {
public:
    explicit HistoryView(const PlayRecord& rec) : rec_(rec) {}

    std::string profileDir;             // the user's profile folder; empty: the built-in example only
    std::vector<ProfileSlot> profiles;  // as last listed
    std::string chosen;                 // label of the chosen profile, kept over refreshes
    PlayCounts counts;                  // of the record as the window last showed it
    const GameTimes* times = nullptr;   // each game's time, where known
    // The player's manual counts, where counted (the program points this at them);
    // taken with the record's counts, so the window shows them as of its last refresh.
    const ManualCounts* manual = nullptr;
    // Told of the profile chosen (a valid one), so its counters can be counted.
    std::function<void(const MachineProfile&)> profileChosen;

    FormWindow* form = nullptr;
    Label* probAll = nullptr;     // probabilities over every game
    Label* probNormal = nullptr;  // over normal games
    TextTable* table = nullptr;   // one row per bonus
    ComboBox* profile = nullptr;  // machine profile choice
    Surface* bars = nullptr;      // posterior of each setting
    Label* payout = nullptr;      // expected payout rate
    Label* used = nullptr;        // what the estimate used
    Label* reliability = nullptr;
    Label* counterEffects = nullptr;  // one line per counter used; empty without any
    Dialogs* dialogs = nullptr;

    // Everything again from the record: the probability lines, the table, the
    // profiles (read again from the folder) and the estimate.
    void HistoryDisp();
    void HistoryRefresh_Click();
    // Profile `index` of the list chosen: the estimate of the same snapshot; a bad
    // profile is explained in a box.
    void HistoryProfile_Click(int index);

private:
    void EstimateDisp(int index, bool tellError);

    const PlayRecord& rec_;
};

// One bar per setting with its share; the likeliest in red once it is clear.
void PosteriorDisp(Surface& s, const SettingEstimate& e);

}  // namespace tobrak
