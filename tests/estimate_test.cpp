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

// Counters: the worked example of docs/machine-profile.md, figure by figure.
const char* const kWorkedExample = R"({
  "name": "二設定の例",
  "counters": ["ブドウ", "チェリー"],
  "settings": {
    "1": {"bb": 300, "rb": 400, "payout": 97.0, "counters": {"ブドウ": 7.0, "チェリー": 36}},
    "2": {"bb": 300, "rb": 400, "payout": 97.0, "prior": 0, "counters": {"ブドウ": 7.0, "チェリー": 36}},
    "3": {"bb": 300, "rb": 400, "payout": 97.0, "prior": 0, "counters": {"ブドウ": 7.0, "チェリー": 36}},
    "4": {"bb": 300, "rb": 400, "payout": 97.0, "prior": 0, "counters": {"ブドウ": 7.0, "チェリー": 36}},
    "5": {"bb": 300, "rb": 400, "payout": 97.0, "prior": 0, "counters": {"ブドウ": 7.0, "チェリー": 36}},
    "6": {"bb": 250, "rb": 300, "payout": 113.8, "counters": {"ブドウ": 6.0, "チェリー": 36}}
  }
})";

MachineProfile parsed(const std::string& json) {
    MachineProfile p;
    std::string error;
    EXPECT_TRUE(parseProfile(json, p, error)) << error;
    return p;
}

TEST(EstimateWithCounters, TheWorkedExampleOfTheDocs) {
    const MachineProfile p = parsed(kWorkedExample);
    PlayCounts n;
    n.normalGames = 1000;
    n.bb = 4;
    n.rb = 3;
    n.manual = {{"ブドウ", 160}, {"チェリー", 30}};
    const SettingEstimate e = estimateSetting(p, n);
    // The doc's figures, to the places it gives them.
    EXPECT_NEAR(e.posterior[5], 0.7490, 0.00005);
    EXPECT_NEAR(e.posterior[0], 0.2510, 0.00005);
    EXPECT_NEAR(e.posterior[5] / e.posterior[0], 2.9848, 0.00005);
    for (std::size_t k = 1; k < 5; ++k) EXPECT_EQ(e.posterior[k], 0.0);
    ASSERT_EQ(e.counters.size(), 2u);
    const CounterEffect& grape = e.counters[0];
    EXPECT_EQ(grape.name, "ブドウ");
    EXPECT_EQ(grape.count, 160);
    EXPECT_EQ(grape.games, 1000);
    EXPECT_NEAR(grape.without[5], 0.5232, 0.00005);  // the bonuses alone
    EXPECT_NEAR(counterShift(e, grape, 5), 0.2258, 0.00005);
    EXPECT_NEAR(counterShift(e, grape, 0), -0.2258, 0.00005);
    // The same at every setting: it moves nothing.
    EXPECT_NEAR(counterShift(e, e.counters[1], 5), 0.0, 1e-12);
    EXPECT_EQ(payoutLine(e), "期待機械割 109.58％");
    EXPECT_EQ(usedDataLine(n, e), "使用データ　通常ゲーム 1000Ｇ　ＢＢ 4回　ＲＢ 3回　小役なし");
    EXPECT_EQ(reliabilityLine(n, e), "設定６が有力（74.9％）");
    EXPECT_EQ(counterLines(e), "ブドウ 160回 1/6.3　設定６ +22.6％\nチェリー 30回 1/33.3　設定６ ±0.0％");

    // A counter's "without" is the estimate as if it had not been counted.
    PlayCounts noGrapes = n;
    noGrapes.manual.erase(noGrapes.manual.begin());  // ブドウ
    const SettingEstimate other = estimateSetting(p, noGrapes);
    ASSERT_EQ(other.counters.size(), 1u);
    for (std::size_t k = 0; k < 6; ++k) EXPECT_NEAR(grape.without[k], other.posterior[k], 1e-15);
    EXPECT_EQ(counterLines(other), "チェリー 30回 1/33.3　設定６ ±0.0％");
}

