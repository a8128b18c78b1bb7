// A long night of play through the real poll: the simulated machine with board
// dropouts, until the record is full and beyond.
#include <gtest/gtest.h>

#include <random>

#include "platform/sim_board.h"
#include "rig.h"
#include "stats/stats_engine.h"

namespace tobrak::test {
namespace {

// The simulated machine behind a flaky cable: single failed reads now and then,
// and outages of a couple of seconds.
class FlakyBoard final : public Board {
public:
    explicit FlakyBoard(Board& inner) : inner_(inner), rng_(99) {}
    std::int32_t uio_find() override { return inner_.uio_find(); }
    std::int32_t uio_out(std::int32_t p, std::int32_t v, std::int32_t f) override { return inner_.uio_out(p, v, f); }
    std::int32_t uio_inp(std::uint8_t& v, std::int32_t p, std::int32_t f) override {
        if (outage_ > 0) {
            --outage_;
            ++failed;
            return 1;
        }
        if (rng_() % 200 == 0) outage_ = static_cast<int>(rng_() % 30);
        if (rng_() % 60 == 0) {
            ++failed;
            return 1;
        }
        return inner_.uio_inp(v, p, f);
    }
    long failed = 0;

private:
    Board& inner_;
    std::mt19937 rng_;
    int outage_ = 0;
};

TEST(Soak, MoreThanAFullRecordWithDropouts) {
    SimBoard sim({.seed = 21, .speed = 100.0, .keepLog = true});
    FlakyBoard flaky(sim);
    headless::HeadlessApp app(&flaky);
    Core& c = app.core;
    app.ui.Picture2s.logging = false;
    app.ui.Zoom.logging = false;
    while (!c.rec.full()) app.run(kPollMs);
    EXPECT_GT(flaky.failed, 1000);
    EXPECT_EQ(c.rec.Dat_Len, 31049);

    // Every game code the machine handed over is in the record, in order.
    std::vector<std::uint8_t> games;
    for (std::uint8_t code : sim.taken())
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
    EXPECT_EQ(c.cnt.Tot_Out, live.Tot_Out);
    EXPECT_EQ(c.cnt.Game_Cnt, live.Game_Cnt);

    ChrClrInit(c);
    ChrDispAll(c);
    for (auto [name, a, b] : {std::tuple{"Game_Cnt", live.Game_Cnt, c.cnt.Game_Cnt},
                              {"Tot_In", live.Tot_In, c.cnt.Tot_In},
                              {"Tot_Out", live.Tot_Out, c.cnt.Tot_Out},
                              {"Nor_In", live.Nor_In, c.cnt.Nor_In},
                              {"Nor_Out", live.Nor_Out, c.cnt.Nor_Out},
                              {"BB_In", live.BB_In, c.cnt.BB_In},
                              {"BB_Out", live.BB_Out, c.cnt.BB_Out},
                              {"RB_In", live.RB_In, c.cnt.RB_In},
                              {"RB_Out", live.RB_Out, c.cnt.RB_Out},
                              {"BB_GainSum", live.BB_GainSum, c.cnt.BB_GainSum},
                              {"BB_GameSum", live.BB_GameSum, c.cnt.BB_GameSum},
                              {"RB_GainSum", live.RB_GainSum, c.cnt.RB_GainSum},
                              {"RB_GameSum", live.RB_GameSum, c.cnt.RB_GameSum},
                              {"BB_EndCnt", live.BB_EndCnt, c.cnt.BB_EndCnt},
                              {"RB_EndCnt", live.RB_EndCnt, c.cnt.RB_EndCnt}})
        EXPECT_EQ(a, b) << name;
}

}  // namespace
}  // namespace tobrak::test
