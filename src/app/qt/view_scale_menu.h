#pragma once
// The 表示倍率 menu: 100 / 125 / 150 / 200 %, Ctrl++ / Ctrl+- one step, Ctrl+0 back.
#include <QObject>

class QMenu;

namespace tobrak::qt {

class TobrakApp;
class Settings;

class ViewScaleMenu final : public QObject {
public:
    // Takes the scale `settings` (may be null) kept, and keeps each new one there.
    ViewScaleMenu(TobrakApp& app, Settings* settings);
    void setPercent(int percent);  // one of Settings::kViewScales
    int percent() const { return percent_; }
    QMenu* menu() const { return menu_; }

private:
    void step(int by);
    TobrakApp& app_;
    Settings* settings_;
    QMenu* menu_;
    int percent_ = 100;
};

}  // namespace tobrak::qt
