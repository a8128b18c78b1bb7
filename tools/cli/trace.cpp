// `trace`: every drawing operation of a procedure sequence, from the recording surface.
#include <ostream>

#include "analysis/histogram.h"
#include "app/filedisp.h"
#include "app/headless/headless_app.h"
#include "commands.h"
#include "graph/slump_graph.h"
#include "graph/zoom.h"

namespace tobrak::cli {

namespace {

void print(const std::vector<std::string>& ops, std::ostream& out) {
    for (const std::string& op : ops) out << op << "\n";
}

}  // namespace

int traceGraph(const TraceArgs& a, Io& io) {
    headless::HeadlessApp app(nullptr);
    Program& c = app.program;
    if (const int st = expectedLineFor(a.expected, c, io)) return st;
    if (const int st = loadForCli(c, a.file, io)) return st;
    headless::RecordingSurface& s = app.ui.Picture2s;
    s.ops.clear();
    c.graph.Ghp_Scroll = static_cast<std::int32_t>(-a.scroll);
    c.graph.GhpStandardRedraw();
    print(s.ops, io.out);
    return 0;
}

int traceZoom(const TraceArgs& a, Io& io) {
    headless::HeadlessApp app(nullptr);
    Program& c = app.program;
    if (const int st = expectedLineFor(a.expected, c, io)) return st;
    if (const int st = loadForCli(c, a.file, io)) return st;
    if (a.centred) c.zoom.Sub_Sub1(a.cx, a.cy);
    app.ui.Zoom.ops.clear();
    c.zoom.G_zoom_Click(a.factor == 3 ? 0 : a.factor == 5 ? 1 : 2);
    print(app.ui.Zoom.ops, io.out);
    return 0;
}

int traceHist(const TraceArgs& a, Io& io) {
    headless::HeadlessApp app(nullptr);
    Program& c = app.program;
    if (const int st = loadForCli(c, a.file, io)) return st;
    app.ui.Picture2s.ops.clear();
    Kaiseki_Click(c, a.chart);
    print(app.ui.Picture2s.ops, io.out);
    return 0;
}

}  // namespace tobrak::cli
