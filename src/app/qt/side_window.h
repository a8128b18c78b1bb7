#pragma once
// A top-level window beside the main one (the zoom window, the small-win table,
// the bonus history): the form the logic sees, in twips, and its first opening
// placed right of the main window rather than over it.
#include <QWidget>
#include <string>

#include "platform/controls.h"
#include "platform/qt/twips.h"

namespace tobrak::qt {

class SideWindow : public QWidget, public FormWindow {
public:
    explicit SideWindow(QWidget* mainWindow) : main_(mainWindow) {}

    int clientWidth() const override { return twips(width()); }
    int clientHeight() const override { return twips(height()); }
    bool minimized() const override { return isMinimized(); }
    int outerHeight() const override { return twips(frameGeometry().height()); }
    int outerWidth() const override { return twips(frameGeometry().width()); }
    // A fixed-size window keeps its height.
    void setOuterHeight(int) override {}
    void setTitle(const std::string& s) override { setWindowTitle(QString::fromStdString(s)); }
    std::string title() const override { return windowTitle().toStdString(); }
    void setVisible(bool v) override {
        if (v && !placed_ && main_) {
            placed_ = true;
            const QRect m = main_->frameGeometry();
            move(m.right() + 8, m.top());
        }
        QWidget::setVisible(v);
    }
    bool visible() const override { return isVisible(); }

protected:
    QWidget* mainWindow() const { return main_; }

private:
    QWidget* main_;
    bool placed_ = false;
};

}  // namespace tobrak::qt
