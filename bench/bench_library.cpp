// The library of sessions: what a live game costs the poll with the recorder
// listening (on a plain disk and on one whose every commit takes 50 ms), the
// list and the totals of 2000 sessions of 8000 games, and importing 100 files.
#include <chrono>
#include <filesystem>

#include "fixture.h"
#include "library/library_json.h"
#include "library/recorder.h"
#include "record/slt_file.h"
#include "slow_disk.h"

namespace tobrak::bench {

namespace {

namespace fs = std::filesystem;
constexpr int kSessionGames = 8000;

std::unique_ptr<Library> openOrSkip(benchmark::State& st, const std::string& path) {
    LibraryOpen o = openLibrary(path);
    if (!o.library) st.SkipWithError(o.notice.line.c_str());
    return std::move(o.library);
}

// A record of 8000 games of the simulated machine, the `n`-th of them a
// different stretch of its long play.
PlayRecord sessionRecord(int n) {
    PlayRecord rec;
    const auto& games = longRecordGames();
    const std::size_t from = static_cast<std::size_t>(n) * 200 % (games.size() - kSessionGames);
    std::copy_n(games.begin() + static_cast<std::ptrdiff_t>(from), kSessionGames, rec.Dat_Buf.begin() + kHeaderLen);
    rec.Dat_Len = kHeaderLen + kSessionGames;
    return rec;
}

// A live game of the window's program after a load of 3000 games, as BM_LiveGame
// times it, with the recorder listening; range(0): 0 the computer's disk, else a
// disk whose every sync takes that many ms, with each commit synced.
void BM_LiveGameLibrary(benchmark::State& st) {
    const auto dir = fs::path(benchFolder()) / ("live-" + std::to_string(st.range(0)));
    fs::create_directories(dir);
    LibraryOptions o;
    if (st.range(0)) {
        test::useSlowDisk(static_cast<int>(st.range(0)));
        o.vfs = test::kSlowDiskVfs;
        o.syncEachCommit = true;
    }
    LibraryOpen opened = openLibrary((dir / "library.sqlite").string(), o);
    if (!opened.library) {
        st.SkipWithError(opened.notice.line.c_str());
        return;
    }
    LivePlay live(st);
    LibraryRecorder recorder(live.p.program().session, std::move(opened.library));
    for (auto _ : st) {
        if (!live.ok) return;
        live.keepRoom(st);
        const std::uint8_t b = live.nextGame();
        st.SetIterationTime(seconds([&] { live.poll(static_cast<std::uint8_t>(b >> 4)); }));
        for (int i = 0; i < medalsOut(b); ++i) live.poll(code::Payout);
    }
    st.SetLabel(st.range(0) ? "every sync 50 ms, each commit synced" : "the computer's disk");
}
BENCHMARK(BM_LiveGameLibrary)->Arg(0)->Arg(50)->UseManualTime()->Unit(benchmark::kMicrosecond);

// 2000 sessions of 8000 games each in 20 machines and 5 halls over a year, made once.
const std::string& bigLibrary() {
    static const std::string path = [] {
        const std::string p = benchFolder() + "/big.sqlite";
        LibraryOpen o = openLibrary(p);
        Library& lib = *o.library;
        const PlayRecord rec = sessionRecord(0);
        lib.inTransaction([&] {
            NewSession n;
            n.start = {1'764'550'800'000, 540};
            n.machine = "機種0";
            n.hall = "ホール0";
            n.header.assign(kHeaderLen, 0);
            const auto first = lib.addSession(n);
            lib.putGames(first, rec, {}, 0);
            lib.summarize(first, rec, true);
            // The others as copies of the first, each on its own day, machine and hall.
            lib.db().exec(
                "WITH RECURSIVE k(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM k WHERE i < 1999) "
                "INSERT INTO sessions (start, start_ms, start_offset_min, end, end_ms, end_offset_min, machine, hall, "
                "header, invest_yen, collect_yen, games, normal_games, bb, rb, medals_in, medals_out, open) "
                "SELECT start, start_ms + i * 15000000, 540, end, start_ms + i * 15000000 + 14400000, 540, "
                "'機種' || (i % 20), 'ホール' || (i % 5), header, 10000, 5000 + (i % 7) * 2000, games, "
                "normal_games, bb + i % 3, rb, medals_in, medals_out + i % 100, 0 FROM sessions, k WHERE id = 1");
            lib.db().exec(
                "INSERT INTO games SELECT s.id, g.idx, g.byte, g.time_ms, g.offset_min FROM sessions s, games g "
                "WHERE s.id > 1 AND g.session_id = 1");
        });
        return p;
    }();
    return path;
}

// The list as the window opens it: the library opened, its 2000 sessions read.
void BM_LibraryList(benchmark::State& st) {
    const std::string& path = bigLibrary();
    for (auto _ : st) {
        auto lib = openOrSkip(st, path);
        if (!lib) return;
        const auto rows = lib->list();
        if (rows.size() != 2000) st.SkipWithError("not 2000 sessions");
        benchmark::DoNotOptimize(rows.data());
    }
}
BENCHMARK(BM_LibraryList)->Unit(benchmark::kMillisecond);

void BM_LibraryTotalsByMachine(benchmark::State& st) {
    auto lib = openOrSkip(st, bigLibrary());
    if (!lib) return;
    for (auto _ : st) {
        const auto t = lib->totals(TotalsBy::Machine);
        if (t.size() != 20) st.SkipWithError("not 20 machines");
        benchmark::DoNotOptimize(t.data());
    }
}
BENCHMARK(BM_LibraryTotalsByMachine)->Unit(benchmark::kMillisecond);

// The live view's /api/sessions, made on the recorder's thread after each batch. The copies
// above keep the first session's start text, so all 2000 fall on its day: the worst case.
void BM_TodaySessions(benchmark::State& st) {
    auto lib = openOrSkip(st, bigLibrary());
    if (!lib) return;
    for (auto _ : st) {
        const std::string j = todaySessionsJson(*lib, {1'764'550'800'000, 540});
        if (j.size() < 2000 * 100) st.SkipWithError("not 2000 sessions today");
        benchmark::DoNotOptimize(j.data());
    }
}
BENCHMARK(BM_TodaySessions)->Unit(benchmark::kMillisecond);

// 100 play-data files of 8000 games into a new library.
void BM_LibraryImport100(benchmark::State& st) {
    const fs::path dir = fs::path(benchFolder()) / "import";
    if (!fs::exists(dir / "099.slt")) {
        fs::create_directories(dir);
        for (int i = 0; i < 100; ++i) {
            char name[16];
            std::snprintf(name, sizeof name, "%03d.slt", i);
            writeFileBytes((dir / name).string(), encodeSlt(sessionRecord(i)));
        }
    }
    int round = 0;
    for (auto _ : st) {
        st.PauseTiming();
        const std::string path = benchFolder() + "/import-" + std::to_string(round++) + ".sqlite";
        st.ResumeTiming();
        auto lib = openOrSkip(st, path);
        if (!lib) return;
        int imported = 0;
        for (const ImportResult& r : lib->importPath(dir.string())) imported += r.outcome == ImportOutcome::Imported;
        if (imported != 100) st.SkipWithError("not 100 files imported");
        st.PauseTiming();
        lib.reset();
        fs::remove(path);
        fs::remove(path + "-wal");
        fs::remove(path + "-shm");
        st.ResumeTiming();
    }
}
BENCHMARK(BM_LibraryImport100)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

}  // namespace

}  // namespace tobrak::bench
