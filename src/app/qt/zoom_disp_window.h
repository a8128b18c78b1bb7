#pragma once
// The zoom window: a resizable top-level window around its graph surface.
#include <QWidget>

#include "app/program.h"
#include "app/qt/side_window.h"
#include "platform/qt/qt_controls.h"
#include "platform/qt/surface_widget.h"

namespace tobrak::qt {

class ZoomDispWindow final : public SideWindow {
public:
    ZoomDispWindow(Program& core, QWidget* mainWindow);
    void attach(Platform& p);
    void setLoaded() { loaded_ = true; }
    // The window is designed by its outer size with a border of 110 twips across and
    // 500 down (frame and caption); its surface fills what is inside. The border is
    // taken as designed, whatever the window manager draws, so the surface always
    // fills the client area and the frame on the graph covers exactly what it shows.
    int outerWidth() const override { return clientWidth() + kBorderW; }
    int outerHeight() const override { return clientHeight() + kBorderH; }
    void setOuterHeight(int t) override;
    static constexpr int kBorderW = 110, kBorderH = 500;

    SurfaceWidget* surface() const { return surface_; }

protected:
    void resizeEvent(QResizeEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    Program& core_;
    SurfaceWidget* surface_;
    QtBox surfaceBox_;
    bool loaded_ = false;
};

}  // namespace tobrak::qt
