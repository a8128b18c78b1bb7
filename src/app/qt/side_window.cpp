#include "app/qt/side_window.h"

#include <QApplication>
#include <QScreen>
#include <algorithm>
#include <optional>

namespace tobrak::qt {

QRect clampInto(QRect r, const QRect& avail) {
    r.moveLeft(std::max(avail.left(), std::min(r.left(), avail.right() + 1 - r.width())));
    r.moveTop(std::max(avail.top(), std::min(r.top(), avail.bottom() + 1 - r.height())));
    return r;
}

void keepOnItsScreen(QWidget* w) {
    if (!w->isVisible() || !w->screen() || w->isMaximized()) return;
    const QRect frame = w->frameGeometry();
    const QRect in = clampInto(frame, w->screen()->availableGeometry());
    if (in != frame) w->move(w->pos() + (in.topLeft() - frame.topLeft()));
}

namespace {
constexpr int kGap = 8;

bool coversAny(const QRect& r, const std::vector<QRect>& taken) {
    return std::ranges::any_of(taken, [&](const QRect& t) { return t.intersects(r); });
}
}  // namespace

// The first place down a column starting at `r` that covers none of `taken`.
std::optional<QRect> downColumn(QRect r, const QRect& avail, const std::vector<QRect>& taken) {
    for (bool moved = true; moved;) {
        moved = false;
        for (const QRect& t : taken)
            if (t.intersects(r)) {
                r.moveTop(t.bottom() + 1 + kGap);
                moved = true;
            }
    }
    return r.bottom() <= avail.bottom() ? std::optional<QRect>(r) : std::nullopt;
}

QRect placeBeside(const QRect& main, QSize frame, const QRect& avail, const std::vector<QRect>& taken) {
    const int roomRight = avail.right() - main.right() - kGap;
    const int roomLeft = main.left() - avail.left() - kGap;
    const bool rightFirst = roomRight >= roomLeft;
    for (bool right : {rightFirst, !rightFirst}) {
        if ((right ? roomRight : roomLeft) < frame.width()) continue;
        const QRect r(QPoint(right ? main.right() + 1 + kGap : main.left() - kGap - frame.width(), main.top()), frame);
        if (auto free = downColumn(clampInto(r, avail), avail, taken)) return *free;
    }
    // No room beside: over the main window from its roomier edge inwards, column by column.
    const int step = (frame.width() + kGap) * (rightFirst ? -1 : 1);
    QRect r = clampInto(QRect(QPoint(rightFirst ? avail.right() + 1 - frame.width() : avail.left(), main.top()), frame),
                        avail);
    for (QRect column = r; avail.contains(column); column.translate(step, 0))
        if (auto free = downColumn(column, avail, taken)) return *free;
    // Every place covers another: cascaded from the first.
    for (int i = 1; i < 16 && coversAny(r, taken); ++i) r = clampInto(r.translated(-step / 8, 4 * kGap), avail);
    return r;
}

bool onAScreen(const QRect& frame) {
    return std::ranges::any_of(QGuiApplication::screens(), [&](const QScreen* s) {
        return s->availableGeometry().contains(frame.topLeft()) && s->availableGeometry().contains(frame.center());
    });
}

QPoint SideWindow::firstPlace() const {
    const QRect mainFrame = main_->frameGeometry();
    // Before its first showing a window has no frame yet: the main window's is taken.
    const QMargins border(main_->geometry().left() - mainFrame.left(), main_->geometry().top() - mainFrame.top(),
                          mainFrame.right() - main_->geometry().right(),
                          mainFrame.bottom() - main_->geometry().bottom());
    const QSize frame = size().grownBy(border);
    if (remembered && onAScreen(QRect(*remembered, frame))) return *remembered;
    return freePlace();
}

QPoint placeBesideMainWindow(const QWidget* w, const QWidget* main) {
    const QRect mainFrame = main->frameGeometry();
    const QMargins border(main->geometry().left() - mainFrame.left(), main->geometry().top() - mainFrame.top(),
                          mainFrame.right() - main->geometry().right(), mainFrame.bottom() - main->geometry().bottom());
    const QSize frame = w->size().grownBy(border);
    const QScreen* screen = main->screen();
    const QRect avail = screen ? screen->availableGeometry() : QRect(mainFrame.topLeft(), frame);
    std::vector<QRect> taken;
    for (const QWidget* other : QApplication::topLevelWidgets())
        if (other != w && other != main && other->isVisible() &&
            (other->windowType() == Qt::Window || other->windowType() == Qt::Dialog))
            taken.push_back(other->frameGeometry());
    return placeBeside(mainFrame, frame, avail, taken).topLeft();
}

QPoint SideWindow::freePlace() const { return placeBesideMainWindow(this, main_); }

}  // namespace tobrak::qt
