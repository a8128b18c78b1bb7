#include "report.h"

#include <cstdio>

#include "stats/panel.h"

namespace tobrak::cli {

Json newReport() {
    Json j = Json::object();
    j["format"] = kJsonFormat;
    return j;
}

Json markersJson(const Markers& m) {
    return Json{{"Mark_BBs", m.Mark_BBs}, {"Mark_RBs", m.Mark_RBs}, {"Mark_BBe", m.Mark_BBe}, {"Mark_RBe", m.Mark_RBe}};
}

std::array<PageTexts, 3> showPages(Program& c) {
    std::array<PageTexts, 3> pages;
    c.panel.MenuPage = 4;
    for (auto& page : pages) {
        c.panel.menPage_Click();
        PageTexts captions;
        c.panel.panelTexts(captions, page);
    }
    return pages;
}

Json pagesJson(const std::array<PageTexts, 3>& pages) {
    Json j = Json::array();
    for (const auto& p : pages) j.push_back(Json(p));
    return j;
}

std::string hexColour(Rgb c) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%06X", static_cast<unsigned>(c & 0xFFFFFF));
    return buf;
}

}  // namespace tobrak::cli
