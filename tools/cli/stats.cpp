// `stats`: a play-data file through the window's load path, then the panel's three pages.
#include <ostream>

#include "app/headless/headless_app.h"
#include "commands.h"
#include "report.h"
#include "util/text.h"

namespace tobrak::cli {

int stats(const std::string& file, Io& io) {
    headless::HeadlessApp app(nullptr);
    Program& c = app.program;
    if (const int st = loadForCli(c, file, io)) return st;
    Figures fig = c.panel.fig;
    const auto pages = sessionPages(c.cnt, &fig);
    Json j = newReport();
    j["games"] = c.rec.games();
    j["comment"] = utf16ToUtf8(c.ComData);
    j["title"] = app.ui.form.title();
    j["markers"] = markersJson(c.mark);
    j["counters"] = countersJson(c.session);
    j["figures"] = figuresJson(fig);
    j["pages"] = pagesJson(pages);
    io.out << j.dump(2) << "\n";
    return 0;
}

}  // namespace tobrak::cli
