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

}  // namespace

bool tooFewToTell(std::int64_t normalGames, double likeliestShare) {
    return normalGames < kMinEstimateGames || likeliestShare <= kClearShare;
}

SettingEstimate estimateSetting(const MachineProfile& p, const PlayCounts& n) {
    SettingEstimate e;
    e.smallWinsUsed = p.hasSmallWins() && n.smallWinGames > 0;
    std::array<double, kSettings> lp{};
    double top = -std::numeric_limits<double>::infinity();
    for (std::size_t k = 0; k < kSettings; ++k) {
        const SettingFigures& s = p.settings[k];
        lp[k] = s.prior > 0 ? std::log(s.prior) + logLikelihood(s, n, e.smallWinsUsed)
                            : -std::numeric_limits<double>::infinity();
        top = std::max(top, lp[k]);
    }
    double sum = 0;
    for (std::size_t k = 0; k < kSettings; ++k) {
        e.posterior[k] = std::isinf(lp[k]) ? 0.0 : std::exp(lp[k] - top);
        sum += e.posterior[k];
    }
    for (std::size_t k = 0; k < kSettings; ++k) {
        e.posterior[k] /= sum;
        e.expectedPayout += e.posterior[k] * p.settings[k].payout;
        if (e.posterior[k] > e.posterior[static_cast<std::size_t>(e.likeliest)]) e.likeliest = static_cast<int>(k);
    }
    e.tooFew = tooFewToTell(n.normalGames, e.posterior[static_cast<std::size_t>(e.likeliest)]);
    return e;
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

}  // namespace tobrak
