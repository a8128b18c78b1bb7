#pragma once
// The zoom window: a resizable top-level window around its graph surface.
#include <QWidget>

#include "app/core.h"
#include "platform/qt/qt_controls.h"
#include "platform/qt/surface_widget.h"

namespace tobrak::qt {

class ZoomDispWindow final : public QWidget, public FormWindow {
public:
    ZoomDispWindow(Core& core, QWidget* mainWindow);
    void attach(Platform& p);
    void setLoaded() { loaded_ = true; }

    int clientWidth() const override { return twips(width()); }
    int clientHeight() const override { return twips(height()); }
    bool minimized() const override { return isMinimized(); }
    int outerHeight() const override { return twips(frameGeometry().height()); }
    void setOuterHeight(int t) override;
    void setTitle(const std::string& s) override { setWindowTitle(QString::fromStdString(s)); }
    std::string title() const override { return windowTitle().toStdString(); }
    int outerWidth() const override { return twips(frameGeometry().width()); }
    void setVisible(bool v) override;
    bool visible() const override { return isVisible(); }

    SurfaceWidget* surface() const { return surface_; }

protected:
    void resizeEvent(QResizeEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    static int twips(int px);
    Core& core_;
    QWidget* main_;
    SurfaceWidget* surface_;
    QtBox surfaceBox_;
    bool loaded_ = false;
    bool placed_ = false;
};

}  // namespace tobrak::qt
