#include "analysis/histogram.h"

#include <algorithm>
#include <cmath>

#include "analysis/history_view.h"
#include "analysis/koyaku.h"
#include "app/filedisp.h"
#include "graph/display_options.h"
#include "graph/slump_graph.h"
#include "graph/zoom.h"
#include "stats/stats_engine.h"
#include "util/format.h"

namespace tobrak {

namespace {

// Counts a value; a value beyond the array is left out.
void count(AnalysisState& h, std::int64_t v) {
    if (v >= 0 && v < kHistLen) h.Hist_Cnt[static_cast<std::size_t>(v)] += 1;
}

enum class Kind { Normal, RB, BB };
Kind kindOf(std::uint8_t b) {
    switch (bonusState(b)) {
        case BonusState::BB: return Kind::BB;
        case BonusState::RB: return Kind::RB;
        default: return Kind::Normal;
    }
}

// Interval collectors: normal games up to the first game of the next run of the
// kinds in `starts`; a game of another bonus kind is passed over.
void intervals(const PlayRecord& rec, AnalysisState& h, bool rbStarts, bool bbStarts) {
    std::int16_t counter = 0;
    bool flag = false;
    for (std::int32_t i = kHeaderLen; i < rec.Dat_Len; ++i) {
        const Kind k = kindOf(rec.Dat_Buf[i]);
        if (k == Kind::Normal) {
            ++counter;
            flag = false;
        } else if ((k == Kind::RB && rbStarts) || (k == Kind::BB && bbStarts)) {
            if (!flag) {
                count(h, counter);
                flag = true;
                counter = 0;
            }
        }
    }
}

// Run collectors: per finished run of `kind`, its games (or its net medals,
// counted only when not negative).
void runs(const PlayRecord& rec, AnalysisState& h, Kind kind, bool medals) {
    std::int32_t counter = 0;
    bool flag = false;
    for (std::int32_t i = kHeaderLen; i < rec.Dat_Len; ++i) {
        const std::uint8_t b = rec.Dat_Buf[i];
        if (kindOf(b) == kind) {
            counter += medals ? medalsOut(b) - medalsIn(b) : 1;
            flag = true;
        } else if (flag) {
            if (!medals || counter >= 0) count(h, counter);
            counter = 0;
            flag = false;
        }
    }
}

struct Command {
    Rgb fill;
    void (*collect)(const PlayRecord&, AnalysisState&);
    const char* title;
    const char* unit;
    Rgb bar;
};

double ratioOrZero(double num, double den) { return den == 0 ? 0.0 : num / den; }

}  // namespace

void Hist_YB(const PlayRecord& rec, AnalysisState& h) { intervals(rec, h, true, true); }
void Hist_BBkan(const PlayRecord& rec, AnalysisState& h) { intervals(rec, h, false, true); }
void Hist_RBkan(const PlayRecord& rec, AnalysisState& h) { intervals(rec, h, true, false); }
void Hist_BBgame(const PlayRecord& rec, AnalysisState& h) { runs(rec, h, Kind::BB, false); }
void Hist_RBgame(const PlayRecord& rec, AnalysisState& h) { runs(rec, h, Kind::RB, false); }
void Hist_BBmai(const PlayRecord& rec, AnalysisState& h) { runs(rec, h, Kind::BB, true); }
void Hist_RBmai(const PlayRecord& rec, AnalysisState& h) { runs(rec, h, Kind::RB, true); }

float histBinWidth(std::int32_t max) {
    if (max >= 10000) return 500;
    if (max >= 5000) return 100;
    if (max >= 2000) return 50;
    if (max >= 1000) return 20;
    if (max >= 500) return 10;
    if (max >= 100) return 5;
    return 1;
}

float histScale(std::int32_t bmax) {
    if (bmax < 10) return 500;
    if (bmax < 20) return 250;
    if (bmax < 50) return 100;
    if (bmax < 100) return 50;
    if (bmax < 1000) return 5;
    return 0.1f;
}

namespace {
// The bar items each view shows; the other view's are hidden.
constexpr MenuName kGraphViewMenus[] = {"Hidari",  "Dhidari",   "Migi",  "Dmigi",
                                        "menFile", "menHyouji", "Gzoom", "SyuKei"};
constexpr MenuName kAnalysisViewMenus[] = {"HistEnd", "YB_Hist", "BB_Hist", "RB_Hist"};
}  // namespace

void HistInit(Core& c) {
    for (MenuName m : kGraphViewMenus) c.ui.menu(m)->setVisible(false);
    for (MenuName m : kAnalysisViewMenus) c.ui.menu(m)->setVisible(true);
    MainControls& w = c.ui.main;
    w.Image1->setVisible(false);
    w.zoomForm->setVisible(false);
    w.Picture3->setVisible(false);
    w.Picture9->setVisible(true);
    w.Label11->setVisible(true);
    c.hist.Hist_Cnt.fill(0);
}

void Kaiseki_Click(Core& c, int index) {
    if (index == 10) {
        KoyakuDisp(c);
        c.ui.main.koyakuForm->setVisible(true);
        return;
    }
    if (index == 12) {
        if (!c.ui.history.form) return;  // a front end without that window
        HistoryDisp(c);
        c.ui.history.form->setVisible(true);
        return;
    }
    static const Command table[9] = {
        {rgb::Yellow, Hist_YB, "ボーナス間隔", " （ゲーム）", rgb::Black},
        {},
        {rgb::Red, Hist_BBkan, "ＢＢ間隔", " （ゲーム）", rgb::Black},
        {rgb::Red, Hist_BBmai, "ＢＢ獲得", " （枚）", rgb::Black},
        {rgb::Red, Hist_BBgame, "ＢＢ中ゲーム", " （ゲーム）", rgb::Black},
        {},
        {rgb::Black, Hist_RBkan, "ＲＢ間隔", " （ゲーム）", rgb::Red},
        {rgb::Black, Hist_RBmai, "ＲＢ獲得", " （枚）", rgb::Red},
        {rgb::Black, Hist_RBgame, "ＲＢ中ゲーム", " （ゲーム）", rgb::Red},
    };
    if (index < 0 || index > 8 || !table[index].collect) return;
    const Command& cmd = table[index];
    c.hist.Combo_Work = static_cast<std::int16_t>(index);
    c.flags.Kaiseki_On = static_cast<std::int16_t>(index + 1);
    HistInit(c);
    Surface& s = *c.ui.Picture2;
    s.cls();
    HistMemori(s, Ghp_Left, Ghp_Top);
    c.ui.main.Frame1->setVisible(false);

    const Counters& n = c.cnt;
    s.setFillColor(cmd.fill);
    cmd.collect(c.rec, c.hist);
    c.ui.main.Label11->setCaption(cmd.title);
    double avg = 0;
    std::int32_t max = 0;
    switch (index) {
        case 0:
            avg =
                ratioOrZero(static_cast<double>(n.BB_IntvCnt) + n.BB_IntvSum, static_cast<double>(n.BB_Cnt) + n.RB_Cnt);
            max = n.BB_IntvMax;
            break;
        case 2:
            avg = ratioOrZero(static_cast<double>(n.BB_IntvCnt) + n.BB_IntvSum, n.BB_Cnt);
            max = n.BB_IntvMax;
            break;
        case 3: avg = ratioOrZero(n.BB_GainSum, n.BB_EndCnt), max = n.BB_GainMax; break;
        case 4: avg = ratioOrZero(n.BB_GameSum, n.BB_EndCnt), max = n.BB_GameMax; break;
        case 6:
            avg = ratioOrZero(static_cast<double>(n.RB_IntvCnt) + n.RB_IntvSum, n.RB_Cnt);
            max = n.RB_IntvMax;
            break;
        case 7: avg = ratioOrZero(n.RB_GainSum, n.RB_EndCnt), max = n.RB_GainMax; break;
        case 8: avg = ratioOrZero(n.RB_GameSum, n.RB_EndCnt), max = n.RB_GameMax; break;
        default: break;
    }
    HistDisp(c, max, cmd.unit, static_cast<float>(avg), cmd.bar);
    if (index == 0 || index == 2) {
        c.ui.main.Frame1->setVisible(true);
        Combo1_Click(c, c.hist.Combo_Index);
    }
}

Within withinCount(const Core& c, int n) {
    float sum = 0;
    for (int v = 0; v <= n && v < kHistLen; ++v)
        sum += static_cast<float>(c.hist.Hist_Cnt[static_cast<std::size_t>(v)]);
    const double den = c.hist.Combo_Work == 2 ? c.cnt.BB_Cnt : static_cast<double>(c.cnt.BB_Cnt) + c.cnt.RB_Cnt;
    return {static_cast<std::int64_t>(sum), den == 0 ? 0.0 : static_cast<double>(sum) * 100.0 / den};
}

void Combo1_Click(Core& c, int listIndex) {
    c.hist.Combo_Index = static_cast<std::int16_t>(std::clamp(listIndex, 0, 99));
    c.ui.main.Combo1->setCurrentIndex(c.hist.Combo_Index);
    const Within w = withinCount(c, c.hist.Combo_Index + 1);
    // The count as a number's text: a leading blank, no trailing one.
    std::string count(" ");
    count += captionNumber(w.count);
    count += "回";
    c.ui.main.Label16[0]->setCaption(count);
    c.ui.main.Label16[1]->setCaption(formatPicture(w.percent, "##0.00") + "％");
}

void HistEnd_Click(Core& c) {
    c.flags.Kaiseki_On = 0;
    MainControls& w = c.ui.main;
    w.Picture9->setVisible(false);
    w.Label11->setVisible(false);
    w.Frame1->setVisible(false);
    for (MenuName m : kGraphViewMenus) c.ui.menu(m)->setVisible(true);
    for (MenuName m : kAnalysisViewMenus) c.ui.menu(m)->setVisible(false);
    w.Picture3->setVisible(true);
    GhpRebuildAll(c);
}

void HistMemori(Surface& s, float x, std::int32_t y) {
    const float Y = static_cast<float>(y);
    s.setDrawWidth(1);
    for (int k = 0; k <= 9; ++k)
        s.line(x, Y + 500.0f * k, x + 10000.0f, Y + 500.0f * k, k == 0 || k == 5 ? 0x407070 : graphcolor::Grid);
    s.setDrawWidth(2);
    s.line(x - 15.0f, Y + 5015.0f, x + 10001.0f, Y + 5015.0f, graphcolor::Blue);
    s.line(x, Y - 15.0f, x, Y + 5000.0f, graphcolor::Blue);
    s.setDrawWidth(1);
}

void HistDisp(Core& c, std::int32_t max, const std::string& unit, float avg, Rgb barColor) {
    Surface& s = *c.ui.Picture2;
    HistChart& ch = c.hist.chart;
    const float L = Ghp_Left;
    const float T = static_cast<float>(Ghp_Top);
    ch.Max = max;
    ch.avg = avg;
    ch.W = histBinWidth(max);
    const std::int32_t w = static_cast<std::int32_t>(ch.W);
    const std::int32_t nbins = max < 0 ? 0 : max / w + 1;
    ch.bins.assign(static_cast<std::size_t>(nbins), 0);
    std::int32_t bmax = 0;
    for (std::int32_t b = 0; b < nbins; ++b) {
        float sum = 0;
        for (std::int32_t v = b * w; v < b * w + w; ++v)
            if (v < kHistLen) sum += static_cast<float>(c.hist.Hist_Cnt[static_cast<std::size_t>(v)]);
        ch.bins[static_cast<std::size_t>(b)] = static_cast<std::int16_t>(std::lround(sum));
        bmax = std::max<std::int32_t>(bmax, ch.bins[static_cast<std::size_t>(b)]);
    }
    ch.S = histScale(bmax);

    s.setDrawWidth(1);
    for (int k = 1; k <= 20; ++k) {
        const bool blue = w == 20 ? k % 5 == 0 : k % 4 == 0;
        s.line(L + 500.0f * k, T, L + 500.0f * k, T + 5000.0f, blue ? graphcolor::Blue : graphcolor::Grid);
    }
    for (int j = 0; j <= 10; ++j) {
        s.setCurrentXY(L + 1000.0f * j - 200.0f, T + 5075.0f);
        s.print(j == 0 ? " 0" + unit : surfaceNumber(10LL * w * j));
    }
    for (int k = 1; k <= 5; ++k)
        c.ui.main.Label9[static_cast<std::size_t>(k - 1)]->setCaption(formatPicture(1000.0 * k / ch.S, "#####"));
    c.ui.main.Label9[5]->setCaption("（回）");

    ch.marker = c.cnt.BB_EndCnt != 0;
    ch.avgText.clear();
    if (ch.marker) {
        const float xa = (100.0f / ch.W) * avg + L;
        ch.avgText = formatPicture(avg, "平均#0.00");
        s.setCurrentXY(xa - 400.0f, 30.0f);
        s.print(ch.avgText);
        s.line(xa, T, xa, T + 5000.0f, rgb::Yellow);
    }
    for (std::int32_t b = 0; b < nbins; ++b) {
        const std::int16_t v = ch.bins[static_cast<std::size_t>(b)];
        if (v == 0) continue;
        s.box(L + 1.0f + 100.0f * b, T + 4999.0f, L + 1.0f + 100.0f * (b + 1), T + 5000.0f - v * ch.S, barColor, true);
    }
}

}  // namespace tobrak
