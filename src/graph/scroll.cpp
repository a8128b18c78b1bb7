#include "graph/scroll.h"

#include <cmath>

#include "app/filedisp.h"
#include "graph/slump_graph.h"
#include "graph/zoom.h"

namespace tobrak {

namespace {

// One-step forward scrolling halts here; only the big step goes on.
constexpr std::int32_t kMigiStop = 55000;

void rebuild(Core& c, std::int32_t scrollDelta) {
    Surface& s = *c.ui.Picture2;
    s.cls();
    c.graph.Ghp_Scroll += scrollDelta;
    MemoriGhp(s, c.graph, 1.0f, Ghp_Left, Ghp_Top, -c.graph.Ghp_Scroll, 0);
    MemoriChr(s, c.graph, 1.0f, Ghp_Left, Ghp_Top);
    GhpLineInit(c);
    GhpDispAll(c);
    Sub_ZoomMove(c);
}

std::int32_t shown(const Core& c) { return -c.graph.Ghp_Scroll; }

}  // namespace

void GhpScrollBack(Core& c, std::int32_t step) { rebuild(c, step); }

void GhpScrollFwd(Core& c, std::int32_t step) {
    rebuild(c, -step);
    // The frame never lies beyond the end of the axis.
    auto& f = c.graph.Frame;
    const float r = static_cast<float>(static_cast<double>(c.graph.con_Inmax) - f.Width + Ghp_Left + c.graph.Ghp_Scroll);
    if (f.Left > r) {
        f.Left = r;
        showFrame(c);
        Sub_ZoomMove(c);
    }
}

void Hidari_Click(Core& c) {
    if (c.graph.Ghp_Scroll != 0) GhpScrollBack(c, 1000);
}

void Dhidari_Click(Core& c) {
    if (c.graph.Ghp_Scroll <= -5000)
        GhpScrollBack(c, 5000);
    else if (c.graph.Ghp_Scroll < 0)
        GhpScrollBack(c, -c.graph.Ghp_Scroll);
}

void Migi_Click(Core& c) {
    const std::int32_t S = shown(c);
    const std::int32_t W = c.ui.main.Picture2->width();
    if (S <= c.graph.con_Inmax - W + 1000 && S != kMigiStop) GhpScrollFwd(c, 1000);
}

void Dmigi_Click(Core& c) {
    const std::int32_t S = shown(c);
    const std::int32_t W = c.ui.main.Picture2->width();
    const std::int32_t inmax = c.graph.con_Inmax;
    if (S > inmax - W + 1000) return;
    if (S == inmax - 5000) return;
    if (S > inmax - 10000) {
        GhpScrollFwd(c, inmax - 5000 - S);
        return;
    }
    const double V = static_cast<double>(c.ui.main.form->clientWidth()) - Ghp_Left - c.ui.main.Picture1->width() + S + 5000;
    std::int32_t step = 5000;
    if (V > inmax) {
        // Brings the right edge to about the end of the axis plus 2000.
        const auto num = static_cast<std::int64_t>(std::nearbyint(inmax + 7000 - V));
        step = static_cast<std::int32_t>(num / 1000 * 1000);
    }
    GhpScrollFwd(c, step);
}

}  // namespace tobrak
