// `export`, `history` and `estimate`: the games as CSV, the bonus history and the
// setting estimate of a file, as the history window computes them.
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

}  // namespace

int exportCsv(const ExportArgs& a, Io& io) {
    if (const int st = refuseSameFile(a.csv, {a.file}, io)) return st;
    headless::HeadlessApp app(nullptr);
    Program& c = app.program;
    if (const int st = loadForCli(c, a.file, io)) return st;
    return writeOutput(a.csv, gamesCsv(c.rec, bonusHistory(c.rec)), io);
}

int history(const std::string& file, Io& io) {
    headless::HeadlessApp app(nullptr);
    Program& c = app.program;
    if (const int st = loadForCli(c, file, io)) return st;
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
    io.out << j.dump(2) << "\n";
    return 0;
}

int estimate(const EstimateArgs& a, Io& io) {
    MachineProfile profile = exampleProfile();
    std::string error;
    if (!a.profile.empty() && !loadProfileFile(a.profile, profile, error)) {
        io.err << kProfileErrorTitle << "\n"
               << error << "\n"
               << "bad machine profile " << a.profile << "\n";
        return 1;
    }
    headless::HeadlessApp app(nullptr);
    Program& c = app.program;
    if (const int st = loadForCli(c, a.file, io)) return st;
    const PlayCounts n = playCounts(c.rec, bonusHistory(c.rec));
    const SettingEstimate e = estimateSetting(profile, n);
    Json posterior = Json::array();
    for (int k = 0; k < kSettings; ++k) {
        const double p = e.posterior[static_cast<std::size_t>(k)];
        posterior.push_back({{"setting", k + 1}, {"probability", p}, {"percent", percentText(p)}});
    }
    Json j = newReport();
    j["profile"] = profile.name;
    j["normal_games"] = n.normalGames;
    j["bb"] = n.bb;
    j["rb"] = n.rb;
    j["small_win_games"] = n.smallWinGames;
    j["small_wins_used"] = e.smallWinsUsed;
    j["posterior"] = posterior;
    j["likeliest"] = e.likeliest + 1;
    j["expected_payout"] = e.expectedPayout;
    j["too_few"] = e.tooFew;
    j["lines"] = {{"payout", payoutLine(e)}, {"used", usedDataLine(n, e)}, {"reliability", reliabilityLine(n, e)}};
    io.out << j.dump(2) << "\n";
    return 0;
}

}  // namespace tobrak::cli
