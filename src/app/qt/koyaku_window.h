#pragma once
// The acquisition window: hidden, it carries the poll and blink timers; shown,
// it is the small-win table. Closing it only hides it: the timers go on.
#include <QWidget>
#include <memory>
#include <vector>

#include "app/core.h"
#include "platform/qt/qt_controls.h"

namespace tobrak::qt {

class KoyakuWindow final : public QWidget, public FormWindow {
public:
    explicit KoyakuWindow(QWidget* mainWindow);
    void attach(Platform& p);

    int clientWidth() const override;
    int clientHeight() const override;
    bool minimized() const override { return isMinimized(); }
    int outerHeight() const override;
    void setOuterHeight(int) override {}
    void setTitle(const std::string& s) override { setWindowTitle(QString::fromStdString(s)); }
    std::string title() const override { return windowTitle().toStdString(); }
    int outerWidth() const override;
    void setVisible(bool v) override;
    bool visible() const override { return isVisible(); }

private:
    QtLabel* box(int l, int t, int w, int h, Rgb back, Qt::Alignment align, const std::string& text);
    std::vector<std::unique_ptr<QtLabel>> labels_;
    std::array<QtLabel*, 16> text2_{}, text4_{};
    QWidget* main_;
    bool placed_ = false;
};

}  // namespace tobrak::qt
