#include <gtest/gtest.h>

#include "rig.h"

namespace tobrak::test {
namespace {

TEST(GameByte, DecodesStateInAndOut) {
    // Both lamp bits: BB wins.
    for (auto [b, state, in, out] : {std::tuple{0xC5, BonusState::BB, 0, 5},
                                     {0x7F, BonusState::RB, 3, 15},
                                     {0x3F, BonusState::Normal, 3, 15},
                                     {0x80, BonusState::BB, 0, 0}}) {
        EXPECT_EQ(bonusState(static_cast<std::uint8_t>(b)), state) << b;
        EXPECT_EQ(medalsIn(static_cast<std::uint8_t>(b)), in) << b;
        EXPECT_EQ(medalsOut(static_cast<std::uint8_t>(b)), out) << b;
    }
}

TEST(PlayRecord, ClearKeepsTheHeaderButTheComment) {
    PlayRecord r = recordOf({0x31});
    r.Dat_Buf[0] = 6;
    r.Dat_Buf[43] = 0x0B;
    r.clear();
    EXPECT_EQ(r.Dat_Len, 48);
    EXPECT_EQ(r.Dat_Buf[48], 0);
    EXPECT_EQ(r.Dat_Buf[0], 0);      // no comment
    EXPECT_EQ(r.Dat_Buf[43], 0x0B);  // the rest of the header stays
}

TEST(AccountingRules, GameAndPayoutByState) {
    Counters c;
    gameRule(c, 3, BonusState::Normal);
    payoutRule(c, 8, BonusState::Normal);
    gameRule(c, 3, BonusState::BB);
    payoutRule(c, 15, BonusState::BB);
    gameRule(c, 1, BonusState::RB);
    payoutRule(c, 15, BonusState::RB);
    EXPECT_COUNTERS(c, "Game_Cnt=3 Tot_In=7 Tot_Out=38 Nor_In=3 Nor_Out=8 BB_Gain=12 BB_In=3 BB_Out=15 BB_GameCnt=1");
    // Only the normal game counts towards the intervals.
    EXPECT_COUNTERS(c, "RB_Gain=14 RB_GameCnt=1 BB_IntvCnt=1 RB_Intv=1 Bonus_Intv=1");
}

TEST(AccountingRules, TwoClosedBBsGiveSumsMinimaMaxima) {
    Counters c;
    for (auto [games, gain] : {std::pair{5, 300}, std::pair{10, 120}}) {
        bonusStartRule(c, Bonus::BB, true);
        c.BB_GameCnt = games;
        c.BB_Gain = gain;
        bonusEndRule(c, Bonus::BB);
    }
    EXPECT_COUNTERS(c, "BB_GameSum=15 BB_GameMin=5 BB_GameMax=10 BB_GainSum=420 BB_GainMin=120 BB_GainMax=300");
    EXPECT_COUNTERS(c, "BB_EndCnt=2 BB_Gain=0 BB_GameCnt=0 RB_EndCnt=0");
}

TEST(AccountingRules, StartWithoutNormalGameRecordsIntervalZero) {
    Counters c;
    for (int i = 0; i < 7; ++i) gameRule(c, 3, BonusState::Normal);
    bonusStartRule(c, Bonus::RB, true);
    EXPECT_COUNTERS(c, "RB_IntvMin=7 BB_IntvCnt=7");  // the other kind keeps counting
    bonusStartRule(c, Bonus::RB, true);
    EXPECT_COUNTERS(c, "RB_IntvMin=0 RB_IntvMax=7 RB_IntvSum=7 RB_Cnt=2");
}

TEST(AccountingRules, LiveStartCopiesShownIntervalsRebuildKeepsThem) {
    Counters live, rebuilt;
    for (Counters* c : {&live, &rebuilt})
        for (int i = 0; i < 4; ++i) gameRule(*c, 3, BonusState::Normal);
    bonusStartRule(live, Bonus::BB, true);
    bonusStartRule(rebuilt, Bonus::BB, false);
    // A second start with no normal game between shows the difference.
    bonusStartRule(live, Bonus::RB, true);
    bonusStartRule(rebuilt, Bonus::RB, false);
    EXPECT_COUNTERS(live, "Bonus_Intv=0 BB_Intv=4 Bonus_IntvCnt=0");
    EXPECT_COUNTERS(rebuilt, "Bonus_Intv=4 Bonus_IntvCnt=0");
}

TEST(AccountingRules, StrictComparisonsKeepEqualValuesAndNineThousand) {
    Counters c;
    c.BB_IntvCnt = 12000;  // never lowers a minimum still at 9999
    bonusStartRule(c, Bonus::BB, true);
    EXPECT_COUNTERS(c, "BB_IntvMin=9999 BB_IntvMax=12000");
    c.BB_Gain = -20;  // a losing bonus is a real minimum
    bonusEndRule(c, Bonus::BB);
    EXPECT_COUNTERS(c, "BB_GainMin=-20 BB_GainMax=0");
}

}  // namespace
}  // namespace tobrak::test
