#include "platform/qt/surface_widget.h"

#include <QPainter>

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

void SurfaceWidget::resizeEvent(QResizeEvent*) {
    surface_.resize(size(), devicePixelRatioF());
}

}  // namespace tobrak::qt
