// A GUI application for the commands that draw into images or PDF files; with
// no display it draws offscreen (on Windows the system's own platform needs none).
#include "gui.h"

#include <QDir>
#include <QFile>

#include "platform/qt/fonts.h"

namespace tobrak::cli {

namespace {
int argc = 1;
char name[] = "tobrak-cli";
char* argv[] = {name, nullptr};
}  // namespace

std::unique_ptr<QCoreApplication> coreApp() {
    if (QCoreApplication::instance()) return nullptr;
    return std::make_unique<QCoreApplication>(argc, argv);
}

std::unique_ptr<QGuiApplication> guiApp() {
    if (QGuiApplication::instance()) return nullptr;
#ifndef _WIN32
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        // What Qt would pick itself, made quietly.
        const QString dir = QDir::tempPath() + "/runtime-tobrak-cli";
        QDir().mkpath(dir);
        QFile::setPermissions(dir, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", dir.toLocal8Bit());
    }
#endif
    auto app = std::make_unique<QGuiApplication>(argc, argv);
    qt::installFonts();
    return app;
}

}  // namespace tobrak::cli
