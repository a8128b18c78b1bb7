// Speed of the record-wide rebuild and of one live game.
#include <benchmark/benchmark.h>

#include "acquisition/rs232.h"
#include "platform/headless/memory_ui.h"
#include "platform/headless/scripted_board.h"
#include "platform/sim_board.h"
#include "stats/stats_engine.h"

namespace {

using namespace tobrak;

// A realistic record of `games` games from the simulated machine.
void fillFromSim(headless::HeadlessApp& app, int games) {
    while (app.core.rec.games() < games) app.run(kPollMs);
}

void BM_RebuildCounters(benchmark::State& st) {
    SimBoard sim({.seed = 1, .speed = 100.0});
    headless::HeadlessApp app(&sim);
    fillFromSim(app, static_cast<int>(st.range(0)));
    for (auto _ : st) {
        ChrClrInit(app.core);
        ChrDispAll(app.core);
        benchmark::DoNotOptimize(app.core.cnt.Tot_Out);
    }
}
BENCHMARK(BM_RebuildCounters)->Arg(0)->Arg(3000)->Arg(31000)->Unit(benchmark::kMicrosecond);

// One poll that takes a game code, and one that takes a payout pulse.
void BM_LivePoll(benchmark::State& st) {
    headless::ScriptedBoard board;
    headless::HeadlessApp app(&board);
    const std::uint8_t code = static_cast<std::uint8_t>(st.range(0));
    for (auto _ : st) {
        if (app.core.rec.Dat_Len > 30000) {
            st.PauseTiming();
            app.core.rec.clear();
            st.ResumeTiming();
        }
        board.pushByte(code);
        Timer2_Timer(app.core);
    }
}
BENCHMARK(BM_LivePoll)->Arg(3)->Arg(code::Payout);

}  // namespace

BENCHMARK_MAIN();
