#pragma once
#include <memory>

#include "platform/printer.h"

class QWidget;

namespace tobrak::qt {

// The system's printers through Qt's print dialog.
std::unique_ptr<Printer> makeQtPrinter(QWidget* parent);

}  // namespace tobrak::qt
