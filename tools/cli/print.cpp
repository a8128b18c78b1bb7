// `print --pdf`: the printed report as a one-page landscape PDF; `trace print`:
// its drawing operations.
#include <ostream>

#include "app/headless/headless_app.h"
#include "commands.h"
#include "gui.h"
#include "platform/qt/pdf_page.h"
#include "print/print_report.h"
#include "stats/panel.h"
#include "util/durable_file.h"

namespace tobrak::cli {

namespace {

// Loads the file and turns the panel to page P, as the user would before printing.
int prepare(headless::HeadlessApp& app, const std::string& file, int page, Io& io) {
    if (const int st = loadForCli(app.program, file, io)) return st;
    for (int i = 0; i < page; ++i) app.program.panel.menPage_Click();
    return 0;
}

}  // namespace

int printPdf(const PrintArgs& a, Io& io) {
    if (const int st = refuseSameFile(a.pdf, {a.file}, io)) return st;
    const auto app = guiApp();
    headless::HeadlessApp headless(nullptr);
    if (const int st = expectedLineFor(a.expected, headless.program, io)) return st;
    if (const int st = prepare(headless, a.file, a.page, io)) return st;
    const PrintSource src = headless.program.printSource();
    const QByteArray bytes = qt::pdfPage([&](Surface& page) { printReport(page, src); });
    if (bytes.isEmpty()) return fileError(io.err, "cannot write " + a.pdf);
    return writeOutput(a.pdf, std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())), io);
}

int tracePrint(const TraceArgs& a, Io& io) {
    headless::HeadlessApp headless(nullptr);
    if (const int st = expectedLineFor(a.expected, headless.program, io)) return st;
    if (const int st = prepare(headless, a.file, a.page, io)) return st;
    headless::RecordingSurface page;
    printReport(page, headless.program.printSource());
    for (const std::string& op : page.ops) io.out << op << "\n";
    return 0;
}

}  // namespace tobrak::cli
