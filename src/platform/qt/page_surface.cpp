#include "platform/qt/page_surface.h"

#include <QFontMetricsF>

#include "platform/qt/twips.h"

namespace tobrak::qt {

namespace {
const char* const kPageFont = "ＭＳ Ｐゴシック";
// Line widths are printer pixels; taken at 300 dpi so that they read the same
// on any printer and in a PDF.
constexpr double kPenDpi = 300.0;
}  // namespace

PageSurface::PageSurface(QPainter& painter, double dpi) : p_(painter), dpi_(dpi), k_(dpi / 1440.0) {
    p_.setRenderHint(QPainter::Antialiasing, true);
}

QPen PageSurface::pen(Rgb c) const {
    QPen pen(qcolor(c));
    pen.setWidthF(width_ * dpi_ / kPenDpi);
    pen.setCapStyle(Qt::FlatCap);
    return pen;
}

void PageSurface::drawLine(float x1, float y1, float x2, float y2, Rgb c) {
    p_.setPen(pen(c));
    p_.drawLine(at(x1, y1), at(x2, y2));
}

void PageSurface::box(float x1, float y1, float x2, float y2, Rgb outline, bool filled) {
    const QRectF r = QRectF(at(x1, y1), at(x2, y2)).normalized();
    if (filled) p_.fillRect(r, qcolor(fill_));
    p_.setPen(pen(outline));
    p_.setBrush(Qt::NoBrush);
    p_.drawRect(r);
    setCurrentXY(x2, y2);
}

void PageSurface::pset(float x, float y, Rgb c) {
    const double d = width_ * dpi_ / kPenDpi;
    const QPointF a = at(x, y);
    p_.fillRect(QRectF(a.x() - d / 2, a.y() - d / 2, d, d), qcolor(c));
    setCurrentXY(x, y);
}

void PageSurface::print(const std::string& utf8) {
    QFont f(QString::fromUtf8(kPageFont));
    f.setPixelSize(std::max(1, static_cast<int>(std::lround(fontSize_ * dpi_ / 72.0))));
    p_.setFont(f);
    p_.setPen(qcolor(fore_));
    const QFontMetricsF m(f);
    const QPointF a = at(currentX(), currentY());
    p_.drawText(QPointF(a.x(), a.y() + m.ascent()), QString::fromUtf8(utf8));
}

}  // namespace tobrak::qt
