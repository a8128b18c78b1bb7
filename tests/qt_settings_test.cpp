// What the window program keeps between runs, and where its side windows open.
#include <gtest/gtest.h>

#include <QAction>
#include <QFile>
#include <QHeaderView>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include "app/filedisp.h"
#include "app/qt/connect_menu.h"
#include "app/qt/settings.h"
#include "app/qt/settings_keeper.h"
#include "app/qt/tobrak_app.h"
#include "app/qt/view_scale_menu.h"
#include "boards/sim_board.h"
#include "platform/headless/memory_ui.h"
#include "platform/qt/image_surface.h"

namespace tobrak::qt {
namespace {

TEST(Settings, KeptAcrossRunsAndUnreadableValuesReadAsUnset) {
    QTemporaryDir dir;
    const QString file = dir.filePath("tobrak.ini");
    {
        Settings s(file);
        EXPECT_EQ(s.viewScale(), 100);
        EXPECT_FALSE(s.zoom());
        s.setBoard("serial:/dev/ttyUSB0,9600");
        s.setViewScale(150);
        s.setZoom(1);
        s.setPlace("zoom", {-10, 20});
        s.setFolder("open", "/data/スロット");
        for (int i = 0; i < 7; ++i) s.addRecentFile(QStringLiteral("/d/%1.slt").arg(i));
        s.addRecentFile("/d/4.slt");
    }
    Settings s(file);  // written as they changed: no sync at the end is needed
    EXPECT_EQ(s.board(), "serial:/dev/ttyUSB0,9600");
    EXPECT_EQ(s.viewScale(), 150);
    EXPECT_EQ(s.zoom(), 1);
    EXPECT_EQ(s.place("zoom"), QPoint(-10, 20));
    EXPECT_EQ(s.folder("open"), "/data/スロット");
    EXPECT_EQ(s.recentFiles(), (QStringList{"/d/4.slt", "/d/6.slt", "/d/5.slt", "/d/3.slt", "/d/2.slt"}));

    // A foreign file: values of other kinds and out of range.
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write("[General]\nviewScale=130\nzoom=7\nboard=a, b\nrecentFiles=@Invalid()\n[places]\nzoom=1\nmain=x,2\n");
    f.close();
    Settings foreign(file);
    EXPECT_EQ(foreign.viewScale(), 100);
    EXPECT_FALSE(foreign.zoom());
    EXPECT_EQ(foreign.board(), "");
    EXPECT_TRUE(foreign.recentFiles().isEmpty());
    EXPECT_FALSE(foreign.place("zoom"));
    EXPECT_FALSE(foreign.place("main"));

    // A damaged one: binary garbage. Writing replaces it.
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(QByteArray("\xff\xfe[\x00\x01=\n\x80[[[]=\xc3\n", 16).repeated(50));
    f.close();
    {
        Settings damaged(file);
        EXPECT_EQ(damaged.viewScale(), 100);
        damaged.setViewScale(200);
    }
    EXPECT_EQ(Settings(file).viewScale(), 200);
}

struct KeptWindow {
    explicit KeptWindow(const QString& file, EventSource* board = nullptr) : settings(file), app(board, &dialogs) {
        keeper = std::make_unique<SettingsKeeper>(app, settings);
        app.start();
        keeper->restoreAfterStart();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(app.main.get()));
    }
    QAction* action(const std::string& key) { return app.main->menus().find(key)->action(); }
    headless::ScriptedDialogs dialogs;
    Settings settings;
    TobrakApp app;
    std::unique_ptr<SettingsKeeper> keeper;
};

TEST(Settings, ZoomExpectedLineFolderRecentFileAndPlacesComeBack) {
    QTemporaryDir dir;
    const QString file = dir.filePath("tobrak.ini");
    const std::string play = dir.filePath("night").toStdString();
    {
        SimBoard sim({.seed = 3, .speed = 50});
        KeptWindow w(file, &sim);
        QTest::qWait(800);
        w.app.program.ui.Timer2->setEnabled(false);
        w.action("G_zoom(1)")->trigger();
        w.action("menKitai")->trigger();
        w.action("KitaiSet(5)")->trigger();  // in the 表示 menu's submenu
        w.dialogs.saveAnswers.push_back(play);
        w.action("menFile_Save")->trigger();
        w.dialogs.saveAnswers.push_back(std::nullopt);  // cancelled: nothing changes
        w.action("menFile_Save")->trigger();
        w.app.history->remembered = QPoint(-4000, -4000);  // off every screen now
        w.app.history->setVisible(true);
        EXPECT_TRUE(w.app.main->screen()->availableGeometry().contains(w.app.history->pos()));
        w.app.history->hide();
        w.app.rs232->remembered = QPoint(10, 10);  // over the menus and the panel now
        w.action("Kaiseki(10)")->trigger();
        EXPECT_GT(w.app.rs232->frameGeometry().left(), px(con_P2left)) << w.app.rs232->pos().x();
        w.app.zoom->move(430, 400);  // below the main window, clear of its panel
    }
    KeptWindow w(file);
    EXPECT_EQ(w.app.program.zoom.ZoomSel, 1);
    EXPECT_TRUE(w.app.zoom->isVisible());
    EXPECT_EQ(w.app.zoom->pos(), QPoint(430, 400));
    EXPECT_TRUE(w.action("menKitai")->isChecked());
    EXPECT_TRUE(w.action("KitaiSet(5)")->isChecked());
    EXPECT_EQ(w.action("KitaiSet(5)")->parent(), w.action("menKitaiSet")->menu());
    EXPECT_EQ(w.settings.folder("play"), dir.path());  // where the next open or save starts
    ASSERT_EQ(w.settings.recentFiles(), QStringList{dir.filePath("night.slt")});
    QMenu* fileMenu = w.action("menFile")->menu();
    EXPECT_EQ(fileMenu->actions().last()->menu(), w.keeper->recentMenu());
    EXPECT_EQ(fileMenu->actions().last()->text(), "最近使ったファイル");
    ASSERT_EQ(w.keeper->recentMenu()->actions().size(), 1);
    w.keeper->recentMenu()->actions()[0]->trigger();
    EXPECT_GT(w.app.program.rec.games(), 3);
    EXPECT_FALSE(w.keeper->openRecent(dir.filePath("gone.slt")));  // its message box, no crash
    EXPECT_EQ(w.dialogs.shown.size(), 2u);
}

TEST(ConnectMenu, SwitchesTheBoardUnderTheRunningPollAndTellsAFailureOnce) {
    QTemporaryDir dir;
    KeptWindow w(dir.filePath("tobrak.ini"));
    ConnectMenu menu(w.app, {.seed = 5, .speed = 50}, &w.settings);
    QStringList captions;
    for (QAction* a : menu.menu()->actions()) captions << a->text();
    ASSERT_GE(captions.size(), 6);
    EXPECT_EQ(captions.mid(0, 2), (QStringList{"なし", "シミュレーター"}));
    EXPECT_EQ(captions.mid(captions.size() - 4), (QStringList{"", "通信速度", "", "再検索"}));
    EXPECT_EQ(w.app.main->menuBar()->actions().last()->text(), "接続");

    menu.menu()->actions()[1]->trigger();
    QTest::qWait(1000);
    EXPECT_EQ(w.settings.board(), "sim");
    EXPECT_GT(w.app.program.rec.games(), 2);
    const QString ok = static_cast<QtLabel*>(w.app.program.ui.main.Label1)->widget()->text();

    const std::string missing = dir.filePath("no-port").toStdString();
    ASSERT_TRUE(menu.connectTo("serial:" + missing + ",9600"));
    QTest::qWait(3 * ConnectMenu::kCheckMs);
    EXPECT_NE(static_cast<QtLabel*>(w.app.program.ui.main.Label1)->widget()->text(), ok);
    ASSERT_EQ(w.dialogs.shown.size(), 1u);
    EXPECT_NE(w.dialogs.shown[0].text.find(missing), std::string::npos);
    EXPECT_EQ(w.settings.board().toStdString(), "serial:" + missing + ",9600");
    EXPECT_FALSE(menu.connectTo("bogus"));
    EXPECT_EQ(menu.option(), "serial:" + missing + ",9600");

    EXPECT_NE(boardFailureText("x", "Permission denied").find("dialout"), std::string::npos);
    EXPECT_EQ(boardFailureText("x", "cannot open /dev/hidraw3 (no permission for /dev/hidraw*?)").find("dialout"),
              std::string::npos);
}

TEST(ViewScale, EveryWindowGrowsTheLogicKeepsItsTwipsAndBackIsExact) {
    QTemporaryDir dir;
    KeptWindow w(dir.filePath("tobrak.ini"));
    ViewScaleMenu menu(w.app, &w.settings);
    FileDispWindow& m = *w.app.main;
    auto* value = static_cast<QtLabel*>(w.app.program.ui.main.Label3[0])->widget();
    const QRect valueAt = value->geometry();
    const double valuePt = value->font().pointSizeF();
    const int twipsWide = m.clientWidth(), menuPt = m.menuBar()->font().pointSizeF();
    const QSize history = w.app.history->content()->size();

    menu.setPercent(150);
    QTest::qWait(50);
    EXPECT_EQ(w.settings.viewScale(), 150);
    EXPECT_EQ(value->geometry(), QRect(valueAt.topLeft() * 1.5, valueAt.size() * 1.5));
    EXPECT_DOUBLE_EQ(value->font().pointSizeF(), valuePt * 1.5);
    EXPECT_GT(m.menuBar()->font().pointSizeF(), menuPt);
    EXPECT_EQ(w.app.history->content()->size(), history * 1.5);
    // The tables' rows grow with their text, so no line is cut.
    for (auto* table : w.app.history->content()->findChildren<QTableView*>())
        EXPECT_GE(table->verticalHeader()->defaultSectionSize(), table->fontMetrics().height()) << "history";
    for (auto* table : w.app.rs232->findChildren<QTableView*>())
        EXPECT_GE(table->verticalHeader()->defaultSectionSize(), table->fontMetrics().height()) << "small wins";
    EXPECT_NEAR(m.clientWidth(), twipsWide, 15);
    EXPECT_EQ(m.centralWidget()->height(), px(5520));  // the layout rule still holds, in twips
    // The graph is drawn at the designed size, enlarged by its pixel ratio.
    const QImage& graph = static_cast<ImageSurface&>(*w.app.program.ui.Picture2).image();
    EXPECT_DOUBLE_EQ(graph.devicePixelRatio(), 1.5 * m.devicePixelRatioF());
    EXPECT_NEAR(graph.width() / graph.devicePixelRatio() * 15, m.clientWidth() - con_P2left, 15);

    for (QAction* a : menu.menu()->actions())  // Ctrl+- from 150 % is 125 %
        if (a->shortcut() == QKeySequence(Qt::CTRL | Qt::Key_Minus)) a->trigger();
    EXPECT_EQ(menu.percent(), 125);
    menu.setPercent(100);
    QTest::qWait(50);
    EXPECT_EQ(m.centralWidget()->height(), px(5520));
    EXPECT_EQ(value->geometry(), valueAt);
    EXPECT_EQ(value->font().pointSizeF(), valuePt);
    EXPECT_EQ(w.app.history->content()->size(), history);
}

TEST(SideWindows, OpenBesideTheMainWindowWithinTheScreen) {
    const QRect screen(0, 0, 1920, 1040);
    const QSize zoom(360, 400), table(290, 310);
    // Room on the right: beside, from the top of the screen; a second one goes below the first.
    const QRect main(100, 100, 820, 420);
    const QRect first = placeBeside(main, zoom, screen, {});
    EXPECT_EQ(first, QRect(QPoint(main.right() + 9, 0), zoom));
    const QRect second = placeBeside(main, table, screen, {first});
    EXPECT_EQ(second.left(), first.left());
    EXPECT_GT(second.top(), first.bottom());
    // The right is full: the left side.
    const QRect atRight(1000, 50, 900, 420);
    EXPECT_EQ(placeBeside(atRight, zoom, screen, {}), QRect(QPoint(1000 - 8 - 360, 0), zoom));
    // Maximised on a full-HD screen (three windows), on the same screen at scale 2 (two):
    // inside the screen, never over each other.
    const QRect half(0, 0, 960, 520);
    for (const auto& [avail, sizes] : {std::pair{screen, std::vector{zoom, table, QSize(480, 560)}},
                                       std::pair{half, std::vector{QSize(354, 380), QSize(276, 282)}}}) {
        std::vector<QRect> taken;
        for (QSize s : sizes) {
            const QRect r = placeBeside(avail, s, avail, taken);
            EXPECT_TRUE(avail.contains(r)) << r.x() << "," << r.y();
            for (const QRect& t : taken) EXPECT_FALSE(t.intersects(r));
            taken.push_back(r);
        }
    }
}

}  // namespace
}  // namespace tobrak::qt
