#pragma once
// The hand counters' window (小役カウンター): each counter of the machine profile
// with its key, count and 1/x over the normal games, and buttons that count and
// take one back as the keys do. It follows the session; closing it only hides it.
#include <QGridLayout>
#include <QLabel>
#include <QWidget>
#include <vector>

#include "app/program.h"
#include "app/qt/side_window.h"

namespace tobrak::qt {

class CounterWindow final : public SideWindow, private SessionListener {
public:
    CounterWindow(Program& core, QWidget* mainWindow);
    ~CounterWindow() override;
    void setVisible(bool v) override;

    // The rows as shown: key, name, count, 1/x (for tests).
    std::vector<QStringList> shownRows() const;
    QLabel* note() const { return note_; }

private:
    void manualCounted(int) override { refresh(); }
    void gameClosed(std::int32_t) override { refresh(); }
    void recordReplaced() override { refresh(); }
    void refresh();

    Program& core_;
    QGridLayout* grid_;
    QLabel* normal_;
    QLabel* note_;
    std::vector<std::vector<QLabel*>> rows_;
    std::vector<QWidget*> rowWidgets_;
};

}  // namespace tobrak::qt
