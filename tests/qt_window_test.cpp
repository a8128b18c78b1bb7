#include <gtest/gtest.h>

#include <unistd.h>
#include <QAbstractButton>
#include <QApplication>
#include <QFileInfo>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "app/headless/headless_app.h"
#include "app/menu.h"
#include "app/qt/library_window.h"
#include "app/qt/tobrak_app.h"
#include "app/version.h"
#include "app/views.h"
#include "boards/sim_board.h"
#include "platform/qt/twips.h"
#include "record/journal.h"
#include "record/slt_file.h"
#include "util/durable_file.h"

namespace tobrak::qt {
namespace {

struct Window {
    explicit Window(EventSource* board = nullptr) : app(board, &dialogs) {
        app.start();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(app.main.get()));
    }
    QAction* action(const std::string& name, int index = -1) {
        return app.main->menus().find(index < 0 ? name : name + "(" + std::to_string(index) + ")")->action();
    }
    QString text(Label* l) const { return static_cast<QtLabel*>(l)->widget()->text(); }
    headless::ScriptedDialogs dialogs;
    TobrakApp app;
};

TEST(Window, StartUpStateAsDesigned) {
    Window w;
    FileDispWindow& m = *w.app.main;
    EXPECT_EQ(m.windowTitle(), QStringLiteral("ＴＯＢＲＡＫ"));
    EXPECT_EQ(m.centralWidget()->width(), px(12105));
    EXPECT_EQ(m.centralWidget()->height(), px(5520));
    // The bar: page command, drop-downs and the four scroll commands on the bar itself.
    QStringList visible;
    for (QAction* a : m.menuBar()->actions())
        if (a->isVisible()) visible << a->text();
    EXPECT_EQ(visible, (QStringList{"[ 一般 ] 項目 1/3", "ファイル", "表示", "拡大", "≪≪", "<<<", ">>>", "≫≫", "解析",
                                    "ヘルプ"}));
    EXPECT_TRUE(w.action("GhpHyo", 4)->isChecked() && w.action("G_zoom", 3)->isChecked());
    EXPECT_TRUE(w.action("men0")->isSeparator());
    const MainControls& c = w.app.program.ui.main;
    EXPECT_EQ(w.text(c.Label3[6]), QStringLiteral("0.00"));
    EXPECT_FALSE(w.app.rs232->isVisible());
    EXPECT_FALSE(w.app.zoom->isVisible());
    // Qt's own dialogs speak Japanese.
    EXPECT_NE(QCoreApplication::translate("QFileDialog", "Look in:"), QStringLiteral("Look in:"));
    // Value labels use the panel font, resolved to an installed Japanese gothic.
    const QFont f = static_cast<QtLabel*>(c.Label3[0])->widget()->font();
    EXPECT_EQ(f.pointSizeF(), 11.25);
    EXPECT_TRUE(QFontInfo(f).family().contains("Gothic", Qt::CaseInsensitive) ||
                QFontInfo(f).family().contains("CJK", Qt::CaseInsensitive))
        << QFontInfo(f).family().toStdString();
}

// Keys and the wheel run the menu items, so they keep the items' bounds and are
// dead where the items are hidden.
TEST(Window, KeysAndWheelRunTheMenuItems) {
    Window w;
    FileDispWindow& m = *w.app.main;
    m.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&m));
    EXPECT_EQ(w.action("menFile_open")->shortcut(), QKeySequence(QStringLiteral("Ctrl+O")));
    QTest::keyClick(&m, Qt::Key_PageUp);
    EXPECT_EQ(w.action("menPage")->text(), QStringLiteral("［ ＲＢ ］ 項目 3/3"));
    QTest::keyClick(&m, Qt::Key_PageDown);
    EXPECT_EQ(w.action("menPage")->text(), QStringLiteral("[ 一般 ] 項目 1/3"));
    const std::int32_t& scroll = w.app.program.graph.Ghp_Scroll;
    QWidget* graph = static_cast<QtBox*>(w.app.program.ui.main.Picture2)->widget();
    auto wheel = [&](int delta) {
        QWheelEvent e(QPointF(50, 50), graph->mapToGlobal(QPointF(50, 50)), {}, QPoint(0, delta), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(graph, &e);
    };
    QTest::keyClick(&m, Qt::Key_Right);
    EXPECT_EQ(scroll, -1000);
    wheel(-240);
    EXPECT_EQ(scroll, -3000);
    wheel(60);  // half a notch waits for the other half
    EXPECT_EQ(scroll, -3000);
    wheel(60);
    EXPECT_EQ(scroll, -2000);
    QTest::keyClick(&m, Qt::Key_Home);
    EXPECT_EQ(scroll, 0);
    QTest::keyClick(&m, Qt::Key_Left);
    wheel(120);
    EXPECT_EQ(scroll, 0);
    w.action("Kaiseki", 0)->trigger();
    ASSERT_TRUE(w.action("HistEnd")->isVisible());
    wheel(-120);
    EXPECT_EQ(scroll, 0);
    QTest::keyClick(&m, Qt::Key_Escape);
    EXPECT_FALSE(w.action("HistEnd")->isVisible());
    w.dialogs.answers.push_back(MsgResult::Cancel);
    QTest::keyClick(&m, Qt::Key_Q, Qt::ControlModifier);
    ASSERT_EQ(w.dialogs.shown.size(), 1u);
    EXPECT_EQ(w.dialogs.shown[0].text, "本当に終了しますか？");
}

