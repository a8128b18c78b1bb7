#include "report.h"

namespace tobrak::cli {

Json newReport() {
    Json j = Json::object();
    j["format"] = kJsonFormat;
    return j;
}

Json handCountsJson(const ManualCounts& counts) {
    Json out = Json::array();
    for (const ManualCount& k : counts) out.push_back({{"name", k.name}, {"count", k.count}});
    return out;
}

Json markersJson(const Markers& m) {
    return Json{{"Mark_BBs", m.Mark_BBs}, {"Mark_RBs", m.Mark_RBs}, {"Mark_BBe", m.Mark_BBe}, {"Mark_RBe", m.Mark_RBe}};
}

std::array<PageTexts, 3> sessionPages(const Counters& cnt, Figures* fig) {
    Figures own;
    return pagesTexts(cnt, fig ? *fig : own);
}

Json pagesJson(const std::array<PageTexts, 3>& pages) {
    Json j = Json::array();
    for (const auto& p : pages) j.push_back(Json(p));
    return j;
}

}  // namespace tobrak::cli
