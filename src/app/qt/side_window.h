#pragma once
// A top-level window beside the main one (the zoom window, the small-win table,
// the bonus history): the form the logic sees, in twips, and its first opening
// placed on the screen beside the main window rather than over it.
#include <QPoint>
#include <QRect>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <optional>
#include <string>
#include <vector>

#include "platform/controls.h"
#include "platform/qt/twips.h"

namespace tobrak::qt {

// Where a window whose frame is `frame` opens: inside `avail` (the screen's
// available area), over none of the `taken` frames, beside (or above, below)
// `main` as near to it and to its top as there is room, on its roomier side first.
// Without room it lies over the far end of the main window, clear of the parts
// in `keepClear` (its menu bar first, then its panel); without that, cascaded.
QRect placeBeside(const QRect& main, QSize frame, const QRect& avail, const std::vector<QRect>& taken,
                  const std::vector<QRect>& keepClear = {});

// `r` moved into `avail` as far as it fits (its top left first when it does not).
QRect clampInto(QRect r, const QRect& avail);
// Moves a shown window that reaches off its screen back onto it (after it grew).
void keepOnItsScreen(QWidget* w);

// Where `w` opens beside `main`, clear of the other windows shown.
QPoint placeBesideMainWindow(const QWidget* w, const QWidget* main);

// Whether a window's frame at `frame` can be seen and moved: its top left and
// centre on the available area of a screen now.
bool onAScreen(const QRect& frame);

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
        const bool first = v && !placed_ && main_;
        if (first) {
            placed_ = true;
            move(firstPlace());
            // Kept above the main window by the window manager: never lost behind it.
            if (winId() && windowHandle() && main_->windowHandle())
                windowHandle()->setTransientParent(main_->windowHandle());
        }
        QWidget::setVisible(v);
        // Its frame was guessed; once the window manager has drawn it, it is known.
        if (first) QTimer::singleShot(kFramedMs, this, [this] { keepOnItsScreen(this); });
    }
    bool visible() const override { return isVisible(); }

    static constexpr int kFramedMs = 300;
    // The frame's top left of an earlier run; used when it is on a screen now.
    std::optional<QPoint> remembered;
    // Shown over the main window (it grew): beside it again, where there is room.
    void moveOffTheMainWindow() {
        if (!isVisible() || !main_ || !frameGeometry().intersects(main_->frameGeometry())) return;
        move(freePlace());
        raise();
    }

protected:
    QWidget* mainWindow() const { return main_; }

private:
    QPoint firstPlace() const;
    QPoint freePlace() const;
    QWidget* main_;
    bool placed_ = false;
};

}  // namespace tobrak::qt
