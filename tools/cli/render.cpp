// `render`: the main graph as the window shows it after a load, as a PNG.
#include <ostream>

#include "app/headless/headless_app.h"
#include "app/qt/live_graph.h"
#include "commands.h"
#include "gui.h"
#include "util/durable_file.h"

namespace tobrak::cli {

int render(const RenderArgs& a, Io& io) {
    if (const int st = refuseSameFile(a.png, {a.file}, io)) return st;
    const auto app = guiApp();
    // Loaded as the window loads it, so a refused file is told the same way.
    headless::HeadlessApp headless(nullptr);
    Program& c = headless.program;
    if (const int st = expectedLineFor(a.expected, c, io)) return st;
    if (const int st = loadForCli(c, a.file, io)) return st;
    const std::string png = qt::graphPngAt(c.session.image(), 0, c.graph.expectedRate);
    if (png.empty()) return fileError(io.err, "cannot write " + a.png);
    return writeOutput(a.png, png, io);
}

}  // namespace tobrak::cli
