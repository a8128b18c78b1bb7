#pragma once
// Twips (1/1440 inch) to Qt's device-independent pixels: 15 twips a pixel at
// 96 dpi. Qt scales those pixels to the screen, so a high-DPI screen stays sharp.
#include <QColor>
#include <QRect>
#include <QtMath>

#include "platform/controls.h"

namespace tobrak::qt {

constexpr double kTwipsPerPixel = 15.0;
inline int px(double twips) {
    return qRound(twips / kTwipsPerPixel);
}
inline int twips(int pixels) {
    return static_cast<int>(pixels * kTwipsPerPixel);
}
inline QRect pxRect(int l, int t, int w, int h) {
    return QRect(px(l), px(t), px(w), px(h));
}
inline QColor qcolor(Rgb c) {
    return QColor((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF);
}
inline Rgb rgbOf(const QColor& c) {
    return (static_cast<Rgb>(c.red()) << 16) | (static_cast<Rgb>(c.green()) << 8) | static_cast<Rgb>(c.blue());
}

}  // namespace tobrak::qt
