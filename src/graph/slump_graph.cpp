#include "graph/slump_graph.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "graph/line_pen.h"

namespace tobrak {

void SlumpGraph::GhpLineInit() {
    SlumpGraph& g = *this;
    g.Ghp_Color = rgb::White;
    g.Ghp_LastX = Ghp_Left;
    g.Ghp_LastY = g.P2y;
    g.Ghp_PlotNo = 1;
    g.Ghp_Band = 0;
    g.Ghp_In = g.Ghp_Out = 0;
    g.Ghp_BB_On = g.Ghp_RB_On = false;
    g.Ghp_IntvCnt = g.Ghp_BBGain = g.Ghp_RBGain = 0;
    g.Exp_LastX = Ghp_Left;
    g.Exp_LastY = g.P2y;
    g.Exp_Band = 0;
}

void SlumpGraph::markInterval(std::int32_t games) {
    printNumberAt(*Picture2, Ghp_LastX + static_cast<float>(Ghp_Scroll), Ghp_LastY, games);
}

void SlumpGraph::markGain(std::int32_t medals) {
    printNumberAt(*Picture2, Ghp_LastX + static_cast<float>(Ghp_Scroll) - 330.0f, Ghp_LastY - 150.0f, medals);
}

// The medals in at which point number Ghp_PlotNo is plotted.
double SlumpGraph::nextPlotAt() {
    SlumpGraph& g = *this;
    auto& m = nextPlot_;
    if (m.plotNo != g.Ghp_PlotNo || m.step != g.Ghp_Step || m.bitBai != g.con_BitBai)
        m = {g.Ghp_Step, g.Ghp_PlotNo, g.con_BitBai, static_cast<double>(g.Ghp_Step) * g.Ghp_PlotNo / g.con_BitBai};
    return m.medalsIn;
}

void SlumpGraph::Ghp1Disp(std::uint8_t b) {
    SlumpGraph& g = *this;
    Surface& s = *Picture2;
    countGame(
        b,
        {g.Ghp_In, g.Ghp_Out, G_In, G_Ot, g.Ghp_IntvCnt, g.Ghp_BBGain, g.Ghp_RBGain, g.Ghp_BB_On, g.Ghp_RB_On,
         g.Ghp_Color},
        mark_, Ghp_Redraw, [this](std::int32_t v) { markInterval(v); }, [this](std::int32_t v) { markGain(v); });
    // One plotted point per Ghp_Step medals in.
    if (nextPlotAt() > g.Ghp_In) return;

    const float scroll = static_cast<float>(g.Ghp_Scroll);
    const float xN = Ghp_Left + g.con_BitBai * static_cast<float>(g.Ghp_In);
    stepLine(
        g.Ghp_LastX, g.Ghp_LastY, g.P2y, static_cast<float>(Ghp_Top),
        static_cast<float>(Ghp_Top) + 5000.0f * g.con_BitBai,
        [&] {
            const std::int32_t d = g.Ghp_In - g.Ghp_Out - 2500 * g.Ghp_Band;
            return LinePoint<float>{d, xN, g.P2y + g.con_BitBai * static_cast<float>(d)};
        },
        [&](int dir) { g.Ghp_Band += dir; },
        [&](float x, float y) { s.line(g.Ghp_LastX + scroll, g.Ghp_LastY, x + scroll, y, g.Ghp_Color); });
    if (expectedRate > 0)
        stepLine(
            g.Exp_LastX, g.Exp_LastY, g.P2y, static_cast<float>(Ghp_Top),
            static_cast<float>(Ghp_Top) + 5000.0f * g.con_BitBai,
            [&] { return expectedPoint(g.Ghp_In, expectedRate, g.Exp_Band, xN, g.P2y, g.con_BitBai); },
            [&](int dir) { g.Exp_Band += dir; },
            [&](float x, float y) { s.line(g.Exp_LastX + scroll, g.Exp_LastY, x + scroll, y, graphcolor::Expected); });
    g.Ghp_PlotNo += 1;
    // The colour changes one segment late: the first segment after a bonus keeps its colour.
    if (!g.Ghp_BB_On && !g.Ghp_RB_On) g.Ghp_Color = rgb::White;
}

// From game i on, the games that only count: normal games while no bonus is open,
// up to the one that makes a point due. Ghp1Disp does no more for such a game;
// run here in a tight loop, they make a long replay cost little beyond its points.
// Returns the first game that is not one of them.
std::int32_t SlumpGraph::countOnlyGames(std::int32_t i, std::int32_t end) {
    SlumpGraph& g = *this;
    if (g.Ghp_BB_On || g.Ghp_RB_On) return i;
    const double due = nextPlotAt();
    const std::uint8_t* buf = rec_.Dat_Buf.data();
    std::int32_t in = g.Ghp_In, out = g.Ghp_Out, j = i;
    for (; j < end; ++j) {
        const std::uint8_t b = buf[j];
        if (bonusState(b) != BonusState::Normal || !(due > in + medalsIn(b))) break;
        in += medalsIn(b);
        out += medalsOut(b);
    }
    if (j == i) return i;
    g.Ghp_In = in;
    g.Ghp_Out = out;
    g.Ghp_IntvCnt += j - i;
    G_Ot = medalsOut(buf[j - 1]);
    G_In = medalsIn(buf[j - 1]);
    return j;
}

SlumpGraph::LineState SlumpGraph::lineState() const {
    return {Ghp_LastX,  Ghp_LastY, Ghp_Color, Ghp_Band,  Ghp_PlotNo, Ghp_In,    Ghp_Out,   Ghp_IntvCnt, Ghp_BBGain,
            Ghp_RBGain, G_In,      G_Ot,      Ghp_BB_On, Ghp_RB_On,  Exp_LastX, Exp_LastY, Exp_Band};
}

void SlumpGraph::setLineState(const LineState& s) {
    Ghp_LastX = s.LastX;
    Ghp_LastY = s.LastY;
    Ghp_Color = s.Color;
    Ghp_Band = s.Band;
    Ghp_PlotNo = s.PlotNo;
    Ghp_In = s.In;
    Ghp_Out = s.Out;
    Ghp_IntvCnt = s.IntvCnt;
    Ghp_BBGain = s.BBGain;
    Ghp_RBGain = s.RBGain;
    G_In = s.GIn;
    G_Ot = s.GOt;
    Ghp_BB_On = s.BBOn;
    Ghp_RB_On = s.RBOn;
    Exp_LastX = s.ExpX;
    Exp_LastY = s.ExpY;
    Exp_Band = s.ExpBand;
}

void SlumpGraph::remember(std::int32_t index) {
    if (!memo_.empty() && memo_.back().index >= index) return;
    const std::uint8_t* buf = rec_.Dat_Buf.data();
    memoGames_.insert(memoGames_.end(), buf + kHeaderLen + memoGames_.size(), buf + index);
    memo_.push_back({index, lineState()});
}

void SlumpGraph::checkMemo(std::int32_t end) {
    if (memoScale_.step != Ghp_Step || memoScale_.bitBai != con_BitBai || memoScale_.p2y != P2y ||
        memoScale_.rate != expectedRate) {
        memo_.clear();
        memoGames_.clear();
        memoScale_ = {Ghp_Step, con_BitBai, P2y, expectedRate};
    }
    const auto n = std::min<std::size_t>(memoGames_.size(), static_cast<std::size_t>(std::max(end - kHeaderLen, 0)));
    const std::uint8_t* games = rec_.Dat_Buf.data() + kHeaderLen;
    // Completed games change only when the record is replaced: mostly all is the same.
    const auto same =
        n == 0 || std::memcmp(games, memoGames_.data(), n) == 0
            ? static_cast<std::int32_t>(n)
            : static_cast<std::int32_t>(std::mismatch(games, games + n, memoGames_.begin()).first - games);
    while (!memo_.empty() && memo_.back().index > kHeaderLen + same) memo_.pop_back();
    memoGames_.resize(memo_.empty() ? 0 : static_cast<std::size_t>(memo_.back().index - kHeaderLen));
}

std::int32_t SlumpGraph::replay(std::int32_t i, std::int32_t to, float stopRight) {
    const std::uint8_t* buf = rec_.Dat_Buf.data();
    while (i < to) {
        if ((i - kHeaderLen) % kMemoStride == 0) remember(i);
        const std::int32_t stop = std::min(to, i + kMemoStride - (i - kHeaderLen) % kMemoStride);
        while (i < stop) {
            i = countOnlyGames(i, stop);
            if (i == stop) break;
            Ghp1Disp(buf[i++]);
            if (Ghp_LastX > stopRight) return i;
        }
    }
    return i;
}

void SlumpGraph::GhpDispAll() {
    const std::int32_t end = std::min(rec_.Dat_Len, Ghp_Pos - 1);
    Ghp_Redraw = true;
    checkMemo(end);
    const Surface::Shown& v = Picture2->shown();
    if (v.all()) {
        replay(kHeaderLen, end, std::numeric_limits<float>::infinity());
    } else {
        // Lines and marks (a mark is a few hundred twips wide) reach the surface
        // only from pen places within this much of its sides.
        constexpr float kReach = 1000.0f;
        const float left = v.left - static_cast<float>(Ghp_Scroll) - kReach;
        const float right = v.right - static_cast<float>(Ghp_Scroll) + kReach;
        std::int32_t i = kHeaderLen;
        for (auto c = memo_.rbegin(); c != memo_.rend(); ++c)
            if (c->index <= end && c->line.LastX < left) {
                setLineState(c->line);
                i = c->index;
                break;
            }
        i = replay(i, end, right);
        if (i < end) {
            // Nothing more can be seen; the state at the end is still wanted.
            for (auto c = memo_.rbegin(); c != memo_.rend() && c->index >= i; ++c)
                if (c->index <= end) {
                    setLineState(c->line);
                    i = c->index;
                    break;
                }
            NoSurface none;
            Surface* shown = Picture2;
            Picture2 = &none;
            replay(i, end, std::numeric_limits<float>::infinity());
            Picture2 = shown;
        }
    }
    remember(end);
    Ghp_Redraw = false;
}

void SlumpGraph::gridAndLabels() {
    Surface& s = *Picture2;
    s.cls();
    MemoriGhp(s, con_Inmax, 1.0f, Ghp_Left, Ghp_Top, -Ghp_Scroll, 0);
    MemoriChr(s, con_Inmax, Ghp_Scroll, 1.0f, Ghp_Left, Ghp_Top);
}

void SlumpGraph::GhpStandardRedraw(bool originDot) {
    gridAndLabels();
    if (originDot) Picture2->pset(Ghp_Left, P2y, rgb::White);
    GhpLineInit();
    GhpDispAll();
}

void MemoriGhp(Surface& s, std::int32_t inmax, float scl, float x, std::int32_t y, std::int32_t ox, std::int32_t oy,
               const GridStyle& style) {
    const double X = x, Y = y, S = scl;
    // A surface x depends on the medals in alone, a surface y on the balance alone:
    // the dashes repeat the same few of them thousands of times, worked out once.
    auto atX = [&](double u) { return static_cast<float>(X + S * (u - ox)); };
    auto atY = [&](double v) { return static_cast<float>(Y + S * (v - oy)); };
    const long thousands = std::lround(inmax / 1000.0);
    const long hundreds = std::lround(inmax / 100.0);
    const float top = atY(0), bottom = atY(5000);
    // Columns and dots the surface does not show are left out (it would turn
    // each of them away itself).
    const Surface::Shown& v = s.shown();
    auto seen = [&](float x1, float x2) { return !(x1 < v.left && x2 < v.left) && !(x1 > v.right && x2 > v.right); };
    // The steps of `unit` medals that can lie on the surface, one more each side.
    auto stepsSeen = [&](double unit, long first, long last) {
        if (!std::isfinite(v.left) || !std::isfinite(v.right)) return std::pair{first, last};
        const double lo = std::floor(((v.left - X) / S + ox) / unit) - 1;
        const double hi = std::ceil(((v.right - X) / S + ox) / unit) + 1;
        return std::pair{static_cast<long>(std::clamp<double>(lo, first, last + 1)),
                         static_cast<long>(std::clamp<double>(hi, first - 1, last))};
    };
    const auto [k1, k2] = stepsSeen(1000.0, 1, thousands);
    s.setDrawWidth(1);
    for (long k = k1; k <= std::min(k2, thousands - 1); ++k) {
        const float xk = atX(1000.0 * k);
        if (seen(xk, xk)) s.line(xk, top, xk, bottom, k % 5 == 0 ? style.blue : style.grid);
    }
    std::array<std::pair<float, float>, 50> dashY;
    for (int j = 0; j < 50; ++j) dashY[j] = {atY(100.0 * j + 25), atY(100.0 * j + 75)};
    for (long k = k1; k <= k2; ++k) {
        const float xk = atX(1000.0 * k - 500);
        if (!seen(xk, xk)) continue;
        for (const auto& [y1, y2] : dashY) s.line(xk, y1, xk, y2, style.grid);
    }
    const float left = atX(0), right = atX(inmax);
    for (int k = 1; k <= 5; ++k) {
        const float yk = atY(1000.0 * k - 500);
        s.line(left, yk, right, yk, k == 3 ? style.blue : style.grid);
    }
    std::vector<std::pair<float, float>> dotX;
    dotX.reserve(static_cast<std::size_t>(std::max(hundreds, 0L)));
    const auto [j1, j2] = stepsSeen(100.0, 0, hundreds - 1);
    for (long j = j1; j <= j2; ++j) {
        const std::pair<float, float> d{atX(100.0 * j + 25), atX(100.0 * j + 75)};
        if (seen(d.first, d.second)) dotX.push_back(d);
    }
    for (int v = 1000; v <= 4000; v += 1000) {
        const float yv = atY(v);
        for (const auto& [x1, x2] : dotX) s.line(x1, yv, x2, yv, style.grid);
    }
    // The frame; its small offsets are surface units, not scaled.
    const float L = static_cast<float>(X - S * ox);
    const float R = static_cast<float>(X + S * (inmax - ox) + 1);
    const float T = static_cast<float>(Y - S * oy);
    const float B = static_cast<float>(Y + S * (5000 - oy));
    const float reach = style.frameReach;
    s.setDrawWidth(style.frameWidth);
    s.line(L - reach, T, R, T, style.blue);
    s.line(L - reach, B + reach, R, B + reach, style.blue);
    s.line(L, T - reach, L, B, style.blue);
    s.line(R, T - 1, R, B + 1, style.blue);
    if (style.resetWidth) s.setDrawWidth(1);
}

void axisLabels(Surface& s, std::int32_t from, long count, bool zero, float scl, double x, double shift,
                std::initializer_list<float> rows) {
    if (zero)
        for (float row : rows) printNumberAt(s, static_cast<float>(x - 80.0 * scl), row, 0);
    // A label is narrower than this; those wholly off the surface are left out.
    constexpr float kLabelWidth = 1500.0f;
    const Surface::Shown& v = s.shown();
    for (long k = from == 0 ? 1 : 0; k <= count; ++k) {
        const float xk = static_cast<float>(x + 1000.0 * k * scl - 240.0 + shift);
        if (xk > v.right || xk + kLabelWidth < v.left) continue;
        for (float row : rows) printNumberAt(s, xk, row, from + 1000 * k);
    }
}

void balanceLabels(Surface& s, float scl, double x, double y) {
    printNumberAt(s, static_cast<float>(x - 210.0), static_cast<float>(y + 2500.0 * scl), 0);
    const struct {
        const char* text;
        double v;
    } rows[] = {{"+2000", 500}, {"+1000", 1500}, {"-1000", 3500}, {"-2000", 4500}};
    for (const auto& r : rows) {
        s.setCurrentXY(static_cast<float>(x - 525.0), static_cast<float>(y + r.v * scl));
        s.print(r.text);
    }
}

void MemoriChr(Surface& s, std::int32_t inmax, std::int32_t scroll, float scl, float x, std::int32_t y) {
    s.setFontSize(kLabelFontSize);
    s.setForeColor(rgb::White);
    const float below = static_cast<float>(y) + 5000.0f * scl + 75.0f;
    axisLabels(s, 0, std::lround(inmax / 1000.0), scroll == 0, scl, x, scroll, {30.0f, below});
}

void MekakusiChr(Surface& s, float scl, float x, std::int32_t y) {
    s.setFontSize(kLabelFontSize);
    s.setForeColor(rgb::White);
    balanceLabels(s, scl, x, y);
}

}  // namespace tobrak
