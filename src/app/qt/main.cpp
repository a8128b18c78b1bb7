// tobrak: the window program.
#include <QApplication>
#include <QCommandLineParser>
#include <QTextStream>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <memory>

#include "app/qt/live_window.h"
#include "app/qt/tobrak_app.h"
#include "app/version.h"
#include "platform/edge_board.h"
#include "platform/hid/hidapi_link.h"
#include "platform/qt/serial_board.h"
#include "platform/qt/serial_lines.h"
#include "platform/sim_board.h"
#include "app/file_commands.h"
#include "record/journal.h"

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
                                   QStringLiteral("I/O board: none (no board, the default), sim (the built-in "
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
    args.addOptions({board, seed, speed, listen, token});
    args.addPositionalArgument(QStringLiteral("file"), QStringLiteral("A play-data file (*.slt) to open at start."),
                               QStringLiteral("[file.slt]"));
    args.process(app);

    std::unique_ptr<tobrak::LineSource> link;
    std::unique_ptr<tobrak::HidLink> hid;
    std::unique_ptr<tobrak::Board> device;
    const QString kind = args.value(board);
    if (kind == "sim") {
        tobrak::SimOptions opt;
        bool ok = false;
        opt.seed = args.value(seed).toULongLong(&ok);
        if (!ok) return fail(QStringLiteral("--seed takes a whole number"));
        opt.speed = args.value(speed).toDouble(&ok);
        if (!ok || opt.speed <= 0 || opt.speed > 100)
            return fail(QStringLiteral("--speed takes a number from 0 to 100"));
        device = std::make_unique<tobrak::SimBoard>(opt);
    } else if (kind.startsWith(QStringLiteral("serial:"))) {
        QString path;
        qint32 baud = 0;
        if (!tobrak::qt::parseSerialBoard(kind, path, baud))
            return fail(QStringLiteral("--board serial:PATH[,BAUD], for example serial:/dev/ttyUSB0"));
        device = std::make_unique<tobrak::qt::SerialBoard>(path, baud);
    } else if (kind.startsWith(QStringLiteral("edges:"))) {
        std::string path;
        std::int32_t baud = 0;
        if (!tobrak::parsePortOption("edges", kind.toStdString(), path, baud))
            return fail(QStringLiteral("--board edges:PATH[,BAUD], for example edges:/dev/ttyACM0"));
        link = std::make_unique<tobrak::qt::SerialLines>(QString::fromStdString(path), baud);
        device = std::make_unique<tobrak::EdgeBoard>(*link);
    } else if (std::string serial; tobrak::parseUsbIoOption(kind.toStdString(), serial)) {
        hid = std::make_unique<tobrak::HidapiLink>();
        device = std::make_unique<tobrak::UsbIoBoard>(*hid, serial);
    } else if (kind != "none") {
        return fail(QStringLiteral("unknown board '%1' (choose none, sim, serial:PATH[,BAUD], edges:PATH[,BAUD] "
                                   "or usbio[:SERIAL])")
                        .arg(kind));
    }

    tobrak::qt::TobrakApp tobrakApp(device.get());
    std::unique_ptr<FirstPaintReport> firstPaint;
    if (qEnvironmentVariableIsSet("TOBRAK_FIRST_PAINT")) {
        firstPaint = std::make_unique<FirstPaintReport>(tobrakApp.main.get(),
                                                        qEnvironmentVariable("TOBRAK_FIRST_PAINT") == "quit");
        app.installEventFilter(firstPaint.get());
    }
    const QStringList files = args.positionalArguments();
    tobrakApp.start(tobrak::defaultJournalDir(), files.isEmpty() ? std::string() : files.first().toStdString());
    tobrak::qt::LiveViewWindow live(tobrakApp.program, tobrakApp.main.get());
    if (args.isSet(listen)) {
        tobrak::live::ListenAddress at;
        std::string why = tobrak::live::parseListen(args.value(listen).toStdString(), at);
        if (why.empty()) why = live.start(at, args.value(token).toStdString());
        if (!why.empty()) return fail(QString::fromStdString(why));
        QTextStream(stderr) << "live view: " << live.phoneUrl() << "\n";
    }
    return QApplication::exec();
}