// Closing the window asks; OK closes every window.
TEST(Window, QuitWithCancelKeepsRunning) {
    Window w;
    w.dialogs.answers.push_back(MsgResult::Cancel);
    w.app.main->close();
    QApplication::processEvents();
    EXPECT_TRUE(w.app.main->isVisible());
    EXPECT_EQ(w.dialogs.shown.size(), 1u);
    w.action("Pgend")->trigger();
    EXPECT_FALSE(w.app.main->isVisible());
    EXPECT_FALSE(w.app.program.ui.Timer2->enabled());
}

TEST(Window, HeightSnapsBackWidthFollows) {
    Window w;
    FileDispWindow& m = *w.app.main;
    m.resize(1000, m.height() + 120);
    QApplication::processEvents();
    EXPECT_EQ(m.centralWidget()->height(), px(5520));
    EXPECT_EQ(static_cast<QtBox*>(w.app.program.ui.main.Picture2)->widget()->width(), 1000 - px(1560));
    m.resize(700, 200);  // lower than the graph is allowed
    QApplication::processEvents();
    EXPECT_EQ(m.centralWidget()->height() + m.menuBar()->height(), 200);
}

// The real 80 ms timer polls the simulated machine; the comment reaches the title.
TEST(Window, TimerPollsAndTheCommentTitlesTheWindow) {
    SimBoard sim({.seed = 2, .speed = 50});
    Window w(&sim);
    QTest::qWait(1500);
    EXPECT_GT(w.app.program.rec.games(), 3);
    EXPECT_EQ(w.text(w.app.program.ui.main.Label3[8]).toInt(), w.app.program.cnt.Tot_In);
    w.dialogs.inputAnswers.push_back(std::string("テスト台"));
    w.action("Comment")->trigger();
    EXPECT_EQ(w.app.main->windowTitle(), QStringLiteral("ＴＯＢＲＡＫ　　テスト台"));
}

// After a crash: the restore question comes before the poll and before the file
// named at start-up, and that file then asks the load question.
TEST(Window, RestoreFlowsAtStartUp) {
    const auto dir = std::filesystem::temp_directory_path() / ("tobrak_qt_restore_" + std::to_string(::getpid()));
    const std::string file = (dir / "start.slt").string();
    for (const MsgResult restore : {MsgResult::Ok, MsgResult::Cancel}) {
        std::filesystem::remove_all(dir);
        PlayRecord rec;
        rec.Dat_Len = 48 + 7;
        Journal::open(dir.string())->begin(rec, 0);  // a crash: never closed normally
        rec.Dat_Len = 48 + 3;
        ASSERT_EQ(writeFileBytes(file, encodeSlt(rec)), SltStatus::Ok);
        headless::ScriptedDialogs dialogs;
        TobrakApp app(nullptr, &dialogs);
        bool polling = true;
        dialogs.whileOpen = [&] { polling = polling && app.program.ui.Timer2->enabled(); };
        dialogs.answers = {restore, MsgResult::Cancel};  // then keep the restored record
        app.start(dir.string(), file);
        EXPECT_FALSE(polling);
        EXPECT_TRUE(app.program.ui.Timer2->enabled());
        ASSERT_GE(dialogs.shown.size(), 1u);
        EXPECT_EQ(dialogs.shown[0].buttons, MsgButtons::OkCancelOkDefault);
        if (restore == MsgResult::Ok) {
            ASSERT_EQ(dialogs.shown.size(), 2u);
            EXPECT_EQ(dialogs.shown[1].title, "読込確認");
            EXPECT_EQ(app.program.rec.games(), 7);
        } else {
            EXPECT_EQ(dialogs.shown.size(), 1u);  // an empty record loads without asking
            EXPECT_EQ(app.program.rec.games(), 3);
        }
    }
    std::filesystem::remove_all(dir);
}

