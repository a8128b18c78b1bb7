#include "platform/qt/image_surface.h"

#include <QFontMetricsF>
#include <cmath>

#include "platform/qt/twips.h"

namespace tobrak::qt {

namespace {
const char* const kSurfaceFont = "ＭＳ Ｐゴシック";
}

ImageSurface::ImageSurface(Rgb background, QSize logicalSize, qreal pixelRatio) : back_(background) {
    makeImage(logicalSize, pixelRatio);
}

ImageSurface::~ImageSurface() { p_.reset(); }

void ImageSurface::makeImage(QSize logical, qreal ratio) {
    logical_ = logical.expandedTo({1, 1});
    ratio_ = ratio;
    img_ = QImage(logical_ * ratio_, QImage::Format_RGB32);
    img_.setDevicePixelRatio(ratio_);
    img_.fill(qcolor(back_));
}

void ImageSurface::resize(QSize logicalSize, qreal pixelRatio) {
    if (logicalSize.expandedTo({1, 1}) == logical_ && pixelRatio == ratio_) return;
    p_.reset();
    const QImage old = img_;
    makeImage(logicalSize, pixelRatio);
    QPainter keep(&img_);
    keep.drawImage(QPointF(0, 0), old);
    touched();
}

const QImage& ImageSurface::image() {
    p_.reset();  // finish drawing before the picture is shown or saved
    followSize();
    dirty_ = false;
    return img_;
}

void ImageSurface::followSize() {
    if (!sizeSource) return;
    const auto [size, ratio] = sizeSource();
    resize(size, ratio);
}

QPainter& ImageSurface::painter() {
    if (!p_) {
        followSize();
        p_ = std::make_unique<QPainter>(&img_);
        p_->setRenderHint(QPainter::Antialiasing, false);
        // Work in device pixels: the coordinates are mapped by hand.
        p_->resetTransform();
        p_->scale(1.0 / ratio_, 1.0 / ratio_);
    }
    return *p_;
}

void ImageSurface::touched() {
    if (dirty_) return;
    dirty_ = true;
    if (changed) changed();
}

QPointF ImageSurface::at(float x, float y) const {
    // Whole pixels, as the twips would land on the screen, times the ratio.
    return QPointF(std::floor(x / kTwipsPerPixel + 0.5) * ratio_, std::floor(y / kTwipsPerPixel + 0.5) * ratio_);
}

void ImageSurface::cls() {
    p_.reset();
    followSize();
    img_.fill(qcolor(back_));
    touched();
}

void ImageSurface::line(float x1, float y1, float x2, float y2, Rgb c) {
    cx_ = x2;
    cy_ = y2;
    if (!p_) followSize();
    const QPointF a = at(x1, y1), b = at(x2, y2);
    // A line wholly outside the picture changes nothing: skip it (a zoomed
    // record draws most of its segments there).
    const qreal pad = width_ * ratio_;
    const qreal w = img_.width(), h = img_.height();
    if ((a.x() < -pad && b.x() < -pad) || (a.x() > w + pad && b.x() > w + pad) || (a.y() < -pad && b.y() < -pad) ||
        (a.y() > h + pad && b.y() > h + pad))
        return;
    QPainter& p = painter();
    QPen pen(qcolor(c));
    pen.setWidthF(width_ * ratio_);
    pen.setCapStyle(width_ > 1 ? Qt::SquareCap : Qt::FlatCap);
    p.setPen(pen);
    if (a == b)
        p.drawPoint(a);
    else
        p.drawLine(a, b);
    touched();
}

void ImageSurface::box(float x1, float y1, float x2, float y2, Rgb outline, bool filled) {
    QPainter& p = painter();
    const QRectF r = QRectF(at(x1, y1), at(x2, y2)).normalized();
    if (filled) p.fillRect(r, qcolor(fill_));
    QPen pen(qcolor(outline));
    pen.setWidthF(width_ * ratio_);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    p.drawRect(r.adjusted(0, 0, -ratio_, -ratio_));
    cx_ = x2;
    cy_ = y2;
    touched();
}

void ImageSurface::pset(float x, float y, Rgb c) {
    QPainter& p = painter();
    const QPointF a = at(x, y);
    p.fillRect(QRectF(a, QSizeF(width_ * ratio_, width_ * ratio_)), qcolor(c));
    cx_ = x;
    cy_ = y;
    touched();
}

void ImageSurface::setFontSize(float points) { fontSize_ = points; }

void ImageSurface::print(const std::string& utf8) {
    QPainter& p = painter();
    QFont f(QString::fromUtf8(kSurfaceFont));
    // Points at 96 dpi, in device pixels.
    f.setPixelSize(std::max(1, static_cast<int>(std::lround(fontSize_ * 96.0 / 72.0 * ratio_))));
    p.setFont(f);
    p.setPen(qcolor(fore_));
    const QFontMetricsF m(f);
    const QPointF a = at(cx_, cy_);
    p.drawText(QPointF(a.x(), a.y() + m.ascent()), QString::fromUtf8(utf8));
    touched();
}

}  // namespace tobrak::qt
