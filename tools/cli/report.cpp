#include "report.h"

#include <charconv>
#include <cstdio>
#include <cstdlib>

#include "stats/panel.h"

namespace tobrak::cli {

Json newReport() {
    Json j = Json::object();
    j["format"] = kJsonFormat;
    return j;
}

double shortest(float f) {
    char buf[32];
    const auto r = std::to_chars(buf, buf + sizeof buf - 1, f);
    *r.ptr = '\0';
    return std::strtod(buf, nullptr);
}

Json countersJson(const Program& c) {
    Json j = Json::object();
#define TOBRAK_JSON(n) j[#n] = c.cnt.n;
    TOBRAK_COUNTERS(TOBRAK_JSON)
#undef TOBRAK_JSON
    j["BBGame_On"] = c.acq.BBGame_On;
    j["RBGame_On"] = c.acq.RBGame_On;
    j["DaiBB_On"] = c.acq.DaiBB_On;
    j["DaiRB_On"] = c.acq.DaiRB_On;
    return j;
}

Json figuresJson(const Figures& f) {
    return Json{{"Payout_Rate", shortest(f.Payout_Rate)}, {"Slump_Rate", shortest(f.Slump_Rate)},
                {"BB_IntvAvg", shortest(f.BB_IntvAvg)},   {"BB_GainAvg", shortest(f.BB_GainAvg)},
                {"BB_GameAvg", shortest(f.BB_GameAvg)},   {"RB_IntvAvg", shortest(f.RB_IntvAvg)},
                {"RB_GainAvg", shortest(f.RB_GainAvg)},   {"RB_GameAvg", shortest(f.RB_GameAvg)}};
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
