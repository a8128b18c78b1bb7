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
    surface_.sizeSource = [this] { return std::pair{size(), devicePixelRatioF()}; };
}

void SurfaceWidget::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawImage(QPointF(0, 0), surface_.image());
}

void SurfaceWidget::resizeEvent(QResizeEvent*) { surface_.resize(size(), devicePixelRatioF()); }

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
    mouse(kind, button, shift, static_cast<float>(p.x() * kTwipsPerPixel), static_cast<float>(p.y() * kTwipsPerPixel));
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
