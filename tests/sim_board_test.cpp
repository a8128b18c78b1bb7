#include <gtest/gtest.h>

#include "platform/sim_board.h"
#include "rig.h"

namespace tobrak::test {
namespace {

// Polls like the program: 127, read, and 255 only when a code was present.
std::uint8_t pollOnce(SimBoard& b, bool acknowledge = true) {
    b.uio_find();
    b.uio_out(0, 127, 0);
    std::uint8_t v = 0;
    EXPECT_EQ(b.uio_inp(v, 0, 0), 0);
    if ((v & 64) == 0 && acknowledge) b.uio_out(0, 255, 0);
    return v;
}

TEST(SimBoard, EveryCodeIsDeliveredOnceAndInOrder) {
    SimBoard b({.seed = 3, .speed = 20.0, .keepLog = true});
    std::vector<std::uint8_t> seen;
    for (int i = 0; i < 60000; ++i) {
        const std::uint8_t v = pollOnce(b);
        if ((v & 64) == 0) seen.push_back(v & 31);
    }
    ASSERT_GT(seen.size(), 5000u);
    EXPECT_EQ(seen, b.taken());
    // Everything taken is exactly the start of what the machine produced.
    ASSERT_LE(b.taken().size(), b.generated().size());
    EXPECT_TRUE(std::equal(b.taken().begin(), b.taken().end(), b.generated().begin()));
}

TEST(SimBoard, AMissingAcknowledgeHoldsTheCode) {
    SimBoard b({.seed = 5, .speed = 1.0, .keepLog = true});
    std::uint8_t v = 0x7F;
    int polls = 0;
    while ((v & 64) != 0 && polls++ < 1000) v = pollOnce(b, false);
    ASSERT_EQ(v & 64, 0) << "no code within 80 s";
    EXPECT_LT(polls, 13) << "the first game comes within a second";
    for (int i = 0; i < 20; ++i) EXPECT_EQ(pollOnce(b, false), v);
    // A 255 without the 127 before it is no acknowledge either.
    b.uio_out(0, 0, 0);
    b.uio_out(0, 255, 0);
    std::uint8_t again = 0;
    b.uio_inp(again, 0, 0);
    EXPECT_EQ(again, v);
    EXPECT_TRUE(b.taken().empty());
    // Acknowledged once, it is gone: between codes bit 6 is high.
    pollOnce(b, true);
    EXPECT_EQ(b.taken().size(), 1u);
}

TEST(SimBoard, SameSeedSameStreamOtherSeedOtherStream) {
    auto stream = [](std::uint64_t seed) {
        SimBoard b({.seed = seed, .speed = 30.0});
        std::vector<std::uint8_t> s;
        for (int i = 0; i < 5000; ++i) s.push_back(pollOnce(b));
        return s;
    };
    EXPECT_EQ(stream(11), stream(11));
    EXPECT_NE(stream(11), stream(12));
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
