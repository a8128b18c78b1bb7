#include "library/library_json.h"

#include <cmath>

namespace tobrak {

namespace {

using Json = nlohmann::ordered_json;

template <class T>
Json optJson(const std::optional<T>& v) {
    return v ? Json(*v) : Json();
}

}  // namespace

Json timeJson(const std::optional<WallTime>& t) { return t ? Json(isoTime(*t)) : Json(); }

Json sessionRowJson(const SessionRow& r) {
    const auto perHour = r.yenPerHour();
    return {{"id", r.id},
            {"start", isoTime(r.start)},
            {"end", timeJson(r.end)},
            {"machine", r.machine},
            {"hall", r.hall},
            {"number", r.number},
            {"profile", r.profile},
            {"board", r.board},
            {"comment", r.comment},
            {"source", r.source},
            {"games", r.games},
            {"normal_games", r.normalGames},
            {"bb", r.bb},
            {"rb", r.rb},
            {"combined", optJson(r.combined())},
            {"balance", r.balance()},
            {"medals_in", r.medalsIn},
            {"medals_out", r.medalsOut},
            {"invest_yen", r.investYen},
            {"collect_medals", optJson(r.collectMedals)},
            {"collect_yen", optJson(r.collectYen)},
            {"income_yen", optJson(r.income())},
            {"yen_per_hour", perHour ? Json(std::llround(*perHour)) : Json()},
            {"open", r.open},
            {"deleted", r.deletedAtMs.has_value()}};
}

Json totalsRowJson(const TotalsRow& t) {
    return {{"key", t.key},
            {"sessions", t.sessions},
            {"games", t.games},
            {"bb", t.bb},
            {"rb", t.rb},
            {"balance", t.balance()},
            {"income_yen", t.income},
            {"income_sessions", t.incomeSessions},
            {"machine_rate", optJson(t.machineRate())}};
}

std::string todaySessionsJson(Library& lib, const WallTime& now) {
    ListFilter f;
    f.day = isoTime(now).substr(0, 10);
    Json rows = Json::array();
    for (const SessionRow& r : lib.list(f)) rows.push_back(sessionRowJson(r));
    TotalsRow sum;
    sum.key = f.day;
    for (const TotalsRow& t : lib.totals(TotalsBy::Day, f)) sum = t;  // one day: one row at most
    Json j = {{"format", 1}, {"library", true}, {"day", f.day}};
    j["sessions"] = std::move(rows);
    j["totals"] = totalsRowJson(sum);
    return j.dump();
}

std::string noLibraryJson() { return R"({"format":1,"library":false,"sessions":[],"totals":null})"; }

}  // namespace tobrak
