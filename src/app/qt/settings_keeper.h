#pragma once
// Connects the window program to its settings: what was kept is put back at
// start, and each change is written as it happens.
#include <QObject>
#include <QString>
#include <functional>
#include <memory>

#include "app/qt/settings.h"
#include "session/session.h"

class QMenu;

namespace tobrak {
class Dialogs;
}

namespace tobrak::qt {

class TobrakApp;

class SettingsKeeper final : public QObject, public SessionListener {
public:
    // Before `app.start()`: the windows' places, the profile and the dialogs' folders.
    SettingsKeeper(TobrakApp& app, Settings& settings);
    ~SettingsKeeper() override;
    // After `app.start()`: the expected-value line and the zoom, which opens its window.
    void restoreAfterStart();

    Settings& settings() { return settings_; }
    // Opens a recent file as the file menu does; false when it was not opened.
    bool openRecent(const QString& path);
    // "最近使ったファイル" at the end of the file menu.
    QMenu* recentMenu() const { return recent_; }

protected:
    bool eventFilter(QObject* o, QEvent* e) override;
    void recordReplaced() override { replaced_ = true; }

private:
    class Remembering;
    void afterFileCommand(bool save);
    void fillRecentMenu();
    void addRecent(const QString& path);

    TobrakApp& app_;
    Settings& settings_;
    std::unique_ptr<Remembering> dialogs_;
    Dialogs* inner_;
    bool replaced_ = false;
    QMenu* recent_ = nullptr;
};

}  // namespace tobrak::qt
