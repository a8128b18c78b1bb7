// The window's live view: the analysis menu's item starts it on every address
// with a token, shows the address with its QR code, and keeps the token for the
// next run so that an open page finds the program again.
#include <gtest/gtest.h>

#include <QLabel>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include "app/qt/live_window.h"
#include "app/qt/tobrak_app.h"
#include "platform/headless/memory_ui.h"

namespace tobrak::qt {
namespace {

TEST(LiveWindow, MenuItemServesWithAKeptTokenAndShowsTheQrCode) {
    QTemporaryDir settings;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
    headless::ScriptedDialogs dialogs;
    TobrakApp app(nullptr, &dialogs);
    app.start();
    const QRegularExpression address(QStringLiteral("^http://[0-9.]+:[0-9]+/\\?token=([0-9a-f]{32})$"));
    QString token;
    for (int run = 0; run < 2; ++run) {
        LiveViewWindow live(app.program, app.main.get());
        app.main->menus().find("menLive")->action()->trigger();
        ASSERT_TRUE(live.running());
        EXPECT_TRUE(live.isVisible());
        const auto m = address.match(live.phoneUrl());
        ASSERT_TRUE(m.hasMatch()) << live.phoneUrl().toStdString();
        if (run == 0) token = m.captured(1);
        EXPECT_EQ(m.captured(1), token);  // the second run finds the first run's token
        bool qr = false;
        for (QLabel* l : live.findChildren<QLabel*>()) qr = qr || l->pixmap().width() >= 100;
        EXPECT_TRUE(qr);
    }
    EXPECT_EQ(QSettings().value(QStringLiteral("live/token")).toString(), token);
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
    LiveViewWindow live(app.program, app.main.get());
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
