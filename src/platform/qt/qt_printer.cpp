#include "platform/qt/qt_printer.h"

#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>

#include "platform/qt/page_surface.h"

namespace tobrak::qt {

namespace {

class QtPrinter final : public Printer {
public:
    explicit QtPrinter(QWidget* parent) : parent_(parent) {}

    Start begin() override {
        reset();
        // With no printer at all there is nothing to choose; Qt would quietly
        // turn the job into a nameless PDF instead.
        if (QPrinterInfo::availablePrinters().isEmpty()) return Start::Failed;
        printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
        printer_->setPageOrientation(QPageLayout::Landscape);
        QPrintDialog dialog(printer_.get(), parent_);
        dialog.setOption(QAbstractPrintDialog::PrintToFile, false);
        if (dialog.exec() != QDialog::Accepted) return Start::Cancelled;
        if (printer_->outputFormat() != QPrinter::NativeFormat) return Start::Failed;
        painter_ = std::make_unique<QPainter>();
        if (!painter_->begin(printer_.get())) return Start::Failed;
        page_ = std::make_unique<PageSurface>(*painter_, printer_->resolution());
        return Start::Ready;
    }

    Surface& page() override { return *page_; }

    bool end() override {
        const bool ok = painter_ && painter_->end() && printer_->printerState() != QPrinter::Error;
        page_.reset();
        painter_.reset();
        return ok;
    }

    void abort() override {
        if (printer_) printer_->abort();
        reset();
    }

private:
    void reset() {
        page_.reset();
        if (painter_ && painter_->isActive()) painter_->end();
        painter_.reset();
    }

    QWidget* parent_;
    std::unique_ptr<QPrinter> printer_;
    std::unique_ptr<QPainter> painter_;
    std::unique_ptr<PageSurface> page_;
};

}  // namespace

std::unique_ptr<Printer> makeQtPrinter(QWidget* parent) { return std::make_unique<QtPrinter>(parent); }

}  // namespace tobrak::qt
