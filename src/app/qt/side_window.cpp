#include "app/qt/side_window.h"

#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>
#include <QScreen>
#include <algorithm>
#include <cstdlib>
#include <optional>

#include "graph/geometry.h"

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

// The distance between two rectangles along each axis (0 where they overlap).
int gapBetween(const QRect& a, const QRect& b) {
    const int dx = std::max({0, b.left() - a.right() - 1, a.left() - b.right() - 1});
    const int dy = std::max({0, b.top() - a.bottom() - 1, a.top() - b.bottom() - 1});
    return dx + dy;
}

// The best of the places of `frame` whose edges meet the edges of `around`, of the
// other windows and of `area`, lying inside `area` and over none of `avoid`; the
// smaller `cost`, the better.
template <class Cost>
std::optional<QRect> bestPlace(QSize frame, const QRect& area, const QRect& around, const std::vector<QRect>& avoid,
                               const std::vector<QRect>& taken, Cost cost) {
    std::vector<int> xs{area.left(),
                        area.right() + 1 - frame.width(),
                        around.right() + 1 + kGap,
                        around.left() - kGap - frame.width(),
                        around.left(),
                        around.right() + 1 - frame.width()};
    std::vector<int> ys{area.top(), area.bottom() + 1 - frame.height(), around.top(), around.bottom() + 1 + kGap,
                        around.top() - kGap - frame.height()};
    for (const auto* rects : {&taken, &avoid})
        for (const QRect& t : *rects) {
            xs.insert(xs.end(), {t.right() + 1 + kGap, t.left() - kGap - frame.width(), t.left()});
            ys.insert(ys.end(), {t.bottom() + 1 + kGap, t.top() - kGap - frame.height(), t.top()});
        }
    std::optional<QRect> best;
    long bestCost = 0;
    for (int x : xs)
        for (int y : ys) {
            const QRect r(QPoint(x, y), frame);
            if (!area.contains(r) || coversAny(r, avoid) || coversAny(r, taken)) continue;
            const long c = cost(r);
            if (!best || c < bestCost) {
                best = r;
                bestCost = c;
            }
        }
    return best;
}
}  // namespace

QRect placeBeside(const QRect& main, QSize frame, const QRect& avail, const std::vector<QRect>& taken,
                  const std::vector<QRect>& keepClear) {
    const bool rightFirst = avail.right() - main.right() >= main.left() - avail.left();
    // Beside, above or below the main window, as near to it as there is room, and as high
    // (the column down each side then holds the most); on its roomier side when both are as near.
    auto near = [&](const QRect& r) {
        const bool right = r.left() > main.right();
        return 4L * gapBetween(r, main) + (r.top() - avail.top()) + (right == rightFirst ? 0 : 1);
    };
    if (auto r = bestPlace(frame, avail, main, {main}, taken, near)) return *r;
    // No room beside: over the far end of the graph, clear of the menu bar and the panel.
    const int below = keepClear.empty() ? main.top() : keepClear.front().bottom() + 1;
    auto overTheGraph = [&](const QRect& r) {
        return 4L * std::abs(r.right() - main.right()) + std::abs(r.top() - below);
    };
    if (auto r = bestPlace(frame, avail, main, keepClear, taken, overTheGraph)) return *r;
    // Not even there: over another side window rather than over the menus or the panel.
    if (auto r = bestPlace(frame, avail, main, keepClear, {}, overTheGraph)) return *r;
    // Every place covers another: cascaded from the main window's far corner.
    QRect r = clampInto(QRect(QPoint(main.right() + 1 - frame.width(), below), frame), avail);
    for (int i = 1; i < 16 && coversAny(r, taken); ++i) r = clampInto(r.translated(-4 * kGap, 4 * kGap), avail);
    return r;
}

bool onAScreen(const QRect& frame) {
    return std::ranges::any_of(QGuiApplication::screens(), [&](const QScreen* s) {
        return s->availableGeometry().contains(frame.topLeft()) && s->availableGeometry().contains(frame.center());
    });
}

namespace {
// The parts of the main window a side window never covers: the title and menu bar
// (first), and the statistics panel down its left side.
std::vector<QRect> clearOf(const QWidget* main) {
    const QRect frame = main->frameGeometry();
    const auto* window = qobject_cast<const QMainWindow*>(main);
    const QWidget* bar = window ? window->menuBar() : nullptr;
    const int barBottom = bar ? bar->mapToGlobal(QPoint(0, bar->height())).y() - 1 : main->geometry().top() - 1;
    const int panelRight = main->geometry().left() + px(con_P2left) - 1;
    return {QRect(frame.topLeft(), QPoint(frame.right(), barBottom)),
            QRect(frame.topLeft(), QPoint(panelRight, frame.bottom()))};
}

}  // namespace

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
            (other->windowType() == Qt::Window || other->windowType() == Qt::Dialog)) {
            // Shown a moment ago, its frame may not be known yet: the main window's taken.
            const QRect f = other->frameGeometry();
            taken.push_back(f == other->geometry() ? QRect(f.topLeft(), f.size().grownBy(border)) : f);
        }
    return placeBeside(mainFrame, frame, avail, taken, clearOf(main)).topLeft();
}

QPoint SideWindow::firstPlace() const {
    const QRect mainFrame = main_->frameGeometry();
    // Before its first showing a window has no frame yet: the main window's is taken.
    const QMargins border(main_->geometry().left() - mainFrame.left(), main_->geometry().top() - mainFrame.top(),
                          mainFrame.right() - main_->geometry().right(),
                          mainFrame.bottom() - main_->geometry().bottom());
    const QSize frame = size().grownBy(border);
    // A place of an earlier run, when it is on a screen and leaves the menus and the
    // panel free (the main window may be larger now, at another view scale).
    if (remembered && onAScreen(QRect(*remembered, frame)) && !coversAny(QRect(*remembered, frame), clearOf(main_)))
        return *remembered;
    return freePlace();
}

QPoint SideWindow::freePlace() const { return placeBesideMainWindow(this, main_); }

}  // namespace tobrak::qt