#ifndef _WIN32
// A second copy while another program records into the journal: the question
// names the other one's process; "open" goes on without the board and the
// journal, "quit" shows nothing; the journal stays the other one's.
TEST(Window, SecondCopyLeavesTheJournalToTheFirst) {
    QTemporaryDir tmp;
    const std::filesystem::path dir = tmp.path().toStdString();
    const std::string cmd = std::string(TOBRAK_CLI) + " record --board sim --no-library --journal " + dir.string() +
                            " >/dev/null 2>&1 & echo $!";
    FILE* shell = ::popen(cmd.c_str(), "r");
    ASSERT_NE(shell, nullptr);
    long first = 0;
    ASSERT_EQ(std::fscanf(shell, "%ld", &first), 1);
    ::pclose(shell);
    const std::string lock = (dir / "session.lock").string();
    std::string held;
    for (int i = 0; i < 100 && held.empty(); ++i) {
        QTest::qWait(100);
        std::ifstream(lock) >> held;
    }
    ASSERT_EQ(held, std::to_string(first));
    for (const MsgResult answer : {MsgResult::Ok, MsgResult::Cancel}) {
        headless::ScriptedDialogs dialogs;
        SimBoard board;
        TobrakApp app(&board, &dialogs);
        dialogs.answers = {answer};
        EXPECT_EQ(app.start(dir.string()), answer == MsgResult::Ok);
        ASSERT_EQ(dialogs.shown.size(), 1u);  // no "cannot protect" box after it
        EXPECT_EQ(dialogs.shown[0].buttons, MsgButtons::OpenQuit);
        EXPECT_NE(dialogs.shown[0].text.find("別のＴＯＢＲＡＫ（プロセス番号 " + held + "）が記録中です。"),
                  std::string::npos)
            << dialogs.shown[0].text;
        EXPECT_EQ(app.journal(), nullptr);
        EXPECT_FALSE(app.recording());
        EXPECT_NE(app.board(), &board);
        EXPECT_EQ(app.main->isVisible(), answer == MsgResult::Ok);
        if (answer == MsgResult::Ok) {  // a viewer: the poll runs on no board and records nothing
            QTest::qWait(300);
            EXPECT_EQ(app.program.rec.games(), 0);
        }
    }
    // The first one still holds the journal, and ends normally.
    fileio::LockFile probe;
    EXPECT_EQ(probe.lock(lock).code, EWOULDBLOCK);
    EXPECT_EQ(probe.holder(), first);
    ::kill(static_cast<pid_t>(first), SIGTERM);
    for (int i = 0; i < 100 && std::filesystem::exists(dir / "session.journal"); ++i) QTest::qWait(100);
    EXPECT_FALSE(std::filesystem::exists(dir / "session.journal"));
}
#endif

