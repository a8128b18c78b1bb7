#include "platform/qt/image_surface.h"

#include <QFontMetricsF>
#include <algorithm>
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
    cullFor();
}

void ImageSurface::setDrawWidth(int px) {
    width_ = px < 1 ? 1 : px;
    cullFor();
}

void ImageSurface::cullFor() {
    // Beyond an edge by more than the pen once rounded to pixels; in twips, half a
    // pixel and a margin further.
    cull_.w = img_.width();
    cull_.h = img_.height();
    // The margin of a twip also covers rounding the bounds to float.
    const double near = -kTwipsPerPixel * (width_ + 0.5) - 1.0;
    showOnly(static_cast<float>(near), static_cast<float>(near),
             static_cast<float>(kTwipsPerPixel * (cull_.w / ratio_ + width_ + 0.5) + 1.0),
             static_cast<float>(kTwipsPerPixel * (cull_.h / ratio_ + width_ + 0.5) + 1.0));
}

void ImageSurface::resize(QSize logicalSize, qreal pixelRatio) {
    if (logicalSize.expandedTo({1, 1}) == logical_ && pixelRatio == ratio_) return;
    endPainter();
    const QImage old = img_;
    makeImage(logicalSize, pixelRatio);
    QPainter keep(&img_);
    keep.drawImage(QPointF(0, 0), old);
    touched();
}

