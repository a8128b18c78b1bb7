#include "platform/qt/pdf_page.h"

#include <QBuffer>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include "platform/qt/page_surface.h"

namespace tobrak::qt {

namespace {
constexpr int kPdfDpi = 1200;
}  // namespace

QByteArray pdfPage(const std::function<void(Surface&)>& draw) {
    // Made in memory, so a failed write never leaves a cut document.
    QByteArray bytes;
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::WriteOnly)) return {};
    {
        QPdfWriter pdf(&buffer);
        pdf.setResolution(kPdfDpi);
        pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape, QMarginsF(5, 5, 5, 5),
                                      QPageLayout::Millimeter));
        pdf.setCreator(QStringLiteral("Tobrak"));
        QPainter painter;
        if (!painter.begin(&pdf)) return {};
        PageSurface page(painter, kPdfDpi);
        draw(page);
        if (!painter.end()) return {};
    }
    return bytes;
}

}  // namespace tobrak::qt
