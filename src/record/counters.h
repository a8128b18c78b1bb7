#pragma once
// Running counters over the play record and the four accounting rules that change them.
#include <cstdint>

#include "record/play_record.h"

namespace tobrak {

constexpr std::int32_t kMinReset = 9999;

// X-macro of every counter, in the order of the counters table (names are part of
// the command-line tool's output).
// clang-format off
#define TOBRAK_COUNTERS(X) \
    X(Game_Cnt) X(Tot_In) X(Tot_Out) X(Nor_In) X(Nor_Out) X(BB_Cnt) X(RB_Cnt) X(BB_EndCnt) \
    X(RB_EndCnt) X(Bonus_IntvCnt) X(Bonus_Intv) X(BB_IntvCnt) X(BB_Intv) X(RB_IntvCnt) X(RB_Intv) X(BB_IntvSum) \
    X(BB_IntvMax) X(BB_IntvMin) X(RB_IntvSum) X(RB_IntvMax) X(RB_IntvMin) X(BB_Gain) X(RB_Gain) X(BB_GameCnt) \
    X(RB_GameCnt) X(BB_GainSum) X(BB_GainMax) X(BB_GainMin) X(RB_GainSum) X(RB_GainMax) X(RB_GainMin) X(BB_GameSum) \
    X(BB_GameMax) X(BB_GameMin) X(RB_GameSum) X(RB_GameMax) X(RB_GameMin) X(BB_In) X(BB_Out) X(RB_In) \
    X(RB_Out)
// clang-format on

struct Counters {
#define TOBRAK_DECLARE(n) std::int32_t n = 0;
    TOBRAK_COUNTERS(TOBRAK_DECLARE)
#undef TOBRAK_DECLARE

    // Everything 0 except the six minima.
    void reset() {
#define TOBRAK_ZERO(n) n = 0;
        TOBRAK_COUNTERS(TOBRAK_ZERO)
#undef TOBRAK_ZERO
        BB_IntvMin = RB_IntvMin = BB_GainMin = RB_GainMin = BB_GameMin = RB_GameMin = kMinReset;
    }
    Counters() { reset(); }
};

// The games played outside a bonus: the bonus lottery's games, over which odds are given.
inline std::int64_t normalGames(const Counters& c) { return std::int64_t{c.BB_IntvCnt} + c.BB_IntvSum; }

// The counters of one bonus kind, so that BB and RB share one piece of code.
struct BonusCounters {
    std::int32_t &Cnt, &EndCnt, &IntvCnt, &Intv, &IntvSum, &IntvMax, &IntvMin;
    std::int32_t &Gain, &GameCnt, &GainSum, &GainMax, &GainMin, &GameSum, &GameMax, &GameMin;
    std::int32_t &In, &Out;
};
BonusCounters of(Counters& c, Bonus k);

// Game rule: a newly counted game with m medals in and bonus state s.
void gameRule(Counters& c, int m, BonusState s);
// Payout rule: k medals out credited to a game of bonus state s.
void payoutRule(Counters& c, int k, BonusState s);
// Bonus-start rule. `showInterval` is the live form, which also copies the
// finished intervals into the shown counters; the rebuild leaves them.
void bonusStartRule(Counters& c, Bonus k, bool showInterval);
// Bonus-end rule, sums, minima and maxima; the caller clears the bonus flags.
void bonusEndRule(Counters& c, Bonus k);

// The counters of a whole record by the same rules, as a rebuild takes them: a
// bonus starts with its first game and ends with the next normal game. `bbOn` and
// `rbOn` tell on return whether the record ends inside a bonus.
void replayCounters(const PlayRecord& rec, Counters& c, bool& bbOn, bool& rbOn);

}  // namespace tobrak
