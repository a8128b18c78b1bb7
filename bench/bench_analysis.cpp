// The analysis commands and the printed report.
#include <QBuffer>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include "analysis/histogram.h"
#include "fixture.h"
#include "platform/qt/page_surface.h"
#include "print/print_report.h"

namespace tobrak::bench {

namespace {

// One chart command (0, 2, 3, 4, 6, 7, 8) on the Qt surface.
void BM_Chart(benchmark::State& st) {
    Started p(Surfaces::Qt);
    if (!p.load(st, static_cast<int>(st.range(0)))) return;
    const int command = static_cast<int>(st.range(1));
    for (auto _ : st) {
        Kaiseki_Click(p.program(), command);
        p.finish();
    }
}
BENCHMARK(BM_Chart)->ArgsProduct({kGames, {0, 2, 3, 4, 6, 7, 8}})->Unit(benchmark::kMicrosecond);

// The small-win table (command 10): both columns recomputed and written.
void BM_SmallWinTable(benchmark::State& st) {
    Started p(Surfaces::Qt);
    if (!p.load(st, static_cast<int>(st.range(0)))) return;
    for (auto _ : st) Kaiseki_Click(p.program(), 10);
}
BENCHMARK(BM_SmallWinTable)->ArgsProduct({kGames})->Unit(benchmark::kMicrosecond);

// The printed report as a one-page A4 landscape PDF at 1200 dpi, written to memory.
void BM_PrintPdf(benchmark::State& st) {
    Started p(Surfaces::Recording);
    if (!p.load(st, static_cast<int>(st.range(0)))) return;
    std::int64_t bytes = 0;
    for (auto _ : st) {
        QBuffer out;
        out.open(QIODevice::WriteOnly);
        QPdfWriter pdf(&out);
        pdf.setResolution(1200);
        pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape, QMarginsF(5, 5, 5, 5),
                                      QPageLayout::Millimeter));
        QPainter painter(&pdf);
        qt::PageSurface page(painter, 1200);
        printReport(page, p.program().printSource());
        painter.end();
        bytes = out.size();
    }
    st.counters["pdf_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_PrintPdf)->ArgsProduct({kGames})->Unit(benchmark::kMillisecond);

}  // namespace

}  // namespace tobrak::bench
