// `hist` and `koyaku`: the charts' figures and the small-win table of a file.
#include <ostream>

#include "analysis/histogram.h"
#include "analysis/koyaku.h"
#include "app/headless/headless_app.h"
#include "commands.h"
#include "report.h"

namespace tobrak::cli {

namespace {

const char* const kUnits[9] = {" （ゲーム）", "",        " （ゲーム）", " （枚）", " （ゲーム）", "",
                               " （ゲーム）", " （枚）", " （ゲーム）"};

}  // namespace

int hist(const HistArgs& a, Io& io) {
    headless::HeadlessApp app(nullptr);
    Program& c = app.program;
    if (const int st = loadForCli(c, a.file, io)) return st;
    app.program.analysis.Combo_Index = static_cast<std::int16_t>(a.within - 1);
    Json j = newReport();
    for (int cmd : {0, 2, 3, 4, 6, 7, 8}) {
        Kaiseki_Click(c, cmd);
        const HistChart& ch = c.analysis.chart;
        Json counts = Json::object();
        for (int v = 0; v < kHistLen; ++v)
            if (c.analysis.Hist_Cnt[static_cast<std::size_t>(v)] != 0)
                counts[std::to_string(v)] = c.analysis.Hist_Cnt[static_cast<std::size_t>(v)];
        Json e;
        e["title"] = ch.title;
        e["unit"] = kUnits[cmd];
        e["max"] = ch.Max;
        e["avg"] = shortest(ch.avg);
        e["counts"] = counts;
        e["bin_width"] = shortest(ch.W);
        e["scale"] = shortest(ch.S);
        e["bins"] = ch.bins;
        e["count_labels"] = ch.countLabels;
        e["avg_text"] = ch.marker ? Json(ch.avgText) : Json(nullptr);
        if (cmd == 0 || cmd == 2) {
            e["within"] = ch.withinTexts;
            const Within w = c.analysis.withinCount(a.within);
            e["within_count"] = w.count;
            e["within_percent"] = w.percent;
        }
        j[std::to_string(cmd)] = e;
    }
    io.out << j.dump(2) << "\n";
    return 0;
}

int koyaku(const std::string& file, Io& io) {
    headless::HeadlessApp app(nullptr);
    Program& c = app.program;
    if (const int st = loadForCli(c, file, io)) return st;
    c.koyaku.KoyakuDisp();
    // The counts behind the percentages.
    const SmallWinCounts n = smallWinCounts(c.rec);
    Json j = newReport();
    j["normal"] = c.koyaku.normalTexts;
    j["bb"] = c.koyaku.bbTexts;
    j["normal_counts"] = n.normal;
    j["bb_counts"] = n.bb;
    j["normal_games"] = n.normalGames;
    j["bb_games"] = n.bbGames;
    io.out << j.dump(2) << "\n";
    return 0;
}

}  // namespace tobrak::cli
