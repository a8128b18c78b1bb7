#include "counts/estimate.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "counts/small_wins.h"
#include "util/format.h"

namespace tobrak {

PlayCounts playCounts(const PlayRecord& rec, const BonusHistory& h) {
    PlayCounts n;
    n.normalGames = h.normalGames;
    n.bb = h.bb;
    n.rb = h.rb;
    const SmallWinCounts w = smallWinCounts(rec);
    n.smallWinGames = w.normalGames;
    for (std::size_t k = 0; k < 16; ++k) n.smallWins[k] = w.normal[k];
    return n;
}

namespace {

double logLikelihood(const SettingFigures& s, const PlayCounts& n, bool smallWins) {
    const double pb = 1.0 / s.bb, pr = 1.0 / s.rb;
    // A BB straight after an RB hit no normal game of its own: never more misses than games.
    const double misses = static_cast<double>(std::max<std::int64_t>(0, n.normalGames - n.bb - n.rb));
    double ll = static_cast<double>(n.bb) * std::log(pb) + static_cast<double>(n.rb) * std::log(pr) +
                misses * std::log1p(-(pb + pr));
    if (!smallWins) return ll;
    double listed = 0;
    std::int64_t counted = 0;
    for (const auto& [size, x] : s.smallWins) {
        const std::int64_t c = n.smallWins[static_cast<std::size_t>(size)];
        ll += static_cast<double>(c) * std::log(1.0 / x);
        listed += 1.0 / x;
        counted += c;
    }
    return ll + static_cast<double>(n.smallWinGames - counted) * std::log1p(-listed);
}

// A counter's binomial over the normal games, in logs. Its binomial coefficient is
// the same for every setting and cancels out.
double counterLogLikelihood(double x, std::int64_t count, std::int64_t games) {
    const double p = 1.0 / x;
    // As for the bonuses: never more misses than games, nor fewer than none.
    const double misses = static_cast<double>(std::max<std::int64_t>(0, games - count));
    return static_cast<double>(count) * std::log(p) + misses * std::log1p(-p);
}

// Log weights scaled to shares adding up to 1; a setting ruled out (-inf) gets 0.
std::array<double, kSettings> shares(const std::array<double, kSettings>& lp) {
    const double top = *std::max_element(lp.begin(), lp.end());
    std::array<double, kSettings> out{};
    double sum = 0;
    for (std::size_t k = 0; k < kSettings; ++k) {
        out[k] = std::isinf(lp[k]) ? 0.0 : std::exp(lp[k] - top);
        sum += out[k];
    }
    for (double& v : out) v /= sum;
    return out;
}

}  // namespace

double payoutRate(const MachineProfile& p, const PlayCounts& n, int setting) {
    if (setting < 0 || setting > kSettings) return 0;
    const int k = setting == 0 ? estimateSetting(p, n).likeliest : setting - 1;
    const double payout = p.settings[static_cast<std::size_t>(k)].payout;
    return payout > 0 ? payout / 100.0 : 0;
}

bool tooFewToTell(std::int64_t normalGames, double likeliestShare) {
    return normalGames < kMinEstimateGames || likeliestShare <= kClearShare;
}

SettingEstimate estimateSetting(const MachineProfile& p, const PlayCounts& n) {
    SettingEstimate e;
    e.smallWinsUsed = p.hasSmallWins() && n.smallWinGames > 0;
    std::array<double, kSettings> lp{};
    for (std::size_t k = 0; k < kSettings; ++k) {
        const SettingFigures& s = p.settings[k];
        lp[k] = s.prior > 0 ? std::log(s.prior) + logLikelihood(s, n, e.smallWinsUsed)
                            : -std::numeric_limits<double>::infinity();
    }
    // Each counter with a count: its own term per setting, kept apart to tell what it did.
    std::vector<std::array<double, kSettings>> terms;
    for (std::size_t i = 0; i < p.counters.size(); ++i) {
        const auto it = std::ranges::find(n.manual, p.counters[i], &ManualCount::name);
        if (it == n.manual.end() || it->count < 0) continue;
        CounterEffect c;
        c.index = static_cast<int>(i);
        c.name = p.counters[i];
        c.count = it->count;
        c.games = n.normalGames;
        e.counters.push_back(std::move(c));
        std::array<double, kSettings> t{};
        for (std::size_t k = 0; k < kSettings; ++k)
            t[k] = counterLogLikelihood(p.settings[k].counters[i], it->count, n.normalGames);
        terms.push_back(t);
    }
    // `skip`: the counter left out, or none.
    auto sum = [&](std::size_t skip) {
        std::array<double, kSettings> total = lp;
        for (std::size_t u = 0; u < terms.size(); ++u)
            if (u != skip)
                for (std::size_t k = 0; k < kSettings; ++k) total[k] += terms[u][k];
        return total;
    };
    e.posterior = shares(sum(terms.size()));
    for (std::size_t u = 0; u < e.counters.size(); ++u) e.counters[u].without = shares(sum(u));
    for (std::size_t k = 0; k < kSettings; ++k) {
        e.expectedPayout += e.posterior[k] * p.settings[k].payout;
        if (e.posterior[k] > e.posterior[static_cast<std::size_t>(e.likeliest)]) e.likeliest = static_cast<int>(k);
    }
    e.tooFew = tooFewToTell(n.normalGames, e.posterior[static_cast<std::size_t>(e.likeliest)]);
    return e;
}

double counterShift(const SettingEstimate& e, const CounterEffect& c, int setting) {
    const auto k = static_cast<std::size_t>(setting);
    return e.posterior[k] - c.without[k];
}

std::string settingName(int setting) {
    static const char* const digits[] = {"０", "１", "２", "３", "４", "５", "６", "７", "８", "９"};
    return std::string("設定") + digits[setting % 10];
}

std::string percentText(double share) { return formatPicture(share * 100.0, "#0.0") + "％"; }

std::string payoutLine(const SettingEstimate& e) { return formatPicture(e.expectedPayout, "期待機械割 #0.00") + "％"; }

std::string usedDataLine(const PlayCounts& n, const SettingEstimate& e) {
    std::string s = "使用データ　通常ゲーム " + captionNumber(n.normalGames) + "Ｇ　ＢＢ " + captionNumber(n.bb) +
                    "回　ＲＢ " + captionNumber(n.rb) + "回";
    s += e.smallWinsUsed ? "　小役 " + captionNumber(n.smallWinGames) + "Ｇ" : "　小役なし";
    return s;
}

std::string reliabilityLine(const PlayCounts& n, const SettingEstimate& e) {
    if (n.normalGames < kMinEstimateGames)
        return "データ不足　通常ゲームが" + captionNumber(kMinEstimateGames) + "Ｇに足りません";
    if (e.tooFew)
        return "データ不足　どの設定も" + captionNumber(static_cast<std::int64_t>(kClearShare * 100)) +
               "％を超えません";
    const int k = e.likeliest;
    return settingName(k + 1) + "が有力（" + percentText(e.posterior[static_cast<std::size_t>(k)]) + "）";
}

std::string counterLine(const SettingEstimate& e, const CounterEffect& c) {
    const double shift = counterShift(e, c, e.likeliest);
    const std::string points = formatPicture(std::abs(shift) * 100.0, "#0.0");
    // No sign where the shift rounds to nothing.
    const std::string sign = points == "0.0" ? "±" : shift > 0 ? "+" : "-";
    return c.name + " " + captionNumber(c.count) + "回 " + oddsText(c.games, c.count) + "　" +
           settingName(e.likeliest + 1) + " " + sign + points + "％";
}

std::string counterLines(const SettingEstimate& e) {
    std::string s;
    for (const CounterEffect& c : e.counters) {
        if (!s.empty()) s += '\n';
        s += counterLine(e, c);
    }
    return s;
}

}  // namespace tobrak