TEST(Window, VersionBoxHelpAndIcons) {
    Window w;
    QWidget* box = static_cast<QtBox*>(w.app.program.ui.main.Picture10)->widget();
    EXPECT_FALSE(box->isVisible());
    w.action("HelpVer")->trigger();
    EXPECT_TRUE(box->isVisible());
    QTest::mouseClick(box->findChild<QAbstractButton*>(), Qt::LeftButton);
    EXPECT_FALSE(box->isVisible());
    // Escape and Enter close it too: it has the keyboard while shown.
    w.app.main->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w.app.main.get()));
    for (Qt::Key key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter}) {
        w.action("HelpVer")->trigger();
        ASSERT_TRUE(box->isVisible());
        ASSERT_EQ(QApplication::focusWidget(), box);
        QTest::keyClick(QApplication::focusWidget(), key);
        EXPECT_FALSE(box->isVisible()) << key;
    }
    QStringList texts;
    for (auto* l : box->findChildren<QLabel*>()) texts << l->text();
    EXPECT_TRUE(texts.contains(QStringLiteral("ＴＯＢＲＡＫ　バージョン　" TOBRAK_VERSION_WIDE)))
        << texts.join('|').toStdString();
    // Help opens the built documentation; every window has the icon.
    const QUrl manual(QString::fromStdString(w.app.program.ui.manual));
    ASSERT_TRUE(manual.isLocalFile()) << w.app.program.ui.manual;
    EXPECT_TRUE(QFileInfo::exists(manual.toLocalFile())) << w.app.program.ui.manual;
    for (QWidget* window : {static_cast<QWidget*>(w.app.main.get()), static_cast<QWidget*>(w.app.zoom.get()),
                            static_cast<QWidget*>(w.app.history.get()), static_cast<QWidget*>(w.app.rs232.get())})
        EXPECT_EQ(window->windowIcon().availableSizes().size(), 8u);
}

// The history window from the analysis menu, on a loaded record: the table and the
// chart come from the core, a bad profile is explained, the refresh button reads again.
TEST(Window, HistoryWindowFromTheAnalysisMenu) {
    QTemporaryDir tmp;
    const std::filesystem::path dir = tmp.path().toStdString();
    std::ofstream(dir / "broken.json") << "{\"name\": 1}";
    Window w;
    w.app.program.history.profileDir = dir.string();
    for (int round = 0; round < 4; ++round)  // 40 normal games paying 8, then a BB of 25 games
        for (int i = 0; i < 65; ++i) w.app.program.rec.Dat_Buf[w.app.program.rec.Dat_Len++] = i < 40 ? 0x38 : 0xBF;
    w.action("Kaiseki", 12)->trigger();
    HistoryWindow& h = *w.app.history;
    EXPECT_TRUE(h.isVisible());
    ASSERT_EQ(h.table()->rowCount(), 4);
    EXPECT_EQ(h.table()->item(3, 7)->text(), QStringLiteral("継続中"));
    EXPECT_EQ(h.table()->item(3, 4)->textAlignment() & Qt::AlignRight, Qt::AlignRight);
    const HistoryView& c = w.app.program.history;
    EXPECT_EQ(w.text(c.probNormal), QStringLiteral("通常ゲーム 160Ｇ中　ＢＢ 1/40.0　ＲＢ -　合成 1/40.0"));
    ASSERT_EQ(h.profileBox()->count(), 2);
    // The chart is drawn: yellow bars on the blue ground.
    const QImage& img = h.bars()->surface().image();
    bool yellow = false;
    for (int y = 0; y < img.height() && !yellow; ++y) yellow = rgbOf(img.pixelColor(px(840) + 2, y)) == rgb::Yellow;
    EXPECT_TRUE(yellow);

    h.profileBox()->setCurrentIndex(1);
    emit h.profileBox()->activated(1);
    EXPECT_EQ(w.dialogs.shown.size(), 1u);
    EXPECT_EQ(w.text(c.payout), QStringLiteral("期待機械割 -"));

    std::filesystem::remove(dir / "broken.json");
    QTest::mouseClick(h.findChild<QPushButton*>(), Qt::LeftButton);
    EXPECT_EQ(h.profileBox()->count(), 1);
    EXPECT_NE(w.text(c.payout), QStringLiteral("期待機械割 -"));
}

