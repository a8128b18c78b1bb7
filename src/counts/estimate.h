#pragma once
// The setting estimate: how likely each setting of a machine profile is, given
// the normal games played, the BB and RB hit in them and, where the profile has
// them, the small wins of normal games.
#include <array>
#include <cstdint>
#include <string>

#include "counts/bonus_history.h"
#include "counts/machine_profile.h"

namespace tobrak {

struct PlayCounts {
    std::int64_t normalGames = 0;  // the games of the bonus lottery
    std::int64_t bb = 0;
    std::int64_t rb = 0;
    std::int64_t smallWinGames = 0;  // normal games as the small-win table counts them
    std::array<std::int64_t, 16> smallWins{};
};
PlayCounts playCounts(const PlayRecord& rec, const BonusHistory& h);

// Below this many normal games the estimate is always shown as データ不足: a
// handful of bonuses says little, and a profile that does not fit the machine
// would otherwise look decisive.
constexpr std::int64_t kMinEstimateGames = 1000;
// Nor while no setting is more likely than all the others together: a tie at
// exactly half names neither.
constexpr double kClearShare = 0.5;

struct SettingEstimate {
    std::array<double, kSettings> posterior{};
    double expectedPayout = 0;  // %
    int likeliest = 0;          // 0-based
    bool smallWinsUsed = false;
    bool tooFew = true;  // データ不足
};

// Posterior of each setting: its prior weight times the likelihood of the counts
// (a multinomial over normal games for BB / RB / neither, and one over the small-win
// games for each listed payout size / any other), worked out in log space.
SettingEstimate estimateSetting(const MachineProfile& p, const PlayCounts& n);
bool tooFewToTell(std::int64_t normalGames, double likeliestShare);

// Texts of the estimate window.
std::string settingName(int setting);   // 1 -> "設定１"
std::string percentText(double share);  // 0.7834 -> "78.3％"
std::string payoutLine(const SettingEstimate& e);
std::string usedDataLine(const PlayCounts& n, const SettingEstimate& e);
std::string reliabilityLine(const PlayCounts& n, const SettingEstimate& e);

}  // namespace tobrak
