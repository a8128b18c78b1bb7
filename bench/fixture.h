#pragma once
// What the benchmarks share: play-data files of the simulated machine, and a
// started program whose graph surfaces are either the window's Qt images at the
// designed size or the recording surfaces (logic only).
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/headless/headless_app.h"
#include "app/program.h"
#include "boards/scripted_board.h"
#include "platform/qt/image_surface.h"

namespace tobrak::bench {

// The record sizes every benchmark runs on.
inline const std::vector<std::int64_t> kGames = {0, 3000, 31000};

// A play-data file of the first `games` games the simulated machine plays with
// seed 1, written once per run into a temporary folder.
const std::string& recordFile(int games);
// The temporary folder of this run (removed at exit).
std::string benchFolder();
// The game bytes of the longest record (31000 games), oldest first.
const std::vector<std::uint8_t>& longRecordGames();

enum class Surfaces { Recording, Qt };
const char* name(Surfaces s);

// A started program (Form_Load done) on a scripted board, with a file loaded as
// the window loads it.
class Started {
public:
    explicit Started(Surfaces s);
    // Loads the file of `games` games; false (and the benchmark skipped) when it fails.
    bool load(benchmark::State& st, int games);
    // The images as the window shows them: drawing finished.
    void finish();

    tobrak::Program& program() { return app.program; }
    ScriptedBoard board;
    headless::HeadlessApp app{&board};
    std::unique_ptr<qt::ImageSurface> graph, strip, zoom;
};

// Medals in at the middle of the record and a scroll that shows it; the frame of
// the zoom benchmarks is placed there.
struct MiddleOfRecord {
    std::int32_t scroll;  // Ghp_Scroll
    float x;              // frame centre on the graph, twips
};
MiddleOfRecord middleOfRecord(const Program& c);
// The scroll that shows the record's last part (its end near the right side).
std::int32_t lastPartOfRecord(const Program& c);

// The live view's server on c with `clients` event clients reading over loopback
// (skips the benchmark when they cannot connect); served while it is held.
struct LiveWatchers;
std::shared_ptr<LiveWatchers> watchLive(benchmark::State& st, Program& c, int clients);
std::uint64_t liveEvents(const LiveWatchers& w);  // published so far
// Waits (at most a poll's 80 ms) until the watchers have sent what they were given,
// as they do between two polls.
void settle(const LiveWatchers& w);

// Live play after a load of 3000 games: the next games of the simulated machine,
// each taken by one poll; its payout pulses are fed outside the timing.
struct LivePlay {
    explicit LivePlay(benchmark::State& st) : p(Surfaces::Qt) {
        ok = p.load(st, 3000);
        p.program().zoom.G_zoom_Click(2);
    }
    // Back to the loaded record when the record is nearly full.
    void keepRoom(benchmark::State& st) {
        if (p.program().rec.Dat_Len < kDatMax - 10) return;
        ok = p.load(st, 3000);
        next = 3000;
    }
    void poll(std::uint8_t code) {
        p.board.pushCode(code);
        p.program().Timer2_Timer();
    }
    std::uint8_t nextGame() {
        const auto& games = longRecordGames();
        const std::uint8_t b = games[next];
        next = (next + 1) % games.size();
        return b;
    }
    Started p;
    bool ok = false;
    std::size_t next = 3000;
};

template <class F>
inline double seconds(F&& f) {
    const auto t0 = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

}  // namespace tobrak::bench
