#pragma once
// The small-win table: how often each payout of 0 to 15 medals occurred in
// normal games and in BB games.
#include <array>
#include <cstdint>
#include <string>

#include "app/core.h"

namespace tobrak {

extern const char* const kKoyakuTitle;  // "小役確率　ボーナス的中時の払出を省いた確率"

// How often each payout occurred: in normal games followed by a normal game, and
// in BB games followed by a BB game (the game on which a bonus was hit, the last
// game of a BB and the newest game are left out).
struct SmallWinCounts {
    std::array<std::int32_t, 16> normal{};
    std::array<std::int32_t, 16> bb{};
    std::int32_t normalGames = 0;
    std::int32_t bbGames = 0;
};
SmallWinCounts smallWinCounts(const PlayRecord& rec);

// Row caption of payout k: "　０枚  " … "１５枚  ".
std::string koyakuRowCaption(int k);
// Recomputes both columns from the record and writes the 32 texts.
void KoyakuDisp(Core& c);

}  // namespace tobrak
