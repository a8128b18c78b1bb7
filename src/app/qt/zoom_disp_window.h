#pragma once
// The zoom window: a resizable top-level window around its graph surface.
#include <QWidget>

#include "app/core.h"
#include "app/qt/side_window.h"
#include "platform/qt/qt_controls.h"
#include "platform/qt/surface_widget.h"

namespace tobrak::qt {

class ZoomDispWindow final : public SideWindow {
public:
    ZoomDispWindow(Core& core, QWidget* mainWindow);
    void attach(Platform& p);
    void setLoaded() { loaded_ = true; }
    void setOuterHeight(int t) override;

    SurfaceWidget* surface() const { return surface_; }

protected:
    void resizeEvent(QResizeEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    Core& core_;
    SurfaceWidget* surface_;
    QtBox surfaceBox_;
    bool loaded_ = false;
};

}  // namespace tobrak::qt
