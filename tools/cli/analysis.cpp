// `hist` and `koyaku`: the charts' figures and the small-win table of a file.
#include <cstdlib>
#include <ostream>

#include "analysis/histogram.h"
#include "analysis/koyaku.h"
#include "commands.h"
#include "platform/headless/memory_ui.h"
#include "report.h"

namespace tobrak::cli {

namespace {

const char* const kUnits[9] = {" （ゲーム）", "",        " （ゲーム）", " （枚）", " （ゲーム）", "",
                               " （ゲーム）", " （枚）", " （ゲーム）"};

}  // namespace

int hist(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::string file;
    long within = 30;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--within" && i + 1 < args.size()) {
            char* end = nullptr;
            within = std::strtol(args[++i].c_str(), &end, 10);
            if (*end || within < 1 || within > 100) return usage(err, "hist: --within takes 1 to 100");
        } else if (file.empty() && args[i].rfind("--", 0) != 0) {
            file = args[i];
        } else {
            return usage(err, "hist: unexpected argument '" + args[i] + "'");
        }
    }
    if (file.empty()) return usage(err, "hist needs FILE.slt");
    headless::HeadlessApp app(nullptr);
    Core& c = app.core;
    if (const int st = loadForCli(c, file, err)) return st;
    app.core.hist.Combo_Index = static_cast<std::int16_t>(within - 1);
    Json j = Json::object();
    for (int cmd : {0, 2, 3, 4, 6, 7, 8}) {
        Kaiseki_Click(c, cmd);
        const HistChart& ch = c.hist.chart;
        Json counts = Json::object();
        for (int v = 0; v < kHistLen; ++v)
            if (c.hist.Hist_Cnt[static_cast<std::size_t>(v)] != 0)
                counts[std::to_string(v)] = c.hist.Hist_Cnt[static_cast<std::size_t>(v)];
        Json labels = Json::array();
        for (const auto& l : app.ui.Label9) labels.push_back(l.caption());
        Json e;
        e["title"] = app.ui.Label11.caption();
        e["unit"] = kUnits[cmd];
        e["max"] = ch.Max;
        e["avg"] = ch.avg;
        e["counts"] = counts;
        e["bin_width"] = ch.W;
        e["scale"] = ch.S;
        e["bins"] = ch.bins;
        e["count_labels"] = labels;
        e["avg_text"] = ch.marker ? Json(ch.avgText) : Json(nullptr);
        if (cmd == 0 || cmd == 2) e["within"] = Json::array({app.ui.Label16[0].caption(), app.ui.Label16[1].caption()});
        j[std::to_string(cmd)] = e;
    }
    out << j.dump(2) << "\n";
    return 0;
}

int koyaku(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.size() != 1 || args[0].rfind("--", 0) == 0) return usage(err, "koyaku takes one FILE.slt");
    headless::HeadlessApp app(nullptr);
    Core& c = app.core;
    if (const int st = loadForCli(c, args[0], err)) return st;
    KoyakuDisp(c);
    Json normal = Json::array(), bb = Json::array();
    for (int k = 0; k < 16; ++k) {
        normal.push_back(app.ui.Text2[static_cast<std::size_t>(k)].caption());
        bb.push_back(app.ui.Text4[static_cast<std::size_t>(k)].caption());
    }
    out << Json{{"normal", normal}, {"bb", bb}}.dump(2) << "\n";
    return 0;
}

}  // namespace tobrak::cli
