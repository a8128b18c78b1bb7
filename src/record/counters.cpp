#include "record/counters.h"

namespace tobrak {

BonusCounters of(Counters& c, Bonus k) {
    if (k == Bonus::BB)
        return {c.BB_Cnt,     c.BB_EndCnt,  c.BB_IntvCnt, c.BB_Intv,    c.BB_IntvSum, c.BB_IntvMax,
                c.BB_IntvMin, c.BB_Gain,    c.BB_GameCnt, c.BB_GainSum, c.BB_GainMax, c.BB_GainMin,
                c.BB_GameSum, c.BB_GameMax, c.BB_GameMin, c.BB_In,      c.BB_Out};
    return {c.RB_Cnt,     c.RB_EndCnt,  c.RB_IntvCnt, c.RB_Intv,    c.RB_IntvSum, c.RB_IntvMax,
            c.RB_IntvMin, c.RB_Gain,    c.RB_GameCnt, c.RB_GainSum, c.RB_GainMax, c.RB_GainMin,
            c.RB_GameSum, c.RB_GameMax, c.RB_GameMin, c.RB_In,      c.RB_Out};
}

namespace {
// Strict comparisons: an equal value changes nothing.
void takeMinMax(std::int32_t v, std::int32_t& mn, std::int32_t& mx) {
    if (v < mn) mn = v;
    if (v > mx) mx = v;
}
}  // namespace

void gameRule(Counters& c, int m, BonusState s) {
    c.Game_Cnt += 1;
    c.Tot_In += m;
    if (s == BonusState::Normal) {
        c.BB_IntvCnt += 1;
        c.BB_Intv = c.BB_IntvCnt;
        c.RB_IntvCnt += 1;
        c.RB_Intv = c.RB_IntvCnt;
        c.Bonus_IntvCnt += 1;
        c.Bonus_Intv = c.Bonus_IntvCnt;
        c.Nor_In += m;
        return;
    }
    BonusCounters b = of(c, s == BonusState::BB ? Bonus::BB : Bonus::RB);
    b.GameCnt += 1;
    b.Gain -= m;
    b.In += m;
}

void payoutRule(Counters& c, int k, BonusState s) {
    c.Tot_Out += k;
    if (s == BonusState::Normal) {
        c.Nor_Out += k;
        return;
    }
    BonusCounters b = of(c, s == BonusState::BB ? Bonus::BB : Bonus::RB);
    b.Gain += k;
    b.Out += k;
}

void bonusStartRule(Counters& c, Bonus k, bool showInterval) {
    BonusCounters b = of(c, k);
    b.Cnt += 1;
    b.IntvSum += b.IntvCnt;
    takeMinMax(b.IntvCnt, b.IntvMin, b.IntvMax);
    if (showInterval) {
        b.Intv = b.IntvCnt;
        c.Bonus_Intv = c.Bonus_IntvCnt;
    }
    b.IntvCnt = 0;
    c.Bonus_IntvCnt = 0;
}

void bonusEndRule(Counters& c, Bonus k) {
    BonusCounters b = of(c, k);
    b.GainSum += b.Gain;
    b.EndCnt = b.Cnt;
    takeMinMax(b.Gain, b.GainMin, b.GainMax);
    b.Gain = 0;
    b.GameSum += b.GameCnt;
    takeMinMax(b.GameCnt, b.GameMin, b.GameMax);
    b.GameCnt = 0;
}

void replayCounters(const PlayRecord& rec, Counters& c, bool& bbOn, bool& rbOn) {
    for (std::int32_t i = kHeaderLen; i < rec.Dat_Len; ++i) {
        const std::uint8_t b = rec.Dat_Buf[i];
        const BonusState s = bonusState(b);
        if (s == BonusState::Normal) {
            // One normal game ends both kinds, BB first.
            if (bbOn) bonusEndRule(c, Bonus::BB);
            if (rbOn) bonusEndRule(c, Bonus::RB);
            bbOn = rbOn = false;
        } else {
            bool& on = s == BonusState::BB ? bbOn : rbOn;
            if (!on) bonusStartRule(c, s == BonusState::BB ? Bonus::BB : Bonus::RB, /*showInterval=*/false);
            on = true;
        }
        gameRule(c, medalsIn(b), s);
        payoutRule(c, medalsOut(b), s);
    }
}

}  // namespace tobrak