// Counts handed to the history window: a line for each counter used under the
// estimate, the window taller by those lines only.
TEST(Window, HistoryWindowGrowsByALinePerCounter) {
    Window w;
    for (int i = 0; i < 1200; ++i) w.app.program.rec.Dat_Buf[w.app.program.rec.Dat_Len++] = 0x38;
    ManualCounts counted{{"ブドウ", 190}, {"チェリー", 30}};
    w.app.program.history.manual = &counted;
    HistoryWindow& h = *w.app.history;
    const int designed = h.content()->height();
    EXPECT_EQ(designed, px(8400));
    w.action("Kaiseki", 12)->trigger();
    QLabel* lines = nullptr;
    for (QLabel* l : h.content()->findChildren<QLabel*>())
        if (l->text().startsWith(QStringLiteral("ブドウ 190回"))) lines = l;
    ASSERT_TRUE(lines);
    EXPECT_TRUE(lines->text().contains(QStringLiteral("\nチェリー 30回 1/40.0　設定")));
    EXPECT_EQ(h.content()->height(), px(8400 + 2 * 270));
    EXPECT_LE(lines->geometry().bottom(), h.content()->height());
    EXPECT_GE(lines->height(), 2 * lines->fontMetrics().height());
    // Nothing counted any more: the window as designed.
    counted.clear();
    QTest::mouseClick(h.findChild<QPushButton*>(), Qt::LeftButton);
    EXPECT_EQ(lines->text(), QString());
    EXPECT_EQ(h.content()->height(), designed);
}

// Without a printer the report's page goes to a PDF file, and the graph to a PNG
// file: the same bytes tobrak-cli makes of the saved record.
TEST(Window, PrintWithoutAPrinterOffersThePdfAndTheGraphSavesAsAPicture) {
    QTemporaryDir tmp;
    auto file = [&](const char* name) { return tmp.filePath(name).toStdString(); };
    auto bytes = [](const std::string& path) {
        std::ifstream f(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
    };
    SimBoard sim({.seed = 4, .speed = 50});
    Window w(&sim);
    QTest::qWait(1000);
    w.app.program.ui.Timer2->setEnabled(false);
    w.dialogs.saveAnswers.push_back(file("play.slt"));
    w.action("menFile_Save")->trigger();
    ASSERT_GT(w.app.program.rec.games(), 3);

    headless::ScriptedPrinter none;
    none.start = Printer::Start::Failed;
    w.app.program.ui.printer = &none;
    w.dialogs.answers.push_back(MsgResult::Save);
    w.dialogs.saveAnswers.push_back(file("report"));
    w.action("O_prin")->trigger();
    ASSERT_EQ(w.dialogs.shown.size(), 1u);
    EXPECT_EQ(w.dialogs.shown[0].text, "プリンタに接続できません！");
    EXPECT_EQ(w.dialogs.shown[0].buttons, MsgButtons::OkSavePdf);
    EXPECT_EQ(w.dialogs.filters.back(), "PDFファイル(*.pdf)|*.pdf");
    w.dialogs.saveAnswers.push_back(file("graph.PNG"));
    w.action("Gazou_Save")->trigger();

    const std::string cli = std::string(TOBRAK_CLI) + " ";
    ASSERT_EQ(std::system((cli + "print " + file("play.slt") + " --pdf " + file("cli.pdf")).c_str()), 0);
    ASSERT_EQ(std::system((cli + "render " + file("play.slt") + " --png " + file("cli.png")).c_str()), 0);
    // Alike but for the moment each was made.
    auto undated = [&](const std::string& path) {
        std::string b = bytes(path);
        const auto at = b.find("/CreationDate (D:");
        if (at != std::string::npos) b.erase(at, b.find(')', at) - at);
        return b;
    };
    EXPECT_EQ(undated(file("report.pdf")).substr(0, 5), "%PDF-");
    EXPECT_EQ(undated(file("report.pdf")), undated(file("cli.pdf")));
    EXPECT_FALSE(bytes(file("graph.PNG")).empty());
    EXPECT_EQ(bytes(file("graph.PNG")), bytes(file("cli.png")));
    EXPECT_EQ(w.dialogs.shown.size(), 1u);  // nothing failed
}

// The real message box: a confirmation defaults to Cancel, so Enter does not proceed.
TEST(QtDialogs, ConfirmationDefaultsToCancel) {
    QtDialogs d(nullptr);
    QString shownText, shownTitle;
    QTimer::singleShot(50, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        shownText = box->text();
        shownTitle = box->windowTitle();
        EXPECT_EQ(box->defaultButton()->text(), QStringLiteral("キャンセル"));
        QTest::keyClick(box, Qt::Key_Return);
    });
    EXPECT_EQ(d.messageBox("本当にクリアしますか？", "クリア", MsgIcon::Information, MsgButtons::OkCancel),
              MsgResult::Cancel);
    EXPECT_EQ(shownText, QStringLiteral("本当にクリアしますか？"));
    EXPECT_EQ(shownTitle, QStringLiteral("クリア"));
    // Enter on a plain box, on the restore question (keeps the record) and on the second copy's (quits).
    for (const auto& [buttons, enter] : {std::pair{MsgButtons::Ok, MsgResult::Ok},
                                         {MsgButtons::OkCancelOkDefault, MsgResult::Ok},
                                         {MsgButtons::OpenQuit, MsgResult::Cancel}}) {
        QTimer::singleShot(50, [&] { QTest::keyClick(QApplication::activeModalWidget(), Qt::Key_Return); });
        EXPECT_EQ(d.messageBox("x", "y", MsgIcon::Exclamation, buttons), enter) << static_cast<int>(buttons);
    }
}