const QImage& ImageSurface::image() {
    endPainter();  // finish drawing before the picture is shown or saved
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

void ImageSurface::endPainter() {
    flush();
    p_.reset();
    penSet_ = fontSet_ = false;
}

namespace {
enum Direction { Down = 1, Up = 2, Right = 4, Left = 8 };
}  // namespace

inline int ImageSurface::reverse(int dir) { return dir == Down ? Up : dir == Up ? Down : dir == Right ? Left : Right; }

inline int ImageSurface::batchDirection(QPointF a, QPointF b) const {
    // Only thin lines on whole pixels (drawn line by line, as from a path), and
    // only where Qt cuts nothing off them, or cuts them along their own axis: then
    // the direction Qt sees is the one seen here. 0: the line is drawn alone.
    if (width_ != 1 || ratio_ != 1.0) return 0;
    const qreal dx = b.x() - a.x(), dy = b.y() - a.y();
    const bool inside = a.x() >= 0 && a.y() >= 0 && b.x() >= 0 && b.y() >= 0 && a.x() < cull_.w && b.x() < cull_.w &&
                        a.y() < cull_.h && b.y() < cull_.h;
    if (!inside && dx != 0 && dy != 0) return 0;
    if (std::abs(dx) < std::abs(dy)) return dy > 0 ? Down : Up;
    return dx > 0 ? Right : Left;
}

void ImageSurface::flush() {
    batchDirs_ = 0;
    if (!lines_.empty()) p_->drawLines(lines_.data(), static_cast<int>(lines_.size()));
    if (!dots_.empty()) p_->drawPoints(dots_.data(), static_cast<int>(dots_.size()));
    lines_.clear();
    dots_.clear();
}

void ImageSurface::usePen(QPainter& p, Rgb c, qreal width, Qt::PenCapStyle cap) {
    if (penSet_ && c == penColour_ && width == penWidth_ && cap == penCap_) return;
    QPen pen(qcolor(c));
    pen.setWidthF(width);
    pen.setCapStyle(cap);
    p.setPen(pen);
    penSet_ = true;
    penColour_ = c;
    penWidth_ = width;
    penCap_ = cap;
}

void ImageSurface::fontFor(int pixelSize) {
    if (pixelSize == fontPixels_) return;
    fontPixels_ = pixelSize;
    font_ = QFont(QString::fromUtf8(kSurfaceFont));
    font_.setPixelSize(pixelSize);
    const QFontMetricsF m(font_);
    // Generous: a glyph from a fallback font may be wider than this font's widest.
    charReach_ = std::max<qreal>(m.maxWidth(), 2.0 * pixelSize);
    lineReach_ = m.height() + pixelSize;
    fontSet_ = false;
}

void ImageSurface::useFont(QPainter& p) {
    if (fontSet_) return;
    p.setFont(font_);
    fontSet_ = true;
}

void ImageSurface::touched() {
    if (dirty_) return;
    dirty_ = true;
    if (changed) changed();
}

QPointF ImageSurface::at(float x, float y) const {
    // Whole pixels, as the twips would land on the screen, times the ratio.
    return QPointF(pixelOfTwips(x) * ratio_, pixelOfTwips(y) * ratio_);
}

void ImageSurface::cls() {
    // What still waits would be painted over: it is dropped.
    lines_.clear();
    dots_.clear();
    batchDirs_ = 0;
    endPainter();
    followSize();
    img_.fill(qcolor(back_));
    touched();
}

void ImageSurface::drawLine(float x1, float y1, float x2, float y2, Rgb c) {
    // Lines wholly outside the picture were mostly turned away on the twips; the
    // rest are decided here, once rounded.
    if (!p_) followSize();
    const QPointF a = at(x1, y1), b = at(x2, y2);
    const qreal pad = width_ * ratio_;
    const qreal w = cull_.w, h = cull_.h;
    if ((a.x() < -pad && b.x() < -pad) || (a.x() > w + pad && b.x() > w + pad) || (a.y() < -pad && b.y() < -pad) ||
        (a.y() > h + pad && b.y() > h + pad))
        return;
    QPainter& p = painter();
    const Qt::PenCapStyle cap = width_ > 1 ? Qt::SquareCap : Qt::FlatCap;
    if (!penSet_ || c != penColour_ || pad != penWidth_ || cap != penCap_) {
        flush();
        usePen(p, c, pad, cap);
    }
    if (a == b) {
        dots_.push_back(a);
    } else if (const int dir = batchDirection(a, b)) {
        // Qt's thin-line drawing remembers the direction of the last line of a
        // call, and a line in the reverse direction right after it starts a
        // pixel early: such a line waits for the next call.
        if (batchDirs_ & reverse(dir)) flush();
        batchDirs_ |= dir;
        lines_.emplace_back(a, b);
    } else {
        flush();
        p.drawLine(a, b);
    }
    touched();
}

void ImageSurface::box(float x1, float y1, float x2, float y2, Rgb outline, bool filled) {
    QPainter& p = painter();
    flush();
    const QRectF r = QRectF(at(x1, y1), at(x2, y2)).normalized();
    if (filled) p.fillRect(r, qcolor(fill_));
    usePen(p, outline, width_ * ratio_, Qt::SquareCap);
    p.setBrush(Qt::NoBrush);
    p.drawRect(r.adjusted(0, 0, -ratio_, -ratio_));
    setCurrentXY(x2, y2);
    touched();
}

void ImageSurface::pset(float x, float y, Rgb c) {
    QPainter& p = painter();
    flush();
    const QPointF a = at(x, y);
    p.fillRect(QRectF(a, QSizeF(width_ * ratio_, width_ * ratio_)), qcolor(c));
    setCurrentXY(x, y);
    touched();
}

void ImageSurface::setFontSize(float points) { fontSize_ = points; }

const QStaticText& ImageSurface::laidOut(const std::string& utf8) {
    // A redraw writes the same axis labels and a handful of numbers again and
    // again; laying a text out costs more than drawing it.
    auto& texts = texts_[fontPixels_];
    if (texts.size() > 4096) texts.clear();
    auto it = texts.find(utf8);
    if (it == texts.end()) {
        it = texts.try_emplace(utf8).first;
        it->second.setText(QString::fromUtf8(utf8));
        it->second.setTextFormat(Qt::PlainText);
    }
    return it->second;
}

void ImageSurface::print(const std::string& utf8) {
    if (!p_) followSize();
    // Points at 96 dpi, in device pixels.
    fontFor(std::max(1, static_cast<int>(std::lround(fontSize_ * 96.0 / 72.0 * ratio_))));
    const QPointF a = at(currentX(), currentY());
    // A text that cannot reach the picture changes nothing: skip it (the labels of
    // the whole axis and the marks of the whole record are written, a screenful shows).
    // Its UTF-8 length is at least its number of characters.
    const qreal pad = fontPixels_;
    if (a.x() - pad > img_.width() || a.x() + pad + static_cast<qreal>(utf8.size()) * charReach_ < 0 ||
        a.y() - pad > img_.height() || a.y() + lineReach_ < 0)
        return;
    QPainter& p = painter();
    flush();
    useFont(p);
    usePen(p, fore_, 1.0, Qt::SquareCap);
    p.drawStaticText(a, laidOut(utf8));
    touched();
}

}  // namespace tobrak::qt
