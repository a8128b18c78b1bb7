#include <gtest/gtest.h>

#include "record/counters.h"

namespace tobrak {
namespace {

TEST(GameByte, DecodesStateInAndOut) {
    EXPECT_EQ(bonusState(0xC5), BonusState::BB);  // both lamp bits: BB wins
    EXPECT_EQ(medalsIn(0xC5), 0);
    EXPECT_EQ(medalsOut(0xC5), 5);
    EXPECT_EQ(bonusState(0x7F), BonusState::RB);
    EXPECT_EQ(medalsIn(0x7F), 3);
    EXPECT_EQ(medalsOut(0x7F), 15);
    EXPECT_EQ(bonusState(0x3F), BonusState::Normal);
    EXPECT_EQ(medalsIn(0x3F), 3);
    EXPECT_EQ(bonusState(0x80), BonusState::BB);
}

TEST(PlayRecord, EmptyAndClear) {
    PlayRecord r;
    EXPECT_EQ(r.Dat_Len, 48);
    EXPECT_EQ(r.Ghp_Pos, 49);
    EXPECT_EQ(r.Dat_Buf[48], 0);
    EXPECT_EQ(r.games(), 0);
    r.Dat_Buf[0] = 6;
    r.Dat_Buf[43] = 0x0B;
    r.Dat_Buf[48] = 0x31;
    r.Dat_Len = 49;
    r.Ghp_Pos = 50;
    r.clear();
    EXPECT_EQ(r.Dat_Len, 48);
    EXPECT_EQ(r.Ghp_Pos, 49);
    EXPECT_EQ(r.Dat_Buf[48], 0);
    EXPECT_EQ(r.Dat_Buf[0], 0);      // no comment
    EXPECT_EQ(r.Dat_Buf[43], 0x0B);  // the rest of the header stays
}

TEST(Counters, ResetSetsMinimaTo9999AndAllElseZero) {
    Counters c;
    c.Tot_In = 5;
    c.BB_GainMin = -3;
    c.reset();
    EXPECT_EQ(c.Tot_In, 0);
    for (auto v : {c.BB_IntvMin, c.RB_IntvMin, c.BB_GainMin, c.RB_GainMin, c.BB_GameMin, c.RB_GameMin})
        EXPECT_EQ(v, 9999);
    EXPECT_EQ(c.BB_IntvMax, 0);
    EXPECT_EQ(c.BB_GainSum, 0);
}

TEST(AccountingRules, GameAndPayoutByState) {
    Counters c;
    gameRule(c, 3, BonusState::Normal);
    payoutRule(c, 8, BonusState::Normal);
    gameRule(c, 3, BonusState::BB);
    payoutRule(c, 15, BonusState::BB);
    gameRule(c, 1, BonusState::RB);
    payoutRule(c, 15, BonusState::RB);
    EXPECT_EQ(c.Game_Cnt, 3);
    EXPECT_EQ(c.Tot_In, 7);
    EXPECT_EQ(c.Tot_Out, 38);
    EXPECT_EQ(c.Nor_In, 3);
    EXPECT_EQ(c.Nor_Out, 8);
    EXPECT_EQ(c.BB_Gain, 12);
    EXPECT_EQ(c.BB_In, 3);
    EXPECT_EQ(c.BB_Out, 15);
    EXPECT_EQ(c.BB_GameCnt, 1);
    EXPECT_EQ(c.RB_Gain, 14);
    EXPECT_EQ(c.RB_GameCnt, 1);
    // Only the normal game counts towards the intervals.
    EXPECT_EQ(c.BB_IntvCnt, 1);
    EXPECT_EQ(c.RB_Intv, 1);
    EXPECT_EQ(c.Bonus_Intv, 1);
}

TEST(AccountingRules, TwoClosedBBsGiveSumsMinimaMaxima) {
    Counters c;
    for (auto [games, gain] : {std::pair{5, 300}, std::pair{10, 120}}) {
        bonusStartRule(c, Bonus::BB, true);
        c.BB_GameCnt = games;
        c.BB_Gain = gain;
        bonusEndRule(c, Bonus::BB);
    }
    EXPECT_EQ(c.BB_GameSum, 15);
    EXPECT_EQ(c.BB_GameMin, 5);
    EXPECT_EQ(c.BB_GameMax, 10);
    EXPECT_EQ(c.BB_GainSum, 420);
    EXPECT_EQ(c.BB_GainMin, 120);
    EXPECT_EQ(c.BB_GainMax, 300);
    EXPECT_EQ(c.BB_EndCnt, 2);
    EXPECT_EQ(c.BB_Gain, 0);
    EXPECT_EQ(c.BB_GameCnt, 0);
    EXPECT_EQ(c.RB_EndCnt, 0);
}

TEST(AccountingRules, StartWithoutNormalGameRecordsIntervalZero) {
    Counters c;
    for (int i = 0; i < 7; ++i) gameRule(c, 3, BonusState::Normal);
    bonusStartRule(c, Bonus::RB, true);
    EXPECT_EQ(c.RB_IntvMin, 7);
    EXPECT_EQ(c.BB_IntvCnt, 7);  // the other kind keeps counting
    bonusStartRule(c, Bonus::RB, true);
    EXPECT_EQ(c.RB_IntvMin, 0);
    EXPECT_EQ(c.RB_IntvMax, 7);
    EXPECT_EQ(c.RB_IntvSum, 7);
    EXPECT_EQ(c.RB_Cnt, 2);
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
    EXPECT_EQ(live.Bonus_Intv, 0);
    EXPECT_EQ(rebuilt.Bonus_Intv, 4);
    EXPECT_EQ(live.BB_Intv, 4);
    EXPECT_EQ(live.Bonus_IntvCnt, 0);
    EXPECT_EQ(rebuilt.Bonus_IntvCnt, 0);
}

TEST(AccountingRules, StrictComparisonsKeepEqualValuesAndNineThousand) {
    Counters c;
    c.BB_IntvCnt = 12000;  // never lowers a minimum still at 9999
    bonusStartRule(c, Bonus::BB, true);
    EXPECT_EQ(c.BB_IntvMin, 9999);
    EXPECT_EQ(c.BB_IntvMax, 12000);
    c.BB_Gain = -20;  // a losing bonus is a real minimum
    bonusEndRule(c, Bonus::BB);
    EXPECT_EQ(c.BB_GainMin, -20);
    EXPECT_EQ(c.BB_GainMax, 0);
}

}  // namespace
}  // namespace tobrak
