#pragma once
// How often each payout of 0 to 15 medals occurred in normal games and in BB games.
#include <array>
#include <cstdint>

#include "record/play_record.h"

namespace tobrak {

// In normal games followed by a normal game, and in BB games followed by a BB
// game (the game on which a bonus was hit, the last game of a BB and the newest
// game are left out).
struct SmallWinCounts {
    std::array<std::int32_t, 16> normal{};
    std::array<std::int32_t, 16> bb{};
    std::int32_t normalGames = 0;
    std::int32_t bbGames = 0;
};
SmallWinCounts smallWinCounts(const PlayRecord& rec);

}  // namespace tobrak