// The estimate before counters existed gave these bits for the example profile;
// without counts, or with counts it cannot use, it still does.
TEST(EstimateWithCounters, WithoutCountsTheNumbersAreTheSameToTheBit) {
    PlayCounts a;
    a.normalGames = 4000;
    a.bb = 16;
    a.rb = 11;
    a.smallWinGames = 3970;
    a.smallWins[2] = 80;
    a.smallWins[8] = 497;
    a.smallWins[10] = 101;
    a.smallWins[15] = 41;
    PlayCounts b;
    b.normalGames = 1200;
    b.bb = 3;
    b.rb = 6;
    [[maybe_unused]] const std::array<double, 6> before[] = {
        {0x1.d204144bada87p-4, 0x1.39e6202ae442ep-3, 0x1.84896459cbea2p-3, 0x1.9fc7f08ca7446p-3, 0x1.8362699f84ccfp-3,
         0x1.356417294ced6p-3},
        {0x1.b20471f6f8154p-4, 0x1.0d62d12d2577ep-3, 0x1.501c5c952b7afp-3, 0x1.7b03e4f02e12bp-3, 0x1.9dff6db7efb3p-3,
         0x1.b07b469a153cbp-3}};
    [[maybe_unused]] const double payoutBefore[] = {0x1.a15f0611b9b3fp+6, 0x1.a4e116a448592p+6};

    const MachineProfile example = exampleProfile();
    ASSERT_EQ(example.counters.size(), 2u);
    MachineProfile bare = example;  // the same without its counters
    bare.counters.clear();
    for (SettingFigures& s : bare.settings) s.counters.clear();
    std::size_t i = 0;
    for (PlayCounts n : {a, b}) {
        // The bare profile with nothing counted is the estimate as it was before
        // counters: these bits on the C library of Linux, where they were taken;
        // another C library (Windows) rounds its exp and log otherwise, and there
        // the same computation is the reference.
        const SettingEstimate ref = estimateSetting(bare, n);
#ifndef _WIN32
        EXPECT_EQ(ref.posterior, before[i]);
        EXPECT_EQ(ref.expectedPayout, payoutBefore[i]);
#endif
        for (const ManualCounts& m :
             {ManualCounts{}, ManualCounts{{"スイカ", 40}}, ManualCounts{{"ブドウ", -1}, {"チェリー", -5}}}) {
            n.manual = m;
            for (const MachineProfile* p : std::array<const MachineProfile*, 2>{&example, &bare}) {
                const SettingEstimate e = estimateSetting(*p, n);
                EXPECT_EQ(e.posterior, ref.posterior);
                EXPECT_EQ(e.expectedPayout, ref.expectedPayout);
                EXPECT_TRUE(e.counters.empty());
                EXPECT_EQ(counterLines(e), "");
            }
        }
        // The counts of a counter the bare profile has not: still today's numbers there.
        n.manual = {{"ブドウ", 700}};
        EXPECT_EQ(estimateSetting(bare, n).posterior, ref.posterior);
        EXPECT_NE(estimateSetting(example, n).posterior, ref.posterior);
        ++i;
    }
}

TEST(EstimateWithCounters, CountsPointTheRightWay) {
    // Bonuses alike at every setting; ブドウ from 1/7.0 at setting 1 to 1/6.0 at setting 6.
    MachineProfile p = exampleProfile();
    for (std::size_t k = 0; k < 6; ++k) {
        p.settings[k].bb = 250;
        p.settings[k].rb = 350;
        p.settings[k].smallWins.clear();
        p.settings[k].counters = {7.0 - 0.2 * static_cast<double>(k), 36.0};
    }
    PlayCounts n;
    n.normalGames = 20000;
    n.bb = 80;
    n.rb = 57;
    // Counted at each setting's own rate, each setting comes out on top.
    for (std::size_t k = 0; k < 6; ++k) {
        n.manual = {{"ブドウ", static_cast<std::int32_t>(std::lround(20000 / p.settings[k].counters[0]))}};
        const SettingEstimate e = estimateSetting(p, n);
        EXPECT_EQ(e.likeliest, static_cast<int>(k));
        EXPECT_GT(counterShift(e, e.counters[0], e.likeliest), 0.0);
        for (double v : e.counters[0].without) EXPECT_NEAR(v, 1.0 / 6, 1e-12);  // the bonuses say nothing
    }
    // None counted is evidence too: the rarest setting; far more than the games still gives finite shares.
    n.manual = {{"ブドウ", 0}};
    EXPECT_EQ(estimateSetting(p, n).likeliest, 0);
    n.manual = {{"ブドウ", 25000}};
    const SettingEstimate over = estimateSetting(p, n);
    for (double v : over.posterior) EXPECT_TRUE(std::isfinite(v));
    EXPECT_EQ(over.likeliest, 5);
    EXPECT_EQ(counterLine(over, over.counters[0]).rfind("ブドウ 25000回 1/0.8　設定６ +", 0), 0u);
    // Many counters: each moves only its share.
    p.counters = {"a", "b", "c", "d", "e", "f", "g", "h"};
    for (std::size_t k = 0; k < 6; ++k) p.settings[k].counters.assign(8, 10.0);
    n.manual = {{"a", 2000}, {"h", 1900}};
    const SettingEstimate flat = estimateSetting(p, n);
    ASSERT_EQ(flat.counters.size(), 2u);
    EXPECT_EQ(flat.counters[1].index, 7);
    for (double v : flat.posterior) EXPECT_NEAR(v, 1.0 / 6, 1e-12);
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