// The comment box takes no more than the file keeps, rather than dropping the rest unseen.
TEST(QtDialogs, CommentBoxTakesWhatIsKept) {
    TobrakApp app(nullptr);  // with the real dialogs
    app.start();
    QString shown;
    QTimer::singleShot(50, [&] {
        auto* box = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        auto* edit = box->findChild<QLineEdit*>();
        QTest::keyClicks(edit, QString(25, QLatin1Char('x')));
        shown = edit->text();
        QTest::keyClick(edit, Qt::Key_Return);
    });
    app.main->menus().find("Comment")->action()->trigger();
    EXPECT_EQ(shown, QString(20, QLatin1Char('x')));
    EXPECT_EQ(app.program.ComData, std::u16string(20, u'x'));
    app.program.Unsaved = false;  // nothing to ask at the end
}

TEST(QtDialogs, FilterInQtForm) {
    EXPECT_EQ(qtFilter("スロットデーターファイル(*.slt)|*.slt"), QStringLiteral("スロットデーターファイル (*.slt)"));
    EXPECT_EQ(qtFilter("Text|*.txt;*.csv"), QStringLiteral("Text (*.txt *.csv)"));
}

// A hidden graph is resized through its control and drawn on before it is shown
// (the zoom window keeps drawing while closed): the new part already counts.
TEST(ImageSurfacePixels, HiddenWidgetResizedThenDrawnKeepsTheLine) {
    QWidget parent;
    auto* w = new SurfaceWidget(&parent, rgb::LightBlue);
    QtBox box(w);
    box.setGeometry(0, 0, 1500, 1500);  // 100 x 100 px
    w->surface().cls();
    box.setGeometry(0, 0, 15000, 1500);  // 1000 px wide, still hidden
    w->surface().line(12000, 750, 13500, 750, rgb::Red);
    const QImage& pic = w->surface().image();
    ASSERT_EQ(pic.width(), 1000);
    EXPECT_EQ(rgbOf(pic.pixelColor(850, 50)), rgb::Red);
}

// The hand counters from the keyboard and the window's buttons: keys 1 to 8 (and
// the number pad's) count, Shift takes one back, the window shows count and 1/x.
TEST(Window, NumberKeysCountTheHandCountersTheirWindowShowsThem) {
    Window w;
    Program& p = w.app.program;
    CounterWindow& cw = *w.app.counters;
    w.action("menCounter")->trigger();
    ASSERT_TRUE(cw.isVisible());
    p.session.nameCounters({});  // a profile without counters
    EXPECT_TRUE(cw.shownRows().empty());
    EXPECT_EQ(cw.note()->text().toStdString(), kNoCounters);
    QTest::keyClick(w.app.main.get(), Qt::Key_1);  // no counter: nothing
    for (int i = 0; i < 60; ++i) p.rec.Dat_Buf[p.rec.Dat_Len++] = 0x30;
    p.session.replaced();
    ChrClrInit(p);
    ChrDispAll(p);
    p.session.nameCounters({"ブドウ", "チェリー"});
    for (int i = 0; i < 9; ++i) QTest::keyClick(w.app.main.get(), Qt::Key_1);
    QTest::keyClick(w.app.main.get(), Qt::Key_1, Qt::ShiftModifier);
    QTest::keyClick(w.app.main.get(), Qt::Key_2, Qt::KeypadModifier);
    QTest::keyClick(w.app.main.get(), Qt::Key_3);                       // beyond the counters
    QTest::keyClick(w.app.main.get(), Qt::Key_1, Qt::ControlModifier);  // not a count
    EXPECT_EQ(p.session.manual, (ManualCounts{{"ブドウ", 8}, {"チェリー", 1}}));
    EXPECT_EQ(cw.shownRows(),
              (std::vector<QStringList>{{"1", "ブドウ", "8", "1/7.5"}, {"2", "チェリー", "1", "1/60.0"}}));
    // The buttons do as the keys.
    auto buttons = cw.findChildren<QPushButton*>();
    ASSERT_EQ(buttons.size(), 4);
    buttons[3]->click();  // チェリー －
    EXPECT_EQ(cw.shownRows()[1], (QStringList{"2", "チェリー", "0", "-"}));
    w.app.program.Unsaved = false;
}

