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
    if (const int st = loadForCli(headless.program, a.file, io)) return st;
    const std::string png = qt::graphPng(headless.program.session.image());
    if (png.empty()) return fileError(io.err, "cannot write " + a.png);
    return writeOutput(a.png, png, io);
}

}  // namespace tobrak::cli
