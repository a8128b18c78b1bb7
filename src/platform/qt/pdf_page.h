#pragma once
// One landscape A4 page as a PDF document, made in memory: the printed report's
// page for `tobrak-cli print --pdf` and for the window when no printer takes it.
#include <QByteArray>
#include <functional>

#include "platform/surface.h"

namespace tobrak::qt {

// `draw` draws the page in twips from the printable area's top-left corner.
// Empty when the document could not be made. Needs a QGuiApplication.
QByteArray pdfPage(const std::function<void(Surface&)>& draw);

}  // namespace tobrak::qt
