// tobrak: the window program.
#include <QApplication>
#include <QCommandLineParser>
#include <QMenu>
#include <QTextStream>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <memory>

#include "app/file_commands.h"
#include "app/menu.h"
#include "app/qt/connect_menu.h"
#include "app/qt/library_window.h"
#include "app/qt/live_window.h"
#include "app/qt/machine_picker.h"
#include "app/qt/profile_editor.h"
#include "app/qt/settings.h"
#include "app/qt/settings_keeper.h"
#include "app/qt/tobrak_app.h"
#include "app/qt/view_scale_menu.h"
#include "app/version.h"
#include "boards/board_table.h"
#include "library/library.h"
#include "library/library_json.h"
#include "library/recorder.h"
#include "record/journal.h"
#include "util/paths.h"
#ifdef TOBRAK_MQTT
#include "app/qt/mqtt_window.h"
#endif

namespace {

int fail(const QString& why) {
    QTextStream(stderr) << "tobrak: " << why << "\n";
    return 2;
}

// TOBRAK_FIRST_PAINT set: once the main window has been painted for the first
// time, "first-paint EPOCH_US" (wall clock, microseconds) goes to stderr, so that
// a script can time the start-up from outside; "quit" also ends the program there.
class FirstPaintReport final : public QObject {
public:
    FirstPaintReport(QWidget* window, bool quit) : window_(window), quit_(quit) {}

protected:
    bool eventFilter(QObject* o, QEvent* e) override {
        if (e->type() == QEvent::Paint && !seen_ && o->isWidgetType() &&
            static_cast<QWidget*>(o)->window() == window_) {
            seen_ = true;
            // Reported from the event loop, after the whole paint pass is done.
            QTimer::singleShot(0, this, [this] {
                const auto us = std::chrono::duration_cast<std::chrono::microseconds>(
                                    std::chrono::system_clock::now().time_since_epoch())
                                    .count();
                std::fprintf(stderr, "first-paint %lld\n", static_cast<long long>(us));
                std::fflush(stderr);
                if (quit_) QApplication::exit(0);
            });
        }
        return false;
    }

private:
    QWidget* window_;
    bool quit_;
    bool seen_ = false;
};

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tobrak"));
    QApplication::setApplicationVersion(QString::fromLatin1(tobrak::kVersion));
    QGuiApplication::setDesktopFileName(QStringLiteral("tobrak"));  // the launcher's name, for the icon

    QCommandLineParser args;
    const QUrl manual = tobrak::qt::manualUrl();
    args.setApplicationDescription(
        QStringLiteral("Tobrak: records and analyses play on a pachislot machine.") +
        (manual.isEmpty() ? QString() : QStringLiteral("\nDocumentation: ") + manual.toString()));
    args.addHelpOption();
    args.addVersionOption();
    const QCommandLineOption board({"b", "board"},
                                   QStringLiteral("I/O board for this run (otherwise the one chosen last in the 接続 "
                                                  "menu): none (no board), sim (the built-in "
                                                  "simulated machine), serial:PATH[,BAUD] (a serial bridge, "
                                                  "docs/serial-protocol.md), edges:PATH[,BAUD] (an edge board "
                                                  "such as a Pico or ESP32, docs/edge-protocol.md) or "
                                                  "usbio[:SERIAL] (a USB HID I/O board, docs/boards.md)."),
                                   QStringLiteral("backend"), QStringLiteral("none"));
    const QCommandLineOption seed(QStringLiteral("seed"), QStringLiteral("Seed of the simulated machine."),
                                  QStringLiteral("n"), QStringLiteral("1"));
    const QCommandLineOption speed(QStringLiteral("speed"),
                                   QStringLiteral("Speed of the simulated machine (1 = real time, up to 100)."),
                                   QStringLiteral("x"), QStringLiteral("1"));
    const QCommandLineOption listen(QStringLiteral("listen"),
                                    QStringLiteral("Serve the live view (a web page for phones and stream overlays) "
                                                   "on this port, on 127.0.0.1 unless an address is given."),
                                    QStringLiteral("[addr:]port"));
    const QCommandLineOption token(QStringLiteral("token"),
                                   QStringLiteral("The live view answers only requests with ?token=T (needed "
                                                  "beyond 127.0.0.1)."),
                                   QStringLiteral("t"));
    const QCommandLineOption noLibrary(QStringLiteral("no-library"),
                                       QStringLiteral("Keep this session out of the library of sessions."));
    const QCommandLineOption noPicker(QStringLiteral("no-picker"),
                                      QStringLiteral("Open no machine picker when a new record starts (this run)."));
    args.addOptions({board, seed, speed, listen, token, noLibrary, noPicker});
    args.addPositionalArgument(QStringLiteral("file"), QStringLiteral("A play-data file (*.slt) to open at start."),
                               QStringLiteral("[file.slt]"));
    args.process(app);

    tobrak::SimOptions sim;
    bool ok = false;
    sim.seed = args.value(seed).toULongLong(&ok);
    if (!ok) return fail(QStringLiteral("--seed takes a whole number"));
    sim.speed = args.value(speed).toDouble(&ok);
    if (!ok || sim.speed <= 0 || sim.speed > 100) return fail(QStringLiteral("--speed takes a number from 0 to 100"));
    // --board wins for this run; otherwise the board of the last run.
    tobrak::qt::Settings settings;
    const std::string option = args.isSet(board) ? args.value(board).toStdString() : settings.board().toStdString();
    if (args.isSet(board)) {
        if (const std::string why = tobrak::boardOptionProblem(option); !why.empty())
            return fail(QString::fromStdString(why));
    }

