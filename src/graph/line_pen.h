#pragma once
// The band-wrap step every slump line takes: the main graph, the zoom window and
// the printed report. A line leaving its 5000-medal band at the bottom is drawn
// to the edge and goes on from the zero line of the band below; at the top, of
// the band above. `Real` is the precision the caller works its points out in.
#include <cmath>
#include <cstdint>

#include "platform/controls.h"
#include "record/display_marks.h"

namespace tobrak {

// What a slump line counts game by game, by the names of its own state.
struct LineCounts {
    std::int32_t &In, &Out, &GIn, &GOt, &IntvCnt, &BBGain, &RBGain;
    bool &BBOn, &RBOn;
    Rgb& colour;
};

// One game counted: medals in and out, the interval since the last bonus, each
// bonus's gain and the line's colour. While `replaying`, the first game of a
// bonus writes the interval before it (markInterval) and the first normal game
// after it the bonus's gain (markGain), as the markers ask.
template <class MarkInterval, class MarkGain>
void countGame(std::uint8_t b, LineCounts c, const Markers& mark, bool replaying, MarkInterval markInterval,
               MarkGain markGain) {
    c.GOt = medalsOut(b);
    c.GIn = medalsIn(b);
    c.Out += c.GOt;
    c.In += c.GIn;
    auto bonusGame = [&](bool& on, bool marked, std::int32_t& gain, Rgb colour) {
        if (!on) {
            if (marked && replaying) markInterval(c.IntvCnt);
            on = true;
            c.IntvCnt = 0;
        }
        c.colour = colour;
        gain += c.GOt - c.GIn;
    };
    auto closeBonus = [&](bool& on, bool marked, std::int32_t& gain) {
        if (!on) return;
        if (marked && replaying) markGain(gain);
        on = false;
        gain = 0;
    };
    switch (bonusState(b)) {
        case BonusState::BB: bonusGame(c.BBOn, mark.Mark_BBs, c.BBGain, rgb::Red); break;
        case BonusState::RB: bonusGame(c.RBOn, mark.Mark_RBs, c.RBGain, rgb::Black); break;
        case BonusState::Normal:
            c.IntvCnt += 1;
            closeBonus(c.BBOn, mark.Mark_BBe, c.BBGain);
            closeBonus(c.RBOn, mark.Mark_RBe, c.RBGain);
            break;
    }
}

template <class Real>
struct LinePoint {
    std::int32_t d;  // balance off the band's zero line, medals
    Real x, y;       // where it lies, in the caller's units
};

// One step of the pen at (penX, penY) toward pointAt(): at most one wrap each
// way, each piece drawn by draw(x, y) from the pen as it stands. shiftBand(±1)
// moves to the band below / above, after which pointAt() answers for it.
// atEdge(point) may end the segment elsewhere first (the printed page's bands
// also end on the right); the last piece ends at the point it leaves.
template <class Real, class PointAt, class ShiftBand, class Draw, class AtEdge>
void stepLine(float& penX, float& penY, float zeroY, Real top, Real bottom, PointAt pointAt, ShiftBand shiftBand,
              Draw draw, AtEdge atEdge) {
    if (const LinePoint<Real> p = pointAt(); p.d > 2500) {
        const Real xC = penX + (bottom - penY) * (p.x - penX) / (p.y - penY);
        draw(xC, bottom);
        penX = static_cast<float>(xC);
        penY = zeroY;
        shiftBand(1);
    }
    if (const LinePoint<Real> p = pointAt(); p.d < -2500) {
        const Real xC = penX + (p.x - penX) * (penY - top) / (penY - p.y);
        draw(xC, top);
        penX = static_cast<float>(xC);
        penY = zeroY;
        shiftBand(-1);
    }
    LinePoint<Real> p = pointAt();
    atEdge(p);
    draw(p.x, p.y);
    penX = static_cast<float>(p.x);
    penY = static_cast<float>(p.y);
}

// The point of an expected-value line at `in` medals in: the balance a machine of
// payout rate `rate` gives, (rate - 1) x in, off the zero line of band `band`. `d`
// is rounded away from zero, so that it wraps exactly when the balance is past
// the band's edge.
template <class Real>
LinePoint<Real> expectedPoint(std::int32_t in, double rate, std::int32_t band, Real x, Real zeroY, Real scale) {
    const double d = static_cast<double>(in) * (1.0 - rate) - 2500.0 * band;
    const double whole = d > 0 ? std::ceil(d) : std::floor(d);
    return {static_cast<std::int32_t>(whole), x, static_cast<Real>(zeroY + scale * d)};
}

template <class Real, class PointAt, class ShiftBand, class Draw>
void stepLine(float& penX, float& penY, float zeroY, Real top, Real bottom, PointAt pointAt, ShiftBand shiftBand,
              Draw draw) {
    stepLine(penX, penY, zeroY, top, bottom, pointAt, shiftBand, draw, [](LinePoint<Real>&) {});
}

}  // namespace tobrak
