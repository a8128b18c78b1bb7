#pragma once
// A widget that shows an ImageSurface. Nothing is drawn in its paint event: it
// only shows what the logic has drawn, so covering and uncovering loses nothing.
#include <QWidget>
#include <functional>

#include "platform/qt/image_surface.h"

namespace tobrak::qt {

class SurfaceWidget final : public QWidget {
public:
    SurfaceWidget(QWidget* parent, Rgb background);
    ImageSurface& surface() { return surface_; }

    enum class MouseKind { Down, Move, Up };
    // Mouse events in the logic's terms: buttons 1 left, 2 right, 4 middle (the
    // button that changed on Down and Up, those held on Move), shift 1 shift,
    // 2 ctrl, 4 alt, position in twips.
    std::function<void(MouseKind, int button, int shift, float x, float y)> mouse;
    // Whole wheel notches: positive away from the user.
    std::function<void(int notches)> wheel;

protected:
    void paintEvent(QPaintEvent*) override;
    void resizeEvent(QResizeEvent*) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;

private:
    std::pair<QSize, qreal> sizeForSurface() const;
    void send(MouseKind kind, QMouseEvent* e, Qt::MouseButtons buttons);
    ImageSurface surface_;
    int wheelRest_ = 0;  // a touchpad's part-notches, until they make a whole one
};

}  // namespace tobrak::qt
