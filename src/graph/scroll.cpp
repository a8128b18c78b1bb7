#include "graph/scroll.h"

#include <algorithm>
#include <cmath>

namespace tobrak {

namespace {

// One-step forward scrolling halts here; only the big step goes on.
constexpr std::int32_t kMigiStop = 55000;

}  // namespace

void GraphScroll::rebuild(std::int32_t scrollDelta) {
    graph_.Ghp_Scroll += scrollDelta;
    graph_.GhpStandardRedraw(/*originDot=*/false);
    zoom_.Sub_ZoomMove();
}

void GraphScroll::GhpScrollBack(std::int32_t step) { rebuild(step); }

void GraphScroll::GhpScrollFwd(std::int32_t step) {
    rebuild(-step);
    // The frame never lies beyond the end of the axis.
    const float r =
        static_cast<float>(static_cast<double>(graph_.con_Inmax) - zoom_.Frame.Width + Ghp_Left + graph_.Ghp_Scroll);
    if (zoom_.Frame.Left > r) zoom_.moveFrame(r);
}

void GraphScroll::Hidari_Click() {
    if (graph_.Ghp_Scroll != 0) GhpScrollBack(1000);
}

void GraphScroll::Dhidari_Click() {
    if (graph_.Ghp_Scroll <= -5000)
        GhpScrollBack(5000);
    else if (graph_.Ghp_Scroll < 0)
        GhpScrollBack(-graph_.Ghp_Scroll);
}

void GraphScroll::Migi_Click() {
    const std::int32_t S = -graph_.Ghp_Scroll;
    const std::int32_t W = Picture2->width();
    if (S <= graph_.con_Inmax - W + 1000 && S != kMigiStop) GhpScrollFwd(1000);
}

void GraphScroll::Dmigi_Click() {
    const std::int32_t S = -graph_.Ghp_Scroll;
    const std::int32_t W = Picture2->width();
    const std::int32_t inmax = graph_.con_Inmax;
    if (S > inmax - W + 1000) return;
    if (S == inmax - 5000) return;
    if (S > inmax - 10000) {
        GhpScrollFwd(inmax - 5000 - S);
        return;
    }
    const double V = static_cast<double>(form->clientWidth()) - Ghp_Left - Picture1->width() + S + 5000;
    std::int32_t step = 5000;
    if (V > inmax) {
        // Brings the right edge to about the end of the axis plus 2000.
        const auto num = static_cast<std::int64_t>(std::nearbyint(inmax + 7000 - V));
        step = static_cast<std::int32_t>(num / 1000 * 1000);
    }
    GhpScrollFwd(step);
}

void GraphScroll::toStart() {
    if (graph_.Ghp_Scroll < 0) GhpScrollBack(-graph_.Ghp_Scroll);
}

void GraphScroll::toLatest(std::int32_t medalsIn) {
    // The medals in across the part of the graph right of the label strip.
    const std::int32_t seen = Picture2->width() - static_cast<std::int32_t>(Ghp_Left);
    // In whole steps of ">>>", leaving a step of room after the newest game, no further than "≫≫" goes.
    const std::int32_t room = medalsIn + 1000 - seen;
    std::int32_t to = room > 0 ? (room + 999) / 1000 * 1000 : 0;
    to = std::min(to, std::max(0, graph_.con_Inmax - 5000));
    const std::int32_t now = -graph_.Ghp_Scroll;
    if (to > now) GhpScrollFwd(to - now);
    if (to < now) GhpScrollBack(now - to);
}

}  // namespace tobrak
