#pragma once
// The band-wrap step every slump line takes: the main graph, the zoom window and
// the printed report. A line leaving its 5000-medal band at the bottom is drawn
// to the edge and goes on from the zero line of the band below; at the top, of
// the band above. `Real` is the precision the caller works its points out in.
#include <cstdint>

namespace tobrak {

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

template <class Real, class PointAt, class ShiftBand, class Draw>
void stepLine(float& penX, float& penY, float zeroY, Real top, Real bottom, PointAt pointAt, ShiftBand shiftBand,
              Draw draw) {
    stepLine(penX, penY, zeroY, top, bottom, pointAt, shiftBand, draw, [](LinePoint<Real>&) {});
}

}  // namespace tobrak
