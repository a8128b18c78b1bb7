#include "stats/stats_engine.h"

#include "util/format.h"

namespace tobrak {

void ChrClrInit(Core& c) {
    c.fd.G_In = 0;
    c.fd.G_Ot = 0;
    c.flags.BBGame_On = false;
    c.flags.RBGame_On = false;
    c.rs.DaiBB_On = false;
    c.rs.DaiRB_On = false;
    c.cnt.reset();
    c.fig = Figures{};
    c.rs.monitor = " ";
    c.ui.main.Label12->setCaption(c.rs.monitor);
}

namespace {

// A bonus game in the rebuild: the first game of a run starts the bonus.
void rebuildBonusGame(Core& c, Bonus k, bool& on) {
    if (!on) {
        on = true;
        bonusStartRule(c.cnt, k, /*showInterval=*/false);
    }
    BonusCounters b = of(c.cnt, k);
    b.Gain += c.fd.G_Ot - c.fd.G_In;
    b.In += c.fd.G_In;
    b.Out += c.fd.G_Ot;
    b.GameCnt += 1;
}

}  // namespace

void ChrDispAll(Core& c) {
    Counters& n = c.cnt;
    for (std::int32_t i = kHeaderLen; i < c.rec.Dat_Len; ++i) {
        const std::uint8_t b = c.rec.Dat_Buf[i];
        n.Game_Cnt += 1;
        c.fd.G_Ot = medalsOut(b);
        c.fd.G_In = medalsIn(b);
        n.Tot_Out += c.fd.G_Ot;
        n.Tot_In += c.fd.G_In;
        switch (bonusState(b)) {
            case BonusState::BB: rebuildBonusGame(c, Bonus::BB, c.flags.BBGame_On); break;
            case BonusState::RB: rebuildBonusGame(c, Bonus::RB, c.flags.RBGame_On); break;
            case BonusState::Normal:
                n.Nor_Out += c.fd.G_Ot;
                n.Nor_In += c.fd.G_In;
                n.BB_IntvCnt += 1;
                n.BB_Intv = n.BB_IntvCnt;
                n.RB_IntvCnt += 1;
                n.RB_Intv = n.RB_IntvCnt;
                n.Bonus_IntvCnt += 1;
                n.Bonus_Intv = n.Bonus_IntvCnt;
                // One normal game ends both kinds, BB first.
                if (c.flags.BBGame_On) {
                    bonusEndRule(n, Bonus::BB);
                    c.flags.BBGame_On = false;
                }
                if (c.flags.RBGame_On) {
                    bonusEndRule(n, Bonus::RB);
                    c.flags.RBGame_On = false;
                }
                break;
        }
    }
    menPageDisp(c);
    // A record that ends inside a bonus shows its blinking indicator.
    if (c.flags.BBGame_On) c.rs.DaiBB_On = true;
    if (c.flags.RBGame_On) c.rs.DaiRB_On = true;
    if (c.flags.BBGame_On || c.flags.RBGame_On) c.ui.Timer8->setEnabled(true);
}

namespace {

float ratio(double num, double den, double factor = 1.0) {
    return static_cast<float>(num / den * factor);
}

std::string two(float v) {
    return formatPicture(v, "#0.00");
}
std::string num(std::int64_t v) {
    return captionNumber(v);
}

void bonusPage(Counters& cnt, Bonus k, float& intvAvg, float& gainAvg, float& gameAvg, PageTexts& t) {
    const BonusCounters b = of(cnt, k);
    std::int32_t intvMin = 0, gainMin = 0, gameMin = 0;
    if (b.EndCnt != 0) {
        intvAvg = ratio(static_cast<double>(b.IntvCnt) + b.IntvSum, b.Cnt);
        gainAvg = ratio(b.GainSum, b.EndCnt);
        gameAvg = ratio(b.GameSum, b.EndCnt);
        intvMin = b.IntvMin;
        gainMin = b.GainMin;
        gameMin = b.GameMin;
    }
    t = {num(b.Cnt),   two(intvAvg),   num(b.IntvMax), num(intvMin),
         two(gainAvg), num(b.GainMax), num(gainMin),   num(static_cast<std::int64_t>(b.Out) - b.In),
         num(b.In),    num(b.Out),     two(gameAvg),   num(b.GameMax),
         num(gameMin)};
}

}  // namespace

bool pageTexts(const Counters& cntIn, Figures& f, int page, PageTexts& t) {
    Counters cnt = cntIn;  // `of` hands out references; the counters themselves are not changed
    switch (page) {
        case 0:
            if (cnt.Tot_In != 0) f.Payout_Rate = ratio(cnt.Tot_Out, cnt.Tot_In, 100.0);
            if (cnt.Nor_In != 0) f.Slump_Rate = ratio(cnt.Nor_Out, cnt.Nor_In, 100.0);
            t = {num(static_cast<std::int64_t>(cnt.BB_IntvCnt) + cnt.BB_IntvSum),
                 num(cnt.Bonus_Intv),
                 num(cnt.BB_Cnt),
                 num(cnt.BB_Intv),
                 num(cnt.RB_Cnt),
                 num(cnt.RB_Intv),
                 two(f.Payout_Rate),
                 num(static_cast<std::int64_t>(cnt.Tot_Out) - cnt.Tot_In),
                 num(cnt.Tot_In),
                 num(cnt.Tot_Out),
                 two(f.Slump_Rate),
                 num(cnt.Nor_In),
                 num(cnt.Nor_Out)};
            return true;
        case 1: bonusPage(cnt, Bonus::BB, f.BB_IntvAvg, f.BB_GainAvg, f.BB_GameAvg, t); return true;
        case 2: bonusPage(cnt, Bonus::RB, f.RB_IntvAvg, f.RB_GainAvg, f.RB_GameAvg, t); return true;
        default: return false;
    }
}

void menPageDisp(Core& c) {
    PageTexts t;
    if (!pageTexts(c.cnt, c.fig, c.fd.MenuPage, t)) return;
    for (int r = 0; r < kRows; ++r) c.ui.main.Label3[r]->setCaption(t[r]);
}

}  // namespace tobrak
