#pragma once
// Twips (1/1440 inch) to Qt's device-independent pixels: 15 twips a pixel at
// 96 dpi. Qt scales those pixels to the screen, so a high-DPI screen stays sharp.
#include <QColor>
#include <QRect>
#include <QtMath>
#include <cmath>
#include <cstdint>

#include "platform/controls.h"

namespace tobrak::qt {

constexpr double kTwipsPerPixel = 15.0;
// The view scale chosen in the program (1: as designed), on top of the screen's
// own; see view_scale.h. Drawings scale through their surface's pixel ratio.
inline double g_viewScale = 1.0;
inline int px(double twips) { return qRound(twips / kTwipsPerPixel * g_viewScale); }
inline int twips(int pixels) {
    return g_viewScale == 1.0 ? static_cast<int>(pixels * kTwipsPerPixel)
                              : static_cast<int>(std::lround(pixels * kTwipsPerPixel / g_viewScale));
}
// The whole pixel a twips value lands on on a surface: floor(t / 15 + 0.5). Most
// values are whole twips (the grid, the labels); for them it is worked out on
// integers, and gives the same pixel: (2t + 15) / 30 is never closer to a whole
// number than 1/30 unless it is one, far beyond the rounding of the division.
inline double pixelOfTwips(float t) {
    static_assert(kTwipsPerPixel == 15.0);
    if (t > -1e8f && t < 1e8f) {
        const auto i = static_cast<std::int32_t>(t);
        if (static_cast<float>(i) == t) {
            const std::int32_t n = 2 * i + 15;
            return n >= 0 ? n / 30 : -((29 - n) / 30);
        }
    }
    return std::floor(t / kTwipsPerPixel + 0.5);
}
inline QRect pxRect(int l, int t, int w, int h) { return QRect(px(l), px(t), px(w), px(h)); }
inline QColor qcolor(Rgb c) { return QColor((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF); }
inline Rgb rgbOf(const QColor& c) {
    return (static_cast<Rgb>(c.red()) << 16) | (static_cast<Rgb>(c.green()) << 8) | static_cast<Rgb>(c.blue());
}

}  // namespace tobrak::qt
