#include "stats/stats_engine.h"

#include "util/format.h"

namespace tobrak {

namespace {

constexpr RowText kTable[3][kRows] = {
    {{" 総ゲーム数", "Ｇ"},
     {" ボーナス間隔", "Ｇ"},
     {" ＢＢ回数", "回"},
     {" ＢＢ間隔", "Ｇ"},
     {" ＲＢ回数", "回"},
     {" ＲＢ間隔", "Ｇ"},
     {" 出玉率", "％"},
     {" 差枚数", "枚"},
     {" 総ＩＮ", "枚"},
     {" 総ＯＵＴ", "枚"},
     {" スランプ割数", "％"},
     {" スランプＩＮ", "枚"},
     {" スランプＯＵＴ", "枚"}},
    {{" ＢＢ回数", "回"},
     {" 平均ＢＢ間隔", "Ｇ"},
     {" 最大ＢＢ間隔", "Ｇ"},
     {" 最小ＢＢ間隔", "Ｇ"},
     {" 平均ＢＢ獲得", "枚"},
     {" 最大ＢＢ獲得", "枚"},
     {" 最小ＢＢ獲得", "枚"},
     {" 総ＢＢ獲得", "枚"},
     {" 総ＢＢＩＮ", "枚"},
     {" 総ＢＢＯＵＴ", "枚"},
     {" 平均ＢＢ中ゲーム数", "Ｇ"},
     {" 最大ＢＢ中ゲーム数", "Ｇ"},
     {" 最小ＢＢ中ゲーム数", "Ｇ"}},
    {{" ＲＢ回数", "回"},
     {" 平均ＲＢ間隔", "Ｇ"},
     {" 最大ＲＢ間隔", "Ｇ"},
     {" 最小ＲＢ間隔", "Ｇ"},
     {" 平均ＲＢ獲得", "枚"},
     {" 最大ＲＢ獲得", "枚"},
     {" 最小ＲＢ獲得", "枚"},
     {" 総ＲＢ獲得", "枚"},
     {" 総ＲＢＩＮ", "枚"},
     {" 総ＲＢＯＵＴ", "枚"},
     {" 平均ＲＢ中ゲーム数", "Ｇ"},
     {" 最大ＲＢ中ゲーム数", "Ｇ"},
     {" 最小ＲＢ中ゲーム数", "Ｇ"}},
};

}  // namespace

RowText rowText(int page, int row) {
    if (page < 0 || page >= 3 || row < 0 || row >= kRows) return {"", ""};
    return kTable[page][row];
}

namespace {

float ratio(double num, double den, double factor = 1.0) { return static_cast<float>(num / den * factor); }

std::string two(float v) { return formatPicture(v, "#0.00"); }
std::string num(std::int64_t v) { return captionNumber(v); }

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

std::array<PageTexts, 3> pagesTexts(const Counters& cnt, Figures& fig) {
    std::array<PageTexts, 3> pages;
    for (int p = 0; p < 3; ++p) pageTexts(cnt, fig, p, pages[static_cast<std::size_t>(p)]);
    return pages;
}

}  // namespace tobrak
