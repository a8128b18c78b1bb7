#include "analysis/histogram.h"

#include <algorithm>
#include <cmath>

#include "graph/slump_graph.h"
#include "util/format.h"

namespace tobrak {

namespace {
struct Command {
    Rgb fill;
    void (*collect)(const PlayRecord&, HistCounts&);
    const char* title;
    const char* unit;
    Rgb bar;
};

double ratioOrZero(double num, double den) { return den == 0 ? 0.0 : num / den; }

// The bar items each view shows; the other view's are hidden.
constexpr MenuName kGraphViewMenus[] = {"Hidari",  "Dhidari",   "Migi",  "Dmigi",
                                        "menFile", "menHyouji", "Gzoom", "SyuKei"};
constexpr MenuName kAnalysisViewMenus[] = {"HistEnd", "YB_Hist", "BB_Hist", "RB_Hist"};
}  // namespace

void AnalysisView::HistInit() {
    for (MenuName m : kGraphViewMenus) menus->at(m).setVisible(false);
    for (MenuName m : kAnalysisViewMenus) menus->at(m).setVisible(true);
    AnalysisView& w = *this;
    w.Image1->setVisible(false);
    w.zoomForm->setVisible(false);
    w.Picture3->setVisible(false);
    w.Picture9->setVisible(true);
    w.Label11->setVisible(true);
    Hist_Cnt.fill(0);
}

bool AnalysisView::showChart(int index) {
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
    if (index < 0 || index > 8 || !table[index].collect) return false;
    const Command& cmd = table[index];
    Combo_Work = static_cast<std::int16_t>(index);
    Kaiseki_On = static_cast<std::int16_t>(index + 1);
    HistInit();
    Surface& s = *Picture2;
    s.cls();
    HistMemori(s, Ghp_Left, Ghp_Top);
    Frame1->setVisible(false);

    const Counters& n = cnt_;
    s.setFillColor(cmd.fill);
    cmd.collect(rec_, Hist_Cnt);
    chart.title = cmd.title;
    Label11->setCaption(chart.title);
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
    HistDisp(max, cmd.unit, static_cast<float>(avg), cmd.bar);
    if (index == 0 || index == 2) {
        Frame1->setVisible(true);
        Combo1_Click(Combo_Index);
    }
    return true;
}

Within AnalysisView::withinCount(int n) const {
    float sum = 0;
    for (int v = 0; v <= n && v < kHistLen; ++v) sum += static_cast<float>(Hist_Cnt[static_cast<std::size_t>(v)]);
    const double den = Combo_Work == 2 ? cnt_.BB_Cnt : static_cast<double>(cnt_.BB_Cnt) + cnt_.RB_Cnt;
    return {static_cast<std::int64_t>(sum), den == 0 ? 0.0 : static_cast<double>(sum) * 100.0 / den};
}

void AnalysisView::Combo1_Click(int listIndex) {
    Combo_Index = static_cast<std::int16_t>(std::clamp(listIndex, 0, 99));
    Combo1->setCurrentIndex(Combo_Index);
    const Within w = withinCount(Combo_Index + 1);
    // The count as a number's text: a leading blank, no trailing one.
    chart.withinTexts = {" " + captionNumber(w.count) + "回", formatPicture(w.percent, "##0.00") + "％"};
    Label16[0]->setCaption(chart.withinTexts[0]);
    Label16[1]->setCaption(chart.withinTexts[1]);
}

void AnalysisView::HistEnd_Click() {
    Kaiseki_On = 0;
    AnalysisView& w = *this;
    w.Picture9->setVisible(false);
    w.Label11->setVisible(false);
    w.Frame1->setVisible(false);
    for (MenuName m : kGraphViewMenus) menus->at(m).setVisible(true);
    for (MenuName m : kAnalysisViewMenus) menus->at(m).setVisible(false);
    w.Picture3->setVisible(true);
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

void AnalysisView::HistDisp(std::int32_t max, const std::string& unit, float avg, Rgb barColor) {
    Surface& s = *Picture2;
    HistChart& ch = chart;
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
            if (v < kHistLen) sum += static_cast<float>(Hist_Cnt[static_cast<std::size_t>(v)]);
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
        ch.countLabels[static_cast<std::size_t>(k - 1)] = formatPicture(1000.0 * k / ch.S, "#####");
    ch.countLabels[5] = "（回）";
    for (std::size_t k = 0; k < 6; ++k) Label9[k]->setCaption(ch.countLabels[k]);

    ch.marker = cnt_.BB_EndCnt != 0;
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
