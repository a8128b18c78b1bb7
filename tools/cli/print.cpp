// `print --pdf`: the printed report as a one-page landscape PDF; `trace print`:
// its drawing operations.
#include <QBuffer>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <cstdlib>
#include <ostream>

#include "commands.h"
#include "gui.h"
#include "platform/headless/memory_ui.h"
#include "platform/qt/page_surface.h"
#include "print/print_report.h"
#include "stats/panel.h"
#include "util/durable_file.h"

namespace tobrak::cli {

namespace {

constexpr int kPdfDpi = 1200;

struct PrintArgs {
    std::string file, pdf;
    long page = 0;
};

// FILE.slt [--pdf OUT.pdf] [--page P]; 0 when they are fine.
int parse(const std::vector<std::string>& args, bool wantPdf, PrintArgs& a, std::ostream& err) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--page" && i + 1 < args.size()) {
            char* end = nullptr;
            a.page = std::strtol(args[++i].c_str(), &end, 10);
            if (*end || a.page < 0 || a.page > 2) return usage(err, "--page takes 0, 1 or 2");
        } else if (wantPdf && args[i] == "--pdf" && i + 1 < args.size()) {
            a.pdf = args[++i];
        } else if (a.file.empty() && args[i].rfind("--", 0) != 0) {
            a.file = args[i];
        } else {
            return usage(err, "unexpected argument '" + args[i] + "'");
        }
    }
    if (a.file.empty() || (wantPdf && a.pdf.empty()))
        return usage(err, wantPdf ? "print FILE.slt --pdf OUT.pdf [--page P]" : "trace print FILE.slt [--page P]");
    return 0;
}

// Loads the file and turns the panel to page P, as the user would before printing.
int prepare(headless::HeadlessApp& app, const PrintArgs& a, std::ostream& err) {
    if (const int st = loadForCli(app.core, a.file, err)) return st;
    for (long i = 0; i < a.page; ++i) menPage_Click(app.core);
    return 0;
}

}  // namespace

int printPdf(const std::vector<std::string>& args, std::ostream& err) {
    PrintArgs a;
    if (const int st = parse(args, true, a, err)) return st;
    const auto app = guiApp();
    headless::HeadlessApp headless(nullptr);
    if (const int st = prepare(headless, a, err)) return st;
    // Made in memory, then written whole: a failed write never leaves a cut document.
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter pdf(&buffer);
    pdf.setResolution(kPdfDpi);
    pdf.setPageLayout(
        QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape, QMarginsF(5, 5, 5, 5), QPageLayout::Millimeter));
    pdf.setCreator(QStringLiteral("Tobrak"));
    QPainter painter;
    if (!painter.begin(&pdf)) return fileError(err, "cannot write " + a.pdf);
    qt::PageSurface page(painter, kPdfDpi);
    printReport(headless.core, page);
    if (!painter.end()) return fileError(err, "cannot write " + a.pdf);
    if (const fileio::Error e = fileio::writeDurably(a.pdf, bytes.constData(), static_cast<std::size_t>(bytes.size())))
        return fileError(err, e.message);
    return 0;
}

int tracePrint(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    PrintArgs a;
    if (const int st = parse(args, false, a, err)) return st;
    headless::HeadlessApp headless(nullptr);
    if (const int st = prepare(headless, a, err)) return st;
    headless::RecordingSurface page;
    printReport(headless.core, page);
    for (const std::string& op : page.ops) out << op << "\n";
    return 0;
}

}  // namespace tobrak::cli
