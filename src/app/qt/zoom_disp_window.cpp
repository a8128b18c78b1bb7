#include "app/qt/zoom_disp_window.h"

#include <QCloseEvent>

#include "graph/zoom.h"
#include "platform/qt/twips.h"

namespace tobrak::qt {

ZoomDispWindow::ZoomDispWindow(Program& core, QWidget* mainWindow)
    : SideWindow(mainWindow), core_(core), surface_(new SurfaceWidget(this, 0x008000)), surfaceBox_(surface_) {
    setWindowTitle(QStringLiteral("　４倍拡大"));
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, qcolor(rgb::LightGreen));
    setPalette(p);
    // The zoom window never keeps the keyboard: it goes back to the main window.
    setAttribute(Qt::WA_ShowWithoutActivating);
    surface_->setFocusPolicy(Qt::NoFocus);
    resize(px(5310 - kBorderW), px(5700 - kBorderH));
    surface_->setGeometry(0, 0, width(), height());
}

void ZoomDispWindow::attach(Platform& p) {
    p.main.zoomForm = this;
    p.main.ZoomPicture1 = &surfaceBox_;
    p.Zoom = &surface_->surface();
}

void ZoomDispWindow::setOuterHeight(int t) { resize(width(), px(t - kBorderH)); }

void ZoomDispWindow::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    if (loaded_) core_.zoom.ZoomDisp_Form_Resize();
}

void ZoomDispWindow::closeEvent(QCloseEvent* e) {
    if (loaded_) core_.zoom.ZoomDisp_Form_QueryUnload();
    e->accept();
    if (mainWindow()) mainWindow()->activateWindow();
}

}  // namespace tobrak::qt
