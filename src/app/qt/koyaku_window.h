#pragma once
// The acquisition window: hidden, it carries the poll and blink timers; shown,
// it is the small-win table. Closing it only hides it: the timers go on.
#include <QWidget>
#include <memory>
#include <vector>

#include "app/program.h"
#include "app/qt/side_window.h"
#include "platform/qt/qt_controls.h"

namespace tobrak::qt {

class KoyakuWindow final : public SideWindow {
public:
    explicit KoyakuWindow(QWidget* mainWindow);
    void attach(Platform& p);

private:
    QtLabel* box(int l, int t, int w, int h, Rgb back, Qt::Alignment align, const std::string& text);
    LabelSet labels_;
    std::array<QtLabel*, 16> text2_{}, text4_{};
};

}  // namespace tobrak::qt