// The library in the window: the session kept from its first game, 投資 given
// before it, 回収 in yen, the list, the calendar's day, the totals and the trash.
TEST(LibraryWindowTest, ASessionIsKeptWithItsMoneyListedCalendaredAndTotalled) {
    QTemporaryDir dir;
    SimBoard sim({.seed = 3, .speed = 100});
    Window w(&sim);
    LibraryWindow lib(w.app, dir.filePath("library.sqlite").toStdString());
    ASSERT_TRUE(lib.kept());
    lib.invest(5000);  // before the first game: kept until the session is in the library
    lib.invest(1000);
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.app.program.rec.games() >= 20; }, 20000));
    w.app.program.ui.Timer2->setEnabled(false);
    lib.recorder()->flush();
    w.dialogs.inputAnswers.push_back(std::string("12000円"));
    lib.collect();
    w.dialogs.inputAnswers.push_back(std::string("十二"));  // not a number: told, nothing changed
    lib.collect();
    EXPECT_EQ(w.dialogs.shown.back().text, "回収は 0 以上の数で入力して下さい！");
    lib.refresh();
    QTableWidget& t = *lib.sessions();
    ASSERT_EQ(t.rowCount(), 1);
    EXPECT_EQ(t.item(0, 3)->text(), QString::number(w.app.program.rec.games()));
    EXPECT_EQ(t.item(0, 8)->text(), QStringLiteral("6,000"));
    EXPECT_EQ(t.item(0, 9)->text(), QStringLiteral("12,000"));
    EXPECT_EQ(t.item(0, 10)->text(), QStringLiteral("+6,000円"));
    // Today in the calendar, green for a plus; the month's total below it.
    const QTextCharFormat today = lib.calendar()->dateTextFormat(QDate::currentDate());
    EXPECT_EQ(today.background().color(), QColor(0xC8, 0xF0, 0xC8));
    EXPECT_TRUE(lib.monthTotal()->text().contains(QStringLiteral("+6,000円（1日）")))
        << lib.monthTotal()->text().toStdString();
    ASSERT_EQ(lib.totals()->rowCount(), 1);
    EXPECT_EQ(lib.totals()->item(0, 6)->text(), QStringLiteral("+6,000円"));
    // Opened again from the list, the session brings its hand counts back.
    const std::int64_t id = lib.recorder()->currentId();
    ASSERT_TRUE(lib.library()->inTransaction([&] { lib.library()->putCounts(id, {{"ブドウ", 7}}); }));
    ASSERT_EQ(w.app.program.session.manual.size(), 2u) << "the example profile's counters";
    t.selectRow(0);
    w.dialogs.answers.push_back(MsgResult::Ok);      // the record in the window is replaced
    w.dialogs.answers.push_back(MsgResult::Cancel);  // and not recorded on
    lib.openSelected();
    EXPECT_EQ(w.app.program.session.manual, (ManualCounts{{"ブドウ", 7}, {"チェリー", 0}}));
    // Deleted after the question: out of the list, into the trash.
    lib.refresh();
    t.selectRow(0);
    w.dialogs.answers.push_back(MsgResult::Cancel);
    lib.removeSelected();
    EXPECT_EQ(lib.sessions()->rowCount(), 1);
    w.dialogs.answers.push_back(MsgResult::Ok);
    lib.removeSelected();
    EXPECT_EQ(lib.sessions()->rowCount(), 0);
    EXPECT_EQ(lib.library()->list({.trash = true}).size(), 1u);
    w.app.program.Unsaved = false;
}

}  // namespace
}  // namespace tobrak::qt
