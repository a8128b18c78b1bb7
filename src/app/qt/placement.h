#pragma once
#include <QWidget>

namespace tobrak::qt {

// The first time a side window opens it stands right of the main window, not over it.
inline void placeBeside(QWidget* w, const QWidget* main) {
    const QRect m = main->frameGeometry();
    w->move(m.right() + 8, m.top());
}

}  // namespace tobrak::qt
