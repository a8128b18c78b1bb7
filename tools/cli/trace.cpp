// `trace`: every drawing operation of a procedure sequence, from the recording surface.
#include <cstdlib>
#include <ostream>

#include "analysis/histogram.h"
#include "app/filedisp.h"
#include "commands.h"
#include "graph/slump_graph.h"
#include "graph/zoom.h"
#include "platform/headless/memory_ui.h"

namespace tobrak::cli {

namespace {

bool parseInt(const std::string& s, long& v) {
    char* end = nullptr;
    v = std::strtol(s.c_str(), &end, 10);
    return !s.empty() && end && *end == '\0';
}

int traceGraph(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::string file;
    long scroll = 0;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--scroll" && i + 1 < args.size()) {
            if (!parseInt(args[++i], scroll) || scroll < 0 || scroll % 1000 != 0 || scroll > 1000000)
                return usage(err, "trace graph: --scroll takes a multiple of 1000");
        } else if (file.empty() && args[i].rfind("--", 0) != 0) {
            file = args[i];
        } else {
            return usage(err, "trace graph: unexpected argument '" + args[i] + "'");
        }
    }
    if (file.empty()) return usage(err, "trace graph needs FILE.slt");
    headless::HeadlessApp app(nullptr);
    Core& c = app.core;
    if (const int st = loadForCli(c, file, err)) return st;
    headless::RecordingSurface& s = app.ui.Picture2s;
    s.ops.clear();
    c.graph.Ghp_Scroll = static_cast<std::int32_t>(-scroll);
    GhpStandardRedraw(c);
    for (const std::string& op : s.ops) out << op << "\n";
    return 0;
}

int traceZoom(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::string file;
    long factor = 0;
    bool centred = false;
    float cx = 0, cy = 0;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--factor" && i + 1 < args.size()) {
            if (!parseInt(args[++i], factor) || (factor != 3 && factor != 5 && factor != 10))
                return usage(err, "trace zoom: --factor takes 3, 5 or 10");
        } else if (args[i] == "--center" && i + 1 < args.size()) {
            const std::string& v = args[++i];
            const auto comma = v.find(',');
            char* end = nullptr;
            if (comma == std::string::npos) return usage(err, "trace zoom: --center takes X,Y");
            const std::string xs = v.substr(0, comma), ys = v.substr(comma + 1);
            cx = std::strtof(xs.c_str(), &end);
            if (*end || xs.empty()) return usage(err, "trace zoom: --center takes X,Y");
            cy = std::strtof(ys.c_str(), &end);
            if (*end || ys.empty()) return usage(err, "trace zoom: --center takes X,Y");
            centred = true;
        } else if (file.empty() && args[i].rfind("--", 0) != 0) {
            file = args[i];
        } else {
            return usage(err, "trace zoom: unexpected argument '" + args[i] + "'");
        }
    }
    if (file.empty() || factor == 0) return usage(err, "trace zoom needs FILE.slt and --factor 3|5|10");
    headless::HeadlessApp app(nullptr);
    Core& c = app.core;
    if (const int st = loadForCli(c, file, err)) return st;
    if (centred) Sub_Sub1(c, cx, cy);
    app.ui.Zoom.ops.clear();
    G_zoom_Click(c, factor == 3 ? 0 : factor == 5 ? 1 : 2);
    for (const std::string& op : app.ui.Zoom.ops) out << op << "\n";
    return 0;
}

int traceHist(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    long n = -1;
    if (args.size() != 2 || !parseInt(args[1], n) ||
        (n != 0 && n != 2 && n != 3 && n != 4 && n != 6 && n != 7 && n != 8))
        return usage(err, "trace hist FILE.slt N, N one of 0 2 3 4 6 7 8");
    headless::HeadlessApp app(nullptr);
    Core& c = app.core;
    if (const int st = loadForCli(c, args[0], err)) return st;
    app.ui.Picture2s.ops.clear();
    Kaiseki_Click(c, static_cast<int>(n));
    for (const std::string& op : app.ui.Picture2s.ops) out << op << "\n";
    return 0;
}

}  // namespace

int trace(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.empty()) return usage(err, "trace needs graph, zoom, hist or print");
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    if (args[0] == "graph") return traceGraph(rest, out, err);
    if (args[0] == "zoom") return traceZoom(rest, out, err);
    if (args[0] == "hist") return traceHist(rest, out, err);
    if (args[0] == "print") return tracePrint(rest, out, err);
    return usage(err, "trace " + args[0] + " is not available");
}

}  // namespace tobrak::cli
