#pragma once
// A widget that shows an ImageSurface. Nothing is drawn in its paint event: it
// only shows what the logic has drawn, so covering and uncovering loses nothing.
#include <QWidget>

#include "platform/qt/image_surface.h"

namespace tobrak::qt {

class SurfaceWidget final : public QWidget {
public:
    SurfaceWidget(QWidget* parent, Rgb background);
    ImageSurface& surface() { return surface_; }

protected:
    void paintEvent(QPaintEvent*) override;
    void resizeEvent(QResizeEvent*) override;

private:
    ImageSurface surface_;
};

}  // namespace tobrak::qt
