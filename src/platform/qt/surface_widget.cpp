#include "platform/qt/surface_widget.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include "platform/qt/twips.h"

namespace tobrak::qt {

SurfaceWidget::SurfaceWidget(QWidget* parent, Rgb background)
    : QWidget(parent), surface_(background, size(), devicePixelRatioF()) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    surface_.changed = [this] { update(); };
    surface_.sizeSource = [this] { return sizeForSurface(); };
}

// The logic draws at the designed size; the view scale enlarges the picture by
// its pixel ratio, so lines and texts are drawn sharp at the larger size.
std::pair<QSize, qreal> SurfaceWidget::sizeForSurface() const {
    const QSize designed(qCeil(width() / g_viewScale), qCeil(height() / g_viewScale));
    return {designed, devicePixelRatioF() * g_viewScale};
}

void SurfaceWidget::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QImage& img = surface_.image();
    p.drawImage(QRectF(QPointF(0, 0), QSizeF(img.size()) / devicePixelRatioF()), img);
}

void SurfaceWidget::resizeEvent(QResizeEvent*) {
    const auto [size, ratio] = sizeForSurface();
    surface_.resize(size, ratio);
}

void SurfaceWidget::send(MouseKind kind, QMouseEvent* e, Qt::MouseButtons buttons) {
    if (!mouse) return;
    int button = 0;
    if (buttons & Qt::LeftButton) button |= 1;
    if (buttons & Qt::RightButton) button |= 2;
    if (buttons & Qt::MiddleButton) button |= 4;
    int shift = 0;
    if (e->modifiers() & Qt::ShiftModifier) shift |= 1;
    if (e->modifiers() & Qt::ControlModifier) shift |= 2;
    if (e->modifiers() & Qt::AltModifier) shift |= 4;
    const QPointF p = e->position();
    const double k = kTwipsPerPixel / g_viewScale;
    mouse(kind, button, shift, static_cast<float>(p.x() * k), static_cast<float>(p.y() * k));
}

void SurfaceWidget::mousePressEvent(QMouseEvent* e) { send(MouseKind::Down, e, e->button()); }
void SurfaceWidget::mouseMoveEvent(QMouseEvent* e) { send(MouseKind::Move, e, e->buttons()); }
void SurfaceWidget::mouseReleaseEvent(QMouseEvent* e) { send(MouseKind::Up, e, e->button()); }

void SurfaceWidget::wheelEvent(QWheelEvent* e) {
    if (!wheel) return QWidget::wheelEvent(e);
    wheelRest_ += e->angleDelta().y();
    const int notches = wheelRest_ / QWheelEvent::DefaultDeltasPerStep;
    wheelRest_ -= notches * QWheelEvent::DefaultDeltasPerStep;
    if (notches != 0) wheel(notches);
    e->accept();
}

}  // namespace tobrak::qt
