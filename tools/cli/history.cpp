// `export`, `history` and `estimate`: the games as CSV, the bonus history and the
// setting estimate of a file, as the history window computes them.
#include <fstream>
#include <ostream>

#include "analysis/estimate.h"
#include "analysis/histogram.h"
#include "analysis/history.h"
#include "commands.h"
#include "platform/headless/memory_ui.h"
#include "report.h"
#include "util/durable_file.h"
#include "util/paths.h"

namespace tobrak::cli {

namespace {

// FILE.slt plus the named options that take a value; false on anything else.
bool parseArgs(const std::vector<std::string>& args, std::string& file,
               std::vector<std::pair<std::string, std::string*>> options) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        bool taken = false;
        for (auto& [name, value] : options)
            if (args[i] == name && i + 1 < args.size() && value->empty()) {
                *value = args[++i];
                taken = true;
            }
        if (taken) continue;
        if (!file.empty() || args[i].rfind("--", 0) == 0) return false;
        file = args[i];
    }
    return !file.empty();
}

Json oddsJson(std::int64_t games, const BonusHistory& h) {
    return Json{{"games", games},
                {"bb", oddsText(games, h.bb)},
                {"rb", oddsText(games, h.rb)},
                {"combined", oddsText(games, static_cast<std::int64_t>(h.bb) + h.rb)}};
}

}  // namespace

int exportCsv(const std::vector<std::string>& args, std::ostream& err) {
    std::string file, csv;
    if (!parseArgs(args, file, {{"--csv", &csv}}) || csv.empty())
        return usage(err, "export takes FILE.slt --csv OUT.csv");
    headless::HeadlessApp app(nullptr);
    Core& c = app.core;
    if (const int st = loadForCli(c, file, err)) return st;
    const std::string text = gamesCsv(c.rec, bonusHistory(c.rec));
    if (const fileio::Error e = fileio::writeDurably(csv, text.data(), text.size())) return fileError(err, e.message);
    return 0;
}

int history(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.size() != 1 || args[0].rfind("--", 0) == 0) return usage(err, "history takes one FILE.slt");
    headless::HeadlessApp app(nullptr);
    Core& c = app.core;
    if (const int st = loadForCli(c, args[0], err)) return st;
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
    Json j;
    j["games"] = h.games;
    j["normal_games"] = h.normalGames;
    j["bb"] = h.bb;
    j["rb"] = h.rb;
    j["probability"] = {{"all", oddsJson(h.games, h)}, {"normal", oddsJson(h.normalGames, h)}};
    j["lines"] = {app.ui.probAll.caption(), app.ui.probNormal.caption()};
    j["header"] = app.ui.historyTable.header;
    j["rows"] = app.ui.historyTable.rows;
    j["bonuses"] = bonuses;
    out << j.dump(2) << "\n";
    return 0;
}

int estimate(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::string file, profilePath;
    if (!parseArgs(args, file, {{"--profile", &profilePath}}))
        return usage(err, "estimate takes FILE.slt [--profile P.json]");
    MachineProfile profile = exampleProfile();
    std::string error;
    if (!profilePath.empty() && !loadProfileFile(profilePath, profile, error)) {
        err << kProfileErrorTitle << "\n"
            << error << "\n"
            << "bad machine profile " << profilePath << "\n";
        return 1;
    }
    headless::HeadlessApp app(nullptr);
    Core& c = app.core;
    if (const int st = loadForCli(c, file, err)) return st;
    const PlayCounts n = playCounts(c.rec, bonusHistory(c.rec));
    const SettingEstimate e = estimateSetting(profile, n);
    Json posterior = Json::array();
    for (int k = 0; k < kSettings; ++k) {
        const double p = e.posterior[static_cast<std::size_t>(k)];
        posterior.push_back({{"setting", k + 1}, {"probability", p}, {"percent", percentText(p)}});
    }
    Json j;
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
    out << j.dump(2) << "\n";
    return 0;
}

}  // namespace tobrak::cli
