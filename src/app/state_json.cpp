#include "app/state_json.h"

#include <charconv>
#include <cstdlib>

namespace tobrak {

using Json = nlohmann::ordered_json;

double shortest(float f) {
    char buf[32];
    const auto r = std::to_chars(buf, buf + sizeof buf - 1, f);
    *r.ptr = '\0';
    return std::strtod(buf, nullptr);
}

Json countersJson(const Session& s) {
    Json j = Json::object();
#define TOBRAK_JSON(n) j[#n] = s.cnt.n;
    TOBRAK_COUNTERS(TOBRAK_JSON)
#undef TOBRAK_JSON
    j["BBGame_On"] = s.BBGame_On;
    j["RBGame_On"] = s.RBGame_On;
    j["DaiBB_On"] = s.DaiBB_On;
    j["DaiRB_On"] = s.DaiRB_On;
    return j;
}

Json figuresJson(const Figures& f) {
    return Json{{"Payout_Rate", shortest(f.Payout_Rate)}, {"Slump_Rate", shortest(f.Slump_Rate)},
                {"BB_IntvAvg", shortest(f.BB_IntvAvg)},   {"BB_GainAvg", shortest(f.BB_GainAvg)},
                {"BB_GameAvg", shortest(f.BB_GameAvg)},   {"RB_IntvAvg", shortest(f.RB_IntvAvg)},
                {"RB_GainAvg", shortest(f.RB_GainAvg)},   {"RB_GameAvg", shortest(f.RB_GameAvg)}};
}

}  // namespace tobrak
