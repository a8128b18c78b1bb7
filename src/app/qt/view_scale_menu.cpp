#include "app/qt/view_scale_menu.h"

#include <QActionGroup>
#include <QMenuBar>
#include <QTimer>
#include <algorithm>
#include <iterator>

#include "analysis/history_view.h"
#include "app/qt/settings.h"
#include "app/qt/side_window.h"
#include "app/qt/tobrak_app.h"
#include "graph/geometry.h"
#include "graph/slump_graph.h"
#include "platform/qt/twips.h"
#include "platform/qt/view_scale.h"

namespace tobrak::qt {

ViewScaleMenu::ViewScaleMenu(TobrakApp& app, Settings* settings)
    : app_(app), settings_(settings), menu_(app.main->menuBar()->addMenu(QStringLiteral("表示倍率"))) {
    auto* group = new QActionGroup(menu_);
    for (int p : Settings::kViewScales) {
        QAction* a = menu_->addAction(QStringLiteral("%1 %").arg(p));
        a->setCheckable(true);
        a->setChecked(p == 100);
        a->setData(p);
        if (p == 100) a->setShortcut(Qt::CTRL | Qt::Key_0);
        group->addAction(a);
        connect(a, &QAction::triggered, this, [this, p] { setPercent(p); });
    }
    menu_->addSeparator();
    QAction* larger = menu_->addAction(QStringLiteral("拡大"));
    // Ctrl++ is Ctrl+= on keyboards where + needs the shift key.
    larger->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal)});
    connect(larger, &QAction::triggered, this, [this] { step(1); });
    QAction* smaller = menu_->addAction(QStringLiteral("縮小"));
    smaller->setShortcut(Qt::CTRL | Qt::Key_Minus);
    connect(smaller, &QAction::triggered, this, [this] { step(-1); });
    for (QAction* a : menu_->actions()) a->setShortcutContext(Qt::ApplicationShortcut);
    if (settings_) setPercent(settings_->viewScale());
}

void ViewScaleMenu::step(int by) {
    const auto& all = Settings::kViewScales;
    const auto at = std::ranges::find(all, percent_) - std::begin(all);
    setPercent(all[std::clamp<std::ptrdiff_t>(at + by, 0, std::size(all) - 1)]);
}

void ViewScaleMenu::setPercent(int percent) {
    for (QAction* a : menu_->actions())
        if (a->data().isValid()) a->setChecked(a->data().toInt() == percent);
    if (percent == percent_) return;
    percent_ = percent;
    const std::vector<QWidget*> windows{app_.main.get(), app_.zoom.get(), app_.rs232.get(), app_.history->content()};
    setViewScale(percent / 100.0, windows);
    app_.history->fitToScreen();
    // The client area as tall as the panel again, once the menu bar has taken
    // the new font (it did not grow in step).
    QTimer::singleShot(0, this, [this] {
        FileDispWindow& m = *app_.main;
        const int bar = std::max(m.menuBar()->heightForWidth(m.width()), m.menuBar()->sizeHint().height());
        m.keepToTheGraphsHeight();
        m.resize(m.width(), px(kPanelHeight) + bar);
        for (QWidget* w : {static_cast<QWidget*>(app_.main.get()), static_cast<QWidget*>(app_.zoom.get()),
                           static_cast<QWidget*>(app_.rs232.get()), static_cast<QWidget*>(app_.history.get())})
            keepOnItsScreen(w);
        for (SideWindow* w : {static_cast<SideWindow*>(app_.zoom.get()), static_cast<SideWindow*>(app_.rs232.get()),
                              static_cast<SideWindow*>(app_.history.get())})
            w->moveOffTheMainWindow();
    });
    // Pictures that no resize draws again: the y-axis labels and the history's bars.
    app_.program.ui.Picture3->cls();
    MekakusiChr(*app_.program.ui.Picture3, 1.0f, Ghp_Left, 30);
    if (app_.history->isVisible()) app_.program.history.HistoryDisp();
    if (settings_) settings_->setViewScale(percent);
}

}  // namespace tobrak::qt
