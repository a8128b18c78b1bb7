#pragma once
#include <QGuiApplication>
#include <memory>

namespace tobrak::cli {

// A GUI application if none runs yet (null when one does).
std::unique_ptr<QGuiApplication> guiApp();
// An application object without a GUI (serial ports, device lists) if none runs yet.
std::unique_ptr<QCoreApplication> coreApp();

}  // namespace tobrak::cli
