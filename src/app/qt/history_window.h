#pragma once
// The bonus history and setting estimate window: probability lines, the table of
// bonuses, the profile choice with its refresh button, the posterior chart, the
// estimate's lines and a line for each manual counter used. Closing it only hides it.
#include <QScrollArea>
#include <QWidget>
#include <memory>
#include <vector>

#include "app/program.h"
#include "app/qt/side_window.h"
#include "platform/qt/qt_controls.h"
#include "platform/qt/surface_widget.h"

namespace tobrak::qt {

class CounterLines;

class HistoryWindow final : public SideWindow {
public:
    HistoryWindow(Program& core, QWidget* mainWindow);
    ~HistoryWindow() override;
    void attach(HistoryView& h);
    void setVisible(bool v) override;

    // What the window shows, as designed (the view scale sizes it); the window
    // scrolls it where the screen is lower than it.
    QWidget* content() const { return content_; }
    // The window as large as its content, within the screen's available height.
    void fitToScreen();

    QTableWidget* table() const { return table_->widget(); }
    QComboBox* profileBox() const { return profileBox_; }
    SurfaceWidget* bars() const { return bars_; }

private:
    QtLabel* label(int l, int t, int w, int h, const std::string& text = "");
    Program& core_;
    QScrollArea* scroll_;
    QWidget* content_;
    LabelSet labels_;
    QtLabel *probAll_, *probNormal_, *payout_, *used_, *reliability_;
    std::unique_ptr<CounterLines> counterEffects_;
    std::unique_ptr<QtTable> table_;
    QComboBox* profileBox_;
    std::unique_ptr<QtCombo> profile_;
    SurfaceWidget* bars_;
};

}  // namespace tobrak::qt
