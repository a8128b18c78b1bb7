// The window's live view: the analysis menu's check item starts it on every
// address with a token and shows the address with its QR code; the token and
// whether it serves are kept for the next run, so that an open page finds the
// program again.
#include <gtest/gtest.h>

#include <QFileInfo>
#include <QLabel>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include "app/menu.h"
#include "app/qt/live_window.h"
#include "app/qt/settings.h"
#include "app/qt/tobrak_app.h"
#include "platform/headless/memory_ui.h"

namespace tobrak::qt {
namespace {

TEST(LiveWindow, CheckItemServesWithAKeptTokenAndServesAgainAfterARestart) {
    QTemporaryDir dir;
    // Anything written to Qt's default settings would land here.
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.filePath("default"));
    Settings settings(dir.filePath("tobrak.ini"));
    headless::ScriptedDialogs dialogs;
    TobrakApp app(nullptr, &dialogs);
    app.start();
    QAction* item = app.main->menus().find("menLive")->action();
    const QRegularExpression address(QStringLiteral("^http://[0-9.]+:[0-9]+/\\?token=([0-9a-f]{32})$"));
    auto tokenOf = [&](const LiveViewWindow& live) { return address.match(live.phoneUrl()).captured(1); };
    QString token;
    {
        LiveViewWindow live(app.program, app.main.get(), &settings);
        item->trigger();
        ASSERT_TRUE(live.running());
        EXPECT_TRUE(live.isVisible());
        EXPECT_TRUE(item->isChecked());
        token = tokenOf(live);
        ASSERT_FALSE(token.isEmpty()) << live.phoneUrl().toStdString();
        bool qr = false;
        for (QLabel* l : live.findChildren<QLabel*>()) qr = qr || l->pixmap().width() >= 100;
        EXPECT_TRUE(qr);
    }  // the program ends while serving
    {
        LiveViewWindow live(app.program, app.main.get(), &settings);
        live.resume();
        showLiveState(app.program);
        ASSERT_TRUE(live.running());
        EXPECT_FALSE(live.isVisible());  // serving quietly, as the check mark shows
        EXPECT_TRUE(item->isChecked());
        EXPECT_EQ(tokenOf(live), token);  // an open page finds the program again
        item->trigger();
        EXPECT_FALSE(live.running());
        EXPECT_FALSE(item->isChecked());
    }
    {
        LiveViewWindow live(app.program, app.main.get(), &settings);
        live.resume();
        EXPECT_FALSE(live.running());  // stopped by the player: stays stopped
    }
    EXPECT_EQ(QSettings(dir.filePath("tobrak.ini"), QSettings::IniFormat).value("live/token").toString(), token);
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("default"))) << "written beside the program's settings";
}

TEST(LiveWindow, ASecondLiveViewTellsThatTheUsualPortIsTaken) {
    QTemporaryDir settings;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
    headless::ScriptedDialogs dialogs;
    TobrakApp app(nullptr, &dialogs);
    app.start();
    // Whoever has the usual port (another copy of the program, here a server of our own).
    live::LiveHub other;
    live::LiveServer holder(other, "t");
    holder.start({"0.0.0.0", 8765});
    LiveViewWindow live(app.program, app.main.get(), nullptr);
    live.showLiveView();
    ASSERT_TRUE(live.running());
    EXPECT_FALSE(live.phoneUrl().contains(QStringLiteral(":8765/"))) << live.phoneUrl().toStdString();
    bool told = false;
    for (QLabel* l : live.findChildren<QLabel*>())
        told = told || l->text().contains(QStringLiteral("8765は他のプログラムが使用中"));
    EXPECT_TRUE(told);
}

}  // namespace
}  // namespace tobrak::qt
