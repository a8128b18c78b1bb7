#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "analysis/koyaku.h"
#include "counts/estimate.h"

namespace tobrak {
namespace {

// Settings 1 and 2 as given, the others ruled out by a zero prior.
MachineProfile twoSettings(SettingFigures a, SettingFigures b) {
    MachineProfile p;
    p.name = "二設定";
    for (SettingFigures& s : p.settings)
        s = {.bb = 300, .rb = 400, .payout = 100, .prior = 0, .smallWins = a.smallWins, .counters = {}};
    p.settings[0] = a;
    p.settings[1] = b;
    return p;
}

TEST(Estimate, TwoSettingsByHand) {
    // 10 normal games, one BB. A: BB 1/2, RB 1/4; B: BB 1/4, RB 1/4.
    // L(A) = 1/2 * (1/4)^9, L(B) = 1/4 * (1/2)^9: B is 256 times as likely.
    PlayCounts n;
    n.normalGames = 10;
    n.bb = 1;
    MachineProfile p = twoSettings({.bb = 2, .rb = 4, .payout = 100, .prior = 1, .smallWins = {}, .counters = {}},
                                   {.bb = 4, .rb = 4, .payout = 110, .prior = 1, .smallWins = {}, .counters = {}});
    SettingEstimate e = estimateSetting(p, n);
    EXPECT_NEAR(e.posterior[0], 1.0 / 257, 1e-12);
    EXPECT_NEAR(e.posterior[1], 256.0 / 257, 1e-12);
    for (std::size_t k = 2; k < 6; ++k) EXPECT_EQ(e.posterior[k], 0.0);
    EXPECT_EQ(e.likeliest, 1);
    EXPECT_NEAR(e.expectedPayout, (100.0 + 110.0 * 256) / 257, 1e-9);
    EXPECT_TRUE(e.tooFew);  // decisive, but on ten games
    EXPECT_FALSE(e.smallWinsUsed);

    // Prior weights multiply in: 3 : 1 for A.
    p.settings[0].prior = 3;
    EXPECT_NEAR(estimateSetting(p, n).posterior[0], 3.0 / 259, 1e-12);
}

TEST(Estimate, SmallWinsByHand) {
    // Same bonus odds; the 8-medal win 1/2 in A, 1/4 in B. Three counted games,
    // two of them 8 medals: L(A) = (1/2)^2 (1/2), L(B) = (1/4)^2 (3/4).
    SettingFigures a{.bb = 300, .rb = 400, .payout = 100, .prior = 1, .smallWins = {{8, 2.0}}, .counters = {}};
    SettingFigures b = a;
    b.smallWins = {{8, 4.0}};
    PlayCounts n;
    n.normalGames = 4;
    n.smallWinGames = 3;
    n.smallWins[8] = 2;
    n.smallWins[0] = 1;
    const SettingEstimate e = estimateSetting(twoSettings(a, b), n);
    EXPECT_TRUE(e.smallWinsUsed);
    EXPECT_NEAR(e.posterior[0], 8.0 / 11, 1e-12);
    // Without counted games the small wins say nothing.
    n.smallWinGames = 0;
    n.smallWins = {};
    EXPECT_NEAR(estimateSetting(twoSettings(a, b), n).posterior[0], 0.5, 1e-12);
}

// On a full record each likelihood is far below the smallest double.
TEST(Estimate, EqualSettingsGiveThePriorBackEvenOnAFullRecord) {
    MachineProfile p = exampleProfile();
    for (std::size_t k = 0; k < 6; ++k) {
        p.settings[k] = p.settings[3];
        p.settings[k].prior = static_cast<double>(k + 1);
    }
    PlayCounts n;
    n.normalGames = 31001;
    n.bb = 120;
    n.rb = 80;
    n.smallWinGames = 30500;
    n.smallWins[8] = 3800;
    n.smallWins[15] = 310;
    const SettingEstimate e = estimateSetting(p, n);
    for (std::size_t k = 0; k < 6; ++k) EXPECT_NEAR(e.posterior[k], (k + 1) / 21.0, 1e-12);
    EXPECT_EQ(e.likeliest, 5);
    EXPECT_TRUE(e.tooFew);  // 6/21 is no clear answer, however long the play
    // Two identical settings of equal weight name neither.
    const SettingFigures s{.bb = 280, .rb = 400, .payout = 100, .prior = 1, .smallWins = {}, .counters = {}};
    const SettingEstimate two = estimateSetting(twoSettings(s, s), n);
    EXPECT_EQ(two.posterior[0], 0.5);
    EXPECT_TRUE(two.tooFew);
    // No normal game at all: finite, close to the prior, and no answer.
    PlayCounts only;
    only.bb = 3;
    const SettingEstimate o = estimateSetting(exampleProfile(), only);
    for (double v : o.posterior) EXPECT_TRUE(std::isfinite(v) && v > 0.1 && v < 0.25);
    EXPECT_TRUE(o.tooFew);
}

// Counts of `games` normal games played on setting `s` of the profile.
PlayCounts simulatedPlay(const MachineProfile& p, int s, std::int64_t games, std::uint32_t seed) {
    std::mt19937_64 rng(seed);
    const SettingFigures& fig = p.settings[static_cast<std::size_t>(s)];
    auto draw = [&](std::int64_t trials, double prob) {
        return std::binomial_distribution<std::int64_t>(trials, prob)(rng);
    };
    PlayCounts n;
    n.normalGames = games;
    n.bb = draw(games, 1.0 / fig.bb);
    n.rb = draw(games - n.bb, (1.0 / fig.rb) / (1.0 - 1.0 / fig.bb));
    n.smallWinGames = games - n.bb - n.rb;
    std::int64_t left = n.smallWinGames;
    double rest = 1.0;
    for (const auto& [size, x] : fig.smallWins) {
        const std::int64_t c = draw(left, std::min(1.0, (1.0 / x) / rest));
        n.smallWins[static_cast<std::size_t>(size)] = c;
        left -= c;
        rest -= 1.0 / x;
    }
    return n;
}

TEST(Estimate, AHugeSampleFindsTheTrueSetting) {
    const MachineProfile p = exampleProfile();
    for (int s = 0; s < 6; ++s) {
        const SettingEstimate e = estimateSetting(p, simulatedPlay(p, s, 5'000'000, 100 + s));
        EXPECT_EQ(e.likeliest, s);
        EXPECT_GT(e.posterior[static_cast<std::size_t>(s)], 0.99) << "setting " << s + 1;
        EXPECT_FALSE(e.tooFew);
        EXPECT_NEAR(e.expectedPayout, p.settings[static_cast<std::size_t>(s)].payout, 0.2);
    }
    // A short session of the same play says little.
    const SettingEstimate shortOne = estimateSetting(p, simulatedPlay(p, 5, 600, 7));
    EXPECT_TRUE(shortOne.tooFew);
}

TEST(Estimate, TheDataShortageRule) {
    EXPECT_TRUE(tooFewToTell(kMinEstimateGames - 1, 0.99));
    EXPECT_TRUE(tooFewToTell(kMinEstimateGames, kClearShare));
    EXPECT_FALSE(tooFewToTell(kMinEstimateGames, std::nextafter(kClearShare, 1.0)));

    PlayCounts n;
    SettingEstimate e;
    n.normalGames = 999;
    EXPECT_EQ(reliabilityLine(n, e), "データ不足　通常ゲームが1000Ｇに足りません");
    n.normalGames = 5000;
    EXPECT_EQ(reliabilityLine(n, e), "データ不足　どの設定も50％を超えません");
    e.tooFew = false;
    e.likeliest = 5;
    e.posterior[5] = 0.78349;
    EXPECT_EQ(reliabilityLine(n, e), "設定６が有力（78.3％）");
}

TEST(Estimate, CountsOfARecordAndTexts) {
    PlayRecord r;
    // normal 8, normal 0, (hit) normal 15, BB x2, normal 8, RB, normal 2, normal 0
    for (std::uint8_t b : {0x38, 0x30, 0x3F, 0xBF, 0xBF, 0x38, 0x5F, 0x32, 0x30}) r.Dat_Buf[r.Dat_Len++] = b;
    const PlayCounts n = playCounts(r, bonusHistory(r));
    EXPECT_EQ(n.normalGames, 6);
    EXPECT_EQ(n.bb, 1);
    EXPECT_EQ(n.rb, 1);
    EXPECT_EQ(n.smallWinGames, 3);  // 8 and 0 before the hit, 2 before the newest game
    EXPECT_EQ(n.smallWins[8], 1);
    EXPECT_EQ(n.smallWins[15], 0);  // the game on which the BB was hit

    SettingEstimate e;
    e.expectedPayout = 104.3249;
    e.smallWinsUsed = true;
    EXPECT_EQ(payoutLine(e), "期待機械割 104.32％");
    EXPECT_EQ(usedDataLine(n, e), "使用データ　通常ゲーム 6Ｇ　ＢＢ 1回　ＲＢ 1回　小役 3Ｇ");
    e.smallWinsUsed = false;
    EXPECT_EQ(usedDataLine(n, e), "使用データ　通常ゲーム 6Ｇ　ＢＢ 1回　ＲＢ 1回　小役なし");
    EXPECT_EQ(percentText(0.0004), "0.0％");
    EXPECT_EQ(percentText(1.0), "100.0％");
}

}  // namespace
}  // namespace tobrak
