#include <gtest/gtest.h>

#include "boards/sim_board.h"
#include "rig.h"
#include "source_probe.h"

namespace tobrak::test {
namespace {

// Each poll's codes, oldest first.
std::vector<std::vector<int>> polls(SimBoard& b, int n, bool full = false) {
    std::vector<std::vector<int>> s;
    for (int i = 0; i < n; ++i) {
        const Polled p = pollOnce(b, full);
        EXPECT_TRUE(p.reachable);
        s.emplace_back(p.codes.begin(), p.codes.end());
    }
    return s;
}

// Every code of n polls, in order.
std::vector<int> stream(SimBoard& b, int n, bool full = false) {
    std::vector<int> s;
    for (const auto& p : polls(b, n, full)) s.insert(s.end(), p.begin(), p.end());
    return s;
}

TEST(SimBoard, EveryCodeIsDeliveredOnceAndInOrder) {
    SimBoard b({.seed = 3, .speed = 20.0, .keepLog = true});
    std::vector<std::uint8_t> seen;
    for (const int c : stream(b, 20000)) seen.push_back(static_cast<std::uint8_t>(c));
    ASSERT_GT(seen.size(), 5000u);
    // Everything handed over is exactly the start of what the machine produced.
    ASSERT_LE(seen.size(), b.generated().size());
    EXPECT_TRUE(std::equal(seen.begin(), seen.end(), b.generated().begin()));
}

// In real time one code a poll, as a board's handshake gives them; a faster
// machine is up to that many polls in one, a game at most, so a demonstration
// runs at its speed and the program still sees each game on its own poll.
TEST(SimBoard, SpeedNIsUpToNPollsOfTheRealMachine) {
    const auto gamesIn = [](const std::vector<int>& p) {
        return std::count_if(p.begin(), p.end(), [](int c) { return c < 16; });
    };
    SimBoard real({.seed = 6, .speed = 1.0});
    const auto slow = polls(real, 40000);
    EXPECT_TRUE(std::all_of(slow.begin(), slow.end(), [](const auto& p) { return p.size() <= 1; }));
    SimBoard fast({.seed = 6, .speed = 100.0});
    const auto quick = polls(fast, 800);
    EXPECT_TRUE(
        std::all_of(quick.begin(), quick.end(), [&](const auto& p) { return p.size() <= 100 && gamesIn(p) <= 1; }));
    std::vector<int> a, b;
    for (const auto& p : slow) a.insert(a.end(), p.begin(), p.end());
    for (const auto& p : quick) b.insert(b.end(), p.begin(), p.end());
    // 800 polls (64 s) at speed 100 play more than 40000 polls (53 min) at speed 1, the same games.
    ASSERT_GT(gamesIn(a), 500);
    ASSERT_GE(b.size(), a.size());
    EXPECT_TRUE(std::equal(a.begin(), a.end(), b.begin()));
}

TEST(SimBoard, ASeedAndASpeedReplayTheSamePolls) {
    auto run = [](std::uint64_t seed, double speed) {
        SimBoard b({.seed = seed, .speed = speed});
        return polls(b, 5000);
    };
    EXPECT_EQ(run(11, 30), run(11, 30));
    EXPECT_NE(run(11, 30), run(12, 30));
    EXPECT_NE(run(11, 30), run(11, 20));
    // In real time the first game starts within a second.
    SimBoard b({.seed = 5, .speed = 1.0});
    const auto first = polls(b, 5000);
    const auto game = std::find_if(first.begin(), first.end(), [](const auto& p) { return !p.empty(); });
    ASSERT_NE(game, first.end());
    EXPECT_LT(game - first.begin(), 13);
    EXPECT_LT(game->front(), 16);
}

// A full record: the player stands up; no game starts until there is room again.
TEST(SimBoard, AFullRecordStartsNoGame) {
    SimBoard b({.seed = 4, .speed = 50.0});
    stream(b, 300);
    const std::vector<int> full = stream(b, 3000, true);
    EXPECT_TRUE(std::none_of(full.begin(), full.end(), [](int c) { return c < 16; }));
    const std::vector<int> room = stream(b, 100);
    EXPECT_TRUE(std::any_of(room.begin(), room.end(), [](int c) { return c < 16; }));
}

TEST(SimBoard, PlaysLikeTheMachine) {
    SimBoard sim({.seed = 9, .speed = 100.0});
    headless::HeadlessApp app(&sim);
    Program& c = app.program;
    while (c.rec.games() < 30000) app.run(80);
    const Counters& n = c.cnt;
    const int normal = n.BB_IntvCnt + n.BB_IntvSum;
    // BB about 1 in 250 normal games, RB about 1 in 400.
    EXPECT_GT(n.BB_Cnt, normal / 330);
    EXPECT_LT(n.BB_Cnt, normal / 190);
    EXPECT_GT(n.RB_Cnt, normal / 560);
    EXPECT_LT(n.RB_Cnt, normal / 280);
    // Run lengths as the machine plays them.
    EXPECT_GE(n.BB_GameMin, 25);
    EXPECT_LE(n.BB_GameMax, 30);
    EXPECT_GE(n.RB_GameMin, 8);
    EXPECT_LE(n.RB_GameMax, 12);
    // Normal games pay back part of the bet; over a long play the machine pays back about what it takes, as real ones
    // do.
    const double payout = static_cast<double>(n.Tot_Out) / n.Tot_In;
    EXPECT_GT(payout, 0.9);
    EXPECT_LT(payout, 1.15);
    // An RB directly followed by a BB happens now and then.
    int chains = 0;
    for (int i = 1; i < c.rec.games(); ++i)
        chains += bonusState(c.rec.game(i - 1)) == BonusState::RB && bonusState(c.rec.game(i)) == BonusState::BB;
    EXPECT_GT(chains, 0);
}

}  // namespace
}  // namespace tobrak::test
