// `export`, `history` and `estimate`: the games as CSV, the bonus history and the
// setting estimate of a file, as the history window computes them.
#include <algorithm>
#include <ostream>

#include "analysis/histogram.h"
#include "app/headless/headless_app.h"
#include "commands.h"
#include "counts/bonus_history.h"
#include "counts/estimate.h"
#include "report.h"

namespace tobrak::cli {

namespace {

// The x of "1/x": games per hit, null where the text is "-".
Json perHit(std::int64_t games, std::int64_t hits) {
    return hits <= 0 || games <= 0 ? Json(nullptr) : Json(static_cast<double>(games) / static_cast<double>(hits));
}

Json oddsJson(std::int64_t games, const BonusHistory& h) {
    const std::int64_t both = static_cast<std::int64_t>(h.bb) + h.rb;
    return Json{{"games", games},
                {"bb", oddsText(games, h.bb)},
                {"rb", oddsText(games, h.rb)},
                {"combined", oddsText(games, both)},
                {"bb_games_per_hit", perHit(games, h.bb)},
                {"rb_games_per_hit", perHit(games, h.rb)},
                {"combined_games_per_hit", perHit(games, both)}};
}

// The counts of --count: 2 for a counter given twice, 1 for a name the profile lacks.
int countsFor(const std::vector<std::string>& given, const MachineProfile& profile, ManualCounts& out, Io& io) {
    for (const std::string& v : given) {
        std::string name;
        std::int32_t count = 0;
        parseCount(v, name, count);  // checked when the options were parsed
        if (std::ranges::find(out, name, &ManualCount::name) != out.end()) {
            io.err << "tobrak-cli: --count " << name << " is given twice\n";
            return 2;
        }
        out.push_back({name, count});
    }
    for (const auto& [name, count] : out) {
        if (std::ranges::find(profile.counters, name) != profile.counters.end()) continue;
        std::string names;
        for (const std::string& n : profile.counters) names += (names.empty() ? "" : ", ") + n;
        io.err << "小役カウンター「" << name << "」は機種データ「" << profile.name << "」にありません\n"
               << "unknown counter " << name << ": "
               << (names.empty() ? "the profile has no counters" : "the profile's counters are " + names) << "\n";
        return 1;
    }
    return 0;
}

Json estimateJson(const MachineProfile& profile, const PlayCounts& n) {
    const SettingEstimate e = estimateSetting(profile, n);
    auto perSetting = [](auto value) {
        Json a = Json::array();
        for (int k = 0; k < kSettings; ++k) a.push_back(value(static_cast<std::size_t>(k)));
        return a;
    };
    Json posterior = Json::array();
    for (int k = 0; k < kSettings; ++k) {
        const double p = e.posterior[static_cast<std::size_t>(k)];
        posterior.push_back({{"setting", k + 1}, {"probability", p}, {"percent", percentText(p)}});
    }
    Json counters = Json::array(), counterLines = Json::array();
    for (const CounterEffect& c : e.counters) {
        const auto i = static_cast<std::size_t>(c.index);
        counters.push_back(
            {{"name", c.name},
             {"count", c.count},
             {"games", c.games},
             {"games_per_hit", perHit(c.games, c.count)},
             {"rates", perSetting([&](std::size_t k) { return profile.settings[k].counters[i]; })},
             {"posterior_without", perSetting([&](std::size_t k) { return c.without[k]; })},
             {"shift", perSetting([&](std::size_t k) { return counterShift(e, c, static_cast<int>(k)); })}});
        counterLines.push_back(counterLine(e, c));
    }
    Json j;
    j["profile"] = profile.name;
    j["normal_games"] = n.normalGames;
    j["bb"] = n.bb;
    j["rb"] = n.rb;
    j["small_win_games"] = n.smallWinGames;
    j["small_wins_used"] = e.smallWinsUsed;
    j["counters"] = counters;
    j["posterior"] = posterior;
    j["likeliest"] = e.likeliest + 1;
    j["expected_payout"] = e.expectedPayout;
    j["too_few"] = e.tooFew;
    j["lines"] = {{"payout", payoutLine(e)},
                  {"used", usedDataLine(n, e)},
                  {"reliability", reliabilityLine(n, e)},
                  {"counters", counterLines}};
    return j;
}

}  // namespace

int expectedLineFor(const ExpectedArgs& a, Program& c, Io& io) {
    if (!a.given || !a.given()) return 0;
    if (const int st = profileFor(a.profile, c.profile, io)) return st;
    c.expected = {true, a.setting};
    return 0;
}

bool parseCount(const std::string& v, std::string& name, std::int32_t& count) {
    const auto eq = v.rfind('=');
    if (eq == std::string::npos || eq == 0) return false;
    const std::string digits = v.substr(eq + 1);
    if (digits.empty() || digits.size() > 9 ||
        !std::all_of(digits.begin(), digits.end(), [](char ch) { return ch >= '0' && ch <= '9'; }))
        return false;
    name = v.substr(0, eq);
    count = std::stoi(digits);  // nine digits at most: within 32 bits
    return true;
}

int exportCsv(const ExportArgs& a, Io& io) {
    if (const int st = refuseSameFile(a.csv, {a.file}, io)) return st;
    headless::HeadlessApp app(nullptr);
    Program& c = app.program;
    if (const int st = loadForCli(c, a.file, io)) return st;
    return writeOutput(a.csv, gamesCsv(c.rec, bonusHistory(c.rec)), io);
}

int history(const EstimateArgs& a, Io& io) {
    MachineProfile profile;
    ManualCounts manual;
    const bool estimated = !a.profile.empty() || !a.counts.empty();
    if (estimated) {
        if (const int st = profileFor(a.profile, profile, io)) return st;
        if (const int st = countsFor(a.counts, profile, manual, io)) return st;
    }
    headless::HeadlessApp app(nullptr);
    Program& c = app.program;
    if (const int st = loadForCli(c, a.file, io)) return st;
    const BonusHistory h = bonusHistory(c.rec);
    Json bonuses = Json::array();
    for (const BonusEntry& e : h.bonuses)
        bonuses.push_back({{"number", e.number},
                           {"kind", e.kind == Bonus::BB ? "BB" : "RB"},
                           {"interval", e.interval},
                           {"kind_interval", e.kindInterval},
                           {"games_at_hit", e.gamesAtHit},
                           {"normal_games_at_hit", e.normalAtHit},
                           {"games", e.games},
                           {"net", e.net},
                           {"chained", e.chained},
                           {"running", e.running}});
    // The window's own texts, from the same record.
    Kaiseki_Click(c, 12);
    Json j = newReport();
    j["games"] = h.games;
    j["normal_games"] = h.normalGames;
    j["bb"] = h.bb;
    j["rb"] = h.rb;
    j["probability"] = {{"all", oddsJson(h.games, h)}, {"normal", oddsJson(h.normalGames, h)}};
    j["lines"] = {probabilityLine(h, false), probabilityLine(h, true)};
    j["header"] = app.ui.historyTable.header;
    j["rows"] = app.ui.historyTable.rows;
    j["bonuses"] = bonuses;
    if (estimated) {
        PlayCounts n = playCounts(c.rec, h);
        n.manual = manual;
        j["estimate"] = estimateJson(profile, n);
    }
    io.out << j.dump(2) << "\n";
    return 0;
}

int estimate(const EstimateArgs& a, Io& io) {
    MachineProfile profile;
    ManualCounts manual;
    if (const int st = profileFor(a.profile, profile, io)) return st;
    if (const int st = countsFor(a.counts, profile, manual, io)) return st;
    headless::HeadlessApp app(nullptr);
    Program& c = app.program;
    if (const int st = loadForCli(c, a.file, io)) return st;
    PlayCounts n = playCounts(c.rec, bonusHistory(c.rec));
    n.manual = manual;
    Json j = newReport();
    j.update(estimateJson(profile, n));
    io.out << j.dump(2) << "\n";
    return 0;
}

}  // namespace tobrak::cli
