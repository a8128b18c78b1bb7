// Loading a file and live play: the load with every redraw and the counter
// rebuild, one game taken by the poll, one payout pulse, the rebuild alone.
#include <chrono>

#include "acquisition/status_view.h"
#include "app/file_commands.h"
#include "app/views.h"
#include "fixture.h"
#include "graph/zoom.h"
#include "stats/stats_engine.h"

namespace tobrak::bench {

namespace {

// The window's load path on the Qt surfaces, with the zoom window closed or at x10.
void BM_Load(benchmark::State& st) {
    Started p(Surfaces::Qt);
    Program& c = p.program();
    const bool zoomed = st.range(1) != 0;
    if (zoomed) c.zoom.G_zoom_Click(2);
    const std::string& path = recordFile(static_cast<int>(st.range(0)));
    for (auto _ : st) {
        if (!loadPlayData(c, path)) {
            st.SkipWithError("the record file could not be loaded");
            return;
        }
        p.finish();
    }
    st.SetLabel(zoomed ? "zoom x10" : "zoom off");
}
BENCHMARK(BM_Load)->ArgsProduct({kGames, {0, 1}})->Unit(benchmark::kMillisecond);

// With `watchers` > 0 the live view serves that many event clients meanwhile; with
// `expectedLine` the graph has the expected-value line of the estimated setting.
void liveGames(benchmark::State& st, int watchers, bool expectedLine = false) {
    LivePlay live(st);
    if (expectedLine) expectedLineClick(live.p.program(), true, 0);
    const auto served = watchers ? watchLive(st, live.p.program(), watchers) : nullptr;
    for (auto _ : st) {
        if (!live.ok) return;
        live.keepRoom(st);
        const std::uint8_t b = live.nextGame();
        // The game code: medals in and bonus state, as the board presents them.
        st.SetIterationTime(seconds([&] { live.poll(static_cast<std::uint8_t>(b >> 4)); }));
        for (int i = 0; i < medalsOut(b); ++i) live.poll(code::Payout);
        if (served) settle(*served);
    }
    if (served) st.counters["events"] = benchmark::Counter(static_cast<double>(liveEvents(*served)));
}
void BM_LiveGame(benchmark::State& st) { liveGames(st, 0); }
BENCHMARK(BM_LiveGame)->UseManualTime()->Unit(benchmark::kMicrosecond);

// The same with the expected-value line on: the estimate is worked out again each game.
void BM_LiveGameExpectedLine(benchmark::State& st) { liveGames(st, 0, true); }
BENCHMARK(BM_LiveGameExpectedLine)->UseManualTime()->Unit(benchmark::kMicrosecond);

// The same with the live view serving 50 watchers: each game and pulse is an event to them.
void BM_LiveGameWatched(benchmark::State& st) { liveGames(st, 50); }
BENCHMARK(BM_LiveGameWatched)->UseManualTime()->Unit(benchmark::kMicrosecond);

void BM_PayoutPulse(benchmark::State& st) {
    LivePlay live(st);
    for (auto _ : st) {
        if (!live.ok) return;
        live.keepRoom(st);
        // A pulse is counted only below 15 medals: start a new game before that.
        const Program& c = live.p.program();
        if (medalsOut(c.rec.Dat_Buf[static_cast<std::size_t>(c.rec.Dat_Len - 1)]) >= 14)
            live.poll(static_cast<std::uint8_t>(live.nextGame() >> 4));
        st.SetIterationTime(seconds([&] { live.poll(code::Payout); }));
    }
}
BENCHMARK(BM_PayoutPulse)->UseManualTime()->Unit(benchmark::kMicrosecond);

// The statistics rebuild alone (part of every load and of "戻る").
void BM_RebuildCounters(benchmark::State& st) {
    Started p(Surfaces::Recording);
    if (!p.load(st, static_cast<int>(st.range(0)))) return;
    Program& c = p.program();
    for (auto _ : st) {
        ChrClrInit(c);
        ChrDispAll(c);
        benchmark::DoNotOptimize(c.cnt.Tot_Out);
    }
}
BENCHMARK(BM_RebuildCounters)->ArgsProduct({kGames})->Unit(benchmark::kMicrosecond);

}  // namespace

}  // namespace tobrak::bench
