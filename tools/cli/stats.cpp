// `stats`: a play-data file through the window's load path, then the panel's three pages.
#include <ostream>

#include "commands.h"
#include "platform/headless/memory_ui.h"
#include "report.h"
#include "util/text.h"

namespace tobrak::cli {

int stats(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.size() != 1 || args[0].rfind("--", 0) == 0) return usage(err, "stats takes one FILE.slt");
    headless::HeadlessApp app(nullptr);
    Core& c = app.core;
    if (const int st = loadForCli(c, args[0], err)) return st;
    const auto pages = showPages(c);
    Json j;
    j["games"] = c.rec.games();
    j["comment"] = utf16ToUtf8(c.fd.ComData);
    j["title"] = app.ui.form.title();
    j["markers"] = markersJson(c.mark);
    j["counters"] = countersJson(c);
    j["figures"] = figuresJson(c.fig);
    j["pages"] = pagesJson(pages);
    out << j.dump(2) << "\n";
    return 0;
}

}  // namespace tobrak::cli
