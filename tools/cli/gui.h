#pragma once
#include <QGuiApplication>
#include <memory>

namespace tobrak::cli {

// A GUI application if none runs yet (null when one does).
std::unique_ptr<QGuiApplication> guiApp();

}  // namespace tobrak::cli
