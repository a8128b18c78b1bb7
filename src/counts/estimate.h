#pragma once
// The setting estimate: how likely each setting of a machine profile is, given
// the normal games played, the BB and RB hit in them and, where the profile has
// them, the small wins of normal games and the player's manual counts.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "counts/bonus_history.h"
#include "counts/machine_profile.h"
#include "record/manual_counts.h"

namespace tobrak {

struct PlayCounts {
    std::int64_t normalGames = 0;  // the games of the bonus lottery
    std::int64_t bb = 0;
    std::int64_t rb = 0;
    std::int64_t smallWinGames = 0;  // normal games as the small-win table counts them
    std::array<std::int64_t, 16> smallWins{};
    // What the player counted by hand over the normal games (none from a record: the
    // board cannot see them). Matched by name, so any profile naming the same counter
    // uses it; names the profile does not have, and counts below 0, are not used.
    ManualCounts manual;
};
PlayCounts playCounts(const PlayRecord& rec, const BonusHistory& h);

// Below this many normal games the estimate is always shown as データ不足: a
// handful of bonuses says little, and a profile that does not fit the machine
// would otherwise look decisive.
constexpr std::int64_t kMinEstimateGames = 1000;
// Nor while no setting is more likely than all the others together: a tie at
// exactly half names neither.
constexpr double kClearShare = 0.5;

// A manual counter the estimate used, and how much it moved it.
struct CounterEffect {
    int index = 0;  // in the profile's counters
    std::string name;
    std::int64_t count = 0;
    std::int64_t games = 0;                   // the normal games it was counted over
    std::array<double, kSettings> without{};  // the posterior from everything else
};

struct SettingEstimate {
    std::array<double, kSettings> posterior{};
    double expectedPayout = 0;  // %
    int likeliest = 0;          // 0-based
    bool smallWinsUsed = false;
    bool tooFew = true;                   // データ不足
    std::vector<CounterEffect> counters;  // the counters used, in the profile's order
};

// Posterior of each setting: its prior weight times the likelihood of the counts
// (a multinomial over normal games for BB / RB / neither, one over the small-win
// games for each listed payout size / any other, and a binomial over normal games
// for each counter of the profile with a count), worked out in log space.
SettingEstimate estimateSetting(const MachineProfile& p, const PlayCounts& n);
// How much counter `c` moved the share of `setting` (0-based): with it minus
// without it, in shares (0.123 is 12.3 points).
double counterShift(const SettingEstimate& e, const CounterEffect& c, int setting);
// The payout rate (1.0 is 100 %) of `setting` (1 to 6), or with 0 of the likeliest
// setting for the counts; 0 when the profile gives that setting no payout.
double payoutRate(const MachineProfile& p, const PlayCounts& n, int setting);
bool tooFewToTell(std::int64_t normalGames, double likeliestShare);

// Texts of the estimate window.
std::string settingName(int setting);   // 1 -> "設定１"
std::string percentText(double share);  // 0.7834 -> "78.3％"
std::string payoutLine(const SettingEstimate& e);
std::string usedDataLine(const PlayCounts& n, const SettingEstimate& e);
std::string reliabilityLine(const PlayCounts& n, const SettingEstimate& e);
// "ブドウ 160回 1/6.3　設定６ +22.6％": the count, its rate over the normal games and
// what it did to the likeliest setting's share. One line per counter used; empty
// without any.
std::string counterLine(const SettingEstimate& e, const CounterEffect& c);
std::string counterLines(const SettingEstimate& e);

}  // namespace tobrak