    tobrak::qt::TobrakApp tobrakApp(nullptr);
    std::unique_ptr<FirstPaintReport> firstPaint;
    if (qEnvironmentVariableIsSet("TOBRAK_FIRST_PAINT")) {
        firstPaint = std::make_unique<FirstPaintReport>(tobrakApp.main.get(),
                                                        qEnvironmentVariable("TOBRAK_FIRST_PAINT") == "quit");
        app.installEventFilter(firstPaint.get());
    }
    // The journal before the board: a second copy leaves both to the first one.
    const std::string journalDir = tobrak::defaultJournalDir();
    if (!tobrakApp.claimJournal(journalDir)) return 0;
    tobrak::qt::ConnectMenu connect(tobrakApp, sim, nullptr);
    if (!tobrakApp.recording())
        connect.menu()->setEnabled(false);
    else if (!option.empty())
        connect.connectTo(option, false);
    connect.keepIn(&settings);  // a board given on the command line is not kept
    // The library of sessions keeps this one from its first game (not for a second
    // copy, which records nothing).
    std::unique_ptr<tobrak::qt::LibraryWindow> library;
    if (tobrakApp.recording() && !args.isSet(noLibrary))
        library = std::make_unique<tobrak::qt::LibraryWindow>(tobrakApp, tobrak::defaultLibraryPath());
    // 機種データの編集 and the machine picker, in the 解析 menu after the hand counters.
    tobrak::qt::ProfileEditor editor(tobrakApp, tobrakApp.program.history.profileDir);
    tobrak::qt::MachinePicker picker(tobrakApp, &settings, library.get());
    // A start-up timed from outside measures the main window alone.
    if (args.isSet(noPicker) || !tobrakApp.recording() || firstPaint) picker.setAutomatic(false, false);
    {
        tobrak::qt::QtMenus& m = tobrakApp.main->menus();
        QMenu* analysis = m.find("SyuKei")->action()->menu();
        QAction* before = m.find("menLive0")->action();
        QAction* edit = new QAction(QStringLiteral("機種データの編集…"), analysis);
        QObject::connect(edit, &QAction::triggered, &editor, [&editor] { editor.open(); });
        QAction* pick = new QAction(QStringLiteral("台の選択…"), analysis);
        QObject::connect(pick, &QAction::triggered, &picker, [&picker] { picker.offer(); });
        QAction* automatic = new QAction(QStringLiteral("新しい記録の開始時に台を選ぶ"), analysis);
        automatic->setCheckable(true);
        automatic->setChecked(settings.pickerOn());
        QObject::connect(automatic, &QAction::toggled, &picker, [&picker](bool on) { picker.setAutomatic(on); });
        analysis->insertActions(before, {edit, pick, automatic});
    }
    tobrak::qt::ViewScaleMenu scale(tobrakApp, &settings);
    tobrak::qt::SettingsKeeper keeper(tobrakApp, settings);  // places at the scale now in force
    const QStringList files = args.positionalArguments();
    tobrakApp.start(journalDir, files.isEmpty() ? std::string() : files.first().toStdString());
    if (library && library->recorder() && tobrakApp.restored()) library->recorder()->resumeFrom();
    keeper.restoreAfterStart();
#ifdef TOBRAK_MQTT
    // 接続 → MQTT…: publishing from the session as started (a record brought back keeps its machine).
    std::unique_ptr<tobrak::qt::MqttPublishing> mqtt;
    if (tobrakApp.recording()) {
        mqtt = std::make_unique<tobrak::qt::MqttPublishing>(
            tobrakApp, settings, tobrak::pathUtf8(tobrak::fsPath(tobrak::defaultLibraryPath()).parent_path()));
        connect.addLasting(mqtt->action());
    }
#endif
    // A new record: which machine is played (a record restored or opened goes on as it was).
    // Once the main window is up, so it is painted first.
    if (picker.automatic() && !tobrakApp.restored() && files.isEmpty() && tobrakApp.program.rec.games() == 0)
        QTimer::singleShot(0, &picker, [&picker] { picker.offer(); });
    connect.tellIfUnreached();
    tobrak::qt::LiveViewWindow live(tobrakApp.program, tobrakApp.main.get(), &settings);
    if (args.isSet(listen)) {
        tobrak::live::ListenAddress at;
        std::string why = tobrak::live::parseListen(args.value(listen).toStdString(), at);
        if (why.empty()) why = live.start(at, args.value(token).toStdString());
        if (!why.empty()) return fail(QString::fromStdString(why));
        QTextStream(stderr) << "live view: " << live.phoneUrl() << "\n";
    } else {
        live.resume();  // served when the program ended last time
    }
    // Today's sessions for the live view's /api/sessions, made on the library's writer thread.
    tobrak::live::LiveHub& hub = live.hub();
    const tobrak::RecorderWatch today(library ? library->recorder() : nullptr, [&hub](tobrak::Library& l) {
        hub.setSessions(tobrak::todaySessionsJson(l, tobrak::wallNow()));
    });
    tobrak::showLiveState(tobrakApp.program);
    return QApplication::exec();
}
