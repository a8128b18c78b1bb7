// A long night of play through the real poll: the simulated machine with board
// dropouts, until the record is full and beyond.
#include <gtest/gtest.h>

#include <random>

#include "boards/sim_board.h"
#include "rig.h"
#include "stats/stats_engine.h"

namespace tobrak::test {
namespace {

// The simulated machine behind a flaky cable: single failed reads now and then,
// and outages of a couple of seconds.
class FlakyBoard final : public EventSource, private EventSink {
public:
    explicit FlakyBoard(EventSource& inner) : inner_(inner), rng_(99) {}
    // Like a real machine it plays on when the record is full.
    void poll(EventSink& sink, bool) override {
        if (outage_ > 0) {
            --outage_;
            return fail(sink);
        }
        if (rng_() % 200 == 0) outage_ = static_cast<int>(rng_() % 30);
        if (rng_() % 60 == 0) return fail(sink);
        out_ = &sink;
        inner_.poll(*this, false);
    }
    long failed = 0;
    std::vector<std::uint8_t> taken;  // every code handed on, in order

private:
    void fail(EventSink& sink) {
        ++failed;
        sink.boardState(false);
    }
    void boardState(bool reachable) override { out_->boardState(reachable); }
    void arrived(std::uint8_t code) override {
        taken.push_back(code);
        out_->arrived(code);
    }

    EventSource& inner_;
    EventSink* out_ = nullptr;
    std::mt19937 rng_;
    int outage_ = 0;
};

TEST(Soak, MoreThanAFullRecordWithDropouts) {
    SimBoard sim({.seed = 21, .speed = 100.0});
    FlakyBoard flaky(sim);
    headless::HeadlessApp app(&flaky);
    Program& c = app.program;
    app.ui.Picture2s.logging = false;
    app.ui.Zoom.logging = false;
    while (!c.rec.full()) app.run(kPollMs);
    EXPECT_GT(flaky.failed, 1000);
    EXPECT_EQ(c.rec.Dat_Len, 31049);

    // Every game code the machine handed over is in the record, in order.
    std::vector<std::uint8_t> games;
    for (std::uint8_t code : flaky.taken)
        if ((code & 16) == 0) games.push_back(static_cast<std::uint8_t>(code * 16));
    ASSERT_EQ(games.size(), 31001u);
    for (int i = 0; i < 31001; ++i) ASSERT_EQ(c.rec.game(i) & 0xF0, games[static_cast<std::size_t>(i)]) << i;

    // The live counters agree with a rebuild of the same record where start codes
    // cannot differ: the record's totals and the ended bonuses.
    const Counters live = c.cnt;
    const PlayRecord kept = c.rec;
    // Beyond full: games are refused with one message each, nothing changes.
    const std::size_t boxes = app.ui.dialogs.shown.size();
    for (int i = 0; i < 3000; ++i) app.run(kPollMs);
    EXPECT_GT(app.ui.dialogs.shown.size(), boxes);
    EXPECT_EQ(c.rec.Dat_Buf, kept.Dat_Buf);
    // (Bonus start codes still count: the record's totals stay.)
    const std::string totals = "Game_Cnt Tot_In Tot_Out Nor_In Nor_Out BB_In BB_Out RB_In RB_Out";
    EXPECT_EQ(countersOf(c.cnt, totals), countersOf(live, totals));

    ChrClrInit(c);
    ChrDispAll(c);
    const std::string same = totals + " BB_GainSum BB_GameSum RB_GainSum RB_GameSum BB_EndCnt RB_EndCnt";
    EXPECT_EQ(countersOf(c.cnt, same), countersOf(live, same));
}

}  // namespace
}  // namespace tobrak::test
