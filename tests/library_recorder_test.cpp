// The recorder: a live session of the simulated machine put into the library
// game by game from another thread, as the record holds it, without the poll
// ever waiting for the disk; a record replaced starts a new session, and the
// restore after a crash continues the unfinished one.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <chrono>
#include <thread>

#include "boards/sim_board.h"
#include "counts/bonus_history.h"
#include "library/recorder.h"
#include "record/slt_file.h"
#include "rig.h"
#include "slow_disk.h"

namespace tobrak::test {
namespace {

namespace fs = std::filesystem;

std::unique_ptr<Library> open(const fs::path& p, LibraryOptions o = {}) {
    LibraryOpen r = openLibrary(p.string(), o);
    EXPECT_TRUE(r.library) << r.notice.line;
    return std::move(r.library);
}

void playTo(Session& s, int games) {
    while (s.rec.games() < games && !s.rec.full()) s.poll();
}

// The library's session matches the record: every byte, every time, every bonus.
void expectSameAs(Library& lib, std::int64_t id, const Session& s) {
    const auto d = lib.details(id);
    ASSERT_TRUE(d);
    ASSERT_EQ(d->row.games, s.rec.games());
    ASSERT_EQ(d->games.size(), static_cast<std::size_t>(s.rec.games()));
    for (std::int32_t i = 0; i < s.rec.games(); ++i) {
        ASSERT_EQ(d->games[static_cast<std::size_t>(i)].byte, s.rec.game(i)) << "game " << i;
        ASSERT_EQ(d->games[static_cast<std::size_t>(i)].time, s.times()[static_cast<std::size_t>(i)]) << "game " << i;
    }
    const BonusHistory h = bonusHistory(s.rec);
    EXPECT_EQ(d->row.bb, h.bb);
    EXPECT_EQ(d->row.rb, h.rb);
    EXPECT_EQ(d->row.balance(), s.cnt.Tot_Out - s.cnt.Tot_In);
    ASSERT_EQ(d->bonuses.size(), h.bonuses.size());
    for (std::size_t i = 0; i < h.bonuses.size(); ++i) {
        const BonusRow& b = d->bonuses[i];
        EXPECT_EQ(b.firstGame, h.bonuses[i].firstGame);
        EXPECT_EQ(b.games, h.bonuses[i].games);
        EXPECT_EQ(b.gain, h.bonuses[i].net);
        EXPECT_EQ(b.start, s.times()[static_cast<std::size_t>(b.firstGame)]) << "the time of its first game";
    }
    EXPECT_EQ(lib.record(id)->image, s.image());
}

TEST(LibraryRecorder, ALiveSessionIsKeptAsTheRecordHoldsIt) {
    TempDir tmp{"rec_live"};
    const fs::path p = tmp.path / "library.sqlite";
    SimBoard sim({.seed = 17, .speed = 100.0});
    Session s;
    s.setBoard(&sim, "the simulated machine");
    s.machine = {"サンプル機", "駅前", "128", "example"};
    s.nameCounters({"ブドウ", "チェリー"});
    std::int64_t id = 0;
    {
        LibraryRecorder r(s, open(p), {.flushMs = 20});
        EXPECT_EQ(r.currentId(), 0) << "nothing before the first game";
        s.count(0);  // counted before the first game: kept with the session's start
        playTo(s, 1500);
        r.flush();
        id = r.currentId();
        ASSERT_NE(id, 0);
        // While it plays, a second connection (the window's) reads what was written.
        auto reader = open(p);
        const auto row = reader->session(id);
        ASSERT_TRUE(row);
        EXPECT_TRUE(row->open);
        EXPECT_EQ(row->games, 1500);
        EXPECT_EQ(row->machine, "サンプル機");
        EXPECT_EQ(row->number, "128");
        EXPECT_EQ(row->board, "the simulated machine");
        EXPECT_EQ(row->start, *s.times().front());
        EXPECT_TRUE(reader->edit(id, {.investYen = 5000}));  // the 投資 buttons while it records
        playTo(s, 3000);
        s.count(0);
        s.count(1);
        s.count(1);
        s.count(1, -1);
    }
    auto lib = open(p);
    ASSERT_EQ(lib->list().size(), 1u);
    expectSameAs(*lib, id, s);
    const auto row = *lib->session(id);
    EXPECT_FALSE(row.open) << "finished when the recorder went";
    EXPECT_EQ(*row.end, *s.times().back());
    EXPECT_EQ(row.investYen, 5000) << "the writer's counts never overwrite the player's money";
    EXPECT_EQ(lib->details(id)->counts, (ManualCounts{{"ブドウ", 2}, {"チェリー", 1}}));
}

TEST(LibraryRecorder, AReplacedRecordStartsANewSessionAtItsNextGame) {
    TempDir tmp{"rec_replace"};
    const fs::path p = tmp.path / "library.sqlite";
    SimBoard sim({.seed = 5, .speed = 100.0});
    Session s;
    s.setBoard(&sim);
    auto lib = open(p);
    std::vector<std::uint8_t> first;
    {
        LibraryRecorder r(s, open(p), {.flushMs = 20});
        playTo(s, 400);
        first = s.image();
        // A clear, as the window's clear command does it.
        s.rec.clear();
        s.cnt = Counters{};
        s.clearFlags();
        s.replaced();
        r.flush();
        EXPECT_EQ(lib->list().size(), 1u) << "no game yet: no new session";
        playTo(s, 250);
        s.comment = u"二台目";
        setHeaderComment(s.rec, s.comment);
        s.headerChanged();
    }
    const auto rows = lib->list();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(lib->record(rows[1].id)->image, first);
    EXPECT_FALSE(rows[1].open);
    expectSameAs(*lib, rows[0].id, s);
    EXPECT_EQ(rows[0].comment, "二台目");
}

TEST(LibraryRecorder, TheRestoreAfterACrashContinuesTheUnfinishedSession) {
    TempDir tmp{"rec_resume"};
    const fs::path p = tmp.path / "library.sqlite";
    SimBoard sim({.seed = 9, .speed = 100.0});
    // The crashed run: what the writer had written when the program died.
    Session crashed;
    crashed.setBoard(&sim);
    std::int64_t id = 0;
    {
        auto lib = open(p);
        playTo(crashed, 600);
        PlayRecord partial = crashed.rec;
        partial.Dat_Len = kHeaderLen + 580;
        partial.Dat_Buf[partial.Dat_Len - 1] &= 0xF0;  // its payout not written yet
        ASSERT_TRUE(lib->inTransaction([&] {
            id = lib->addSession({.start = *crashed.times().front()});
            lib->putGames(id, partial, crashed.times(), 0);
            lib->summarize(id, partial, false);
        }));
    }
    EXPECT_EQ(open(p)->newestOpen(), id) << "left unfinished";
    // The next run restores the journal's record and goes on.
    Session s;
    s.rec = crashed.rec;
    s.recount();
    s.replaced(crashed.times());
    s.setBoard(&sim);
    {
        LibraryRecorder r(s, open(p), {.flushMs = 20});
        r.resumeFrom();
        playTo(s, 700);
        r.flush();
        EXPECT_EQ(r.currentId(), id);
    }
    auto lib = open(p);
    ASSERT_EQ(lib->list().size(), 1u) << "no duplicate";
    expectSameAs(*lib, id, s);

    // A restored record that is not the unfinished session's becomes one of its own.
    Session other;
    SimBoard sim2({.seed = 10, .speed = 100.0});
    other.setBoard(&sim2);
    playTo(other, 30);
    {
        auto w = open(p);
        ASSERT_TRUE(w->inTransaction([&] {  // left open by another crash
            const auto left = w->addSession({.start = *other.times().front()});
            w->putGames(left, other.rec, other.times(), 0);
        }));
    }
    Session restored;
    restored.rec = other.rec;
    restored.rec.Dat_Buf[kHeaderLen] ^= 0x10;  // not that session's games
    restored.replaced(other.times());
    {
        LibraryRecorder r(restored, open(p), {.flushMs = 20});
        r.resumeFrom();
    }
    EXPECT_EQ(lib->list().size(), 3u);
    EXPECT_EQ(lib->list()[0].games, 30);
}

// A past session opened from the list and played on stays one session.
TEST(LibraryRecorder, APastSessionOpenedAndPlayedOnStaysOneSession) {
    TempDir tmp{"rec_continue"};
    const fs::path p = tmp.path / "library.sqlite";
    SimBoard sim({.seed = 23, .speed = 100.0});
    std::int64_t id = 0;
    {
        Session first;
        first.setBoard(&sim);
        LibraryRecorder r(first, open(p), {.flushMs = 20});
        playTo(first, 300);
        r.flush();
        id = r.currentId();
    }
    auto lib = open(p);
    const auto kept = lib->record(id);
    ASSERT_TRUE(kept);
    Session s;
    ASSERT_EQ(decodeSlt(kept->image, s.rec), SltStatus::Ok);
    s.recount();
    s.replaced(kept->times);
    s.setBoard(&sim);
    {
        LibraryRecorder r(s, open(p), {.flushMs = 20});
        r.continueSession(id);
        playTo(s, 420);
        r.flush();
        EXPECT_EQ(r.currentId(), id);
    }
    ASSERT_EQ(lib->list().size(), 1u);
    expectSameAs(*lib, id, s);
    EXPECT_FALSE(lib->session(id)->open);

    // Opened and then replaced by another record, it is left alone.
    Session other;
    ASSERT_EQ(decodeSlt(kept->image, other.rec), SltStatus::Ok);
    other.replaced(kept->times);
    other.setBoard(&sim);
    {
        LibraryRecorder r(other, open(p), {.flushMs = 20});
        r.continueSession(id);
        other.rec.clear();
        other.replaced();
        playTo(other, 10);
    }
    ASSERT_EQ(lib->list().size(), 2u);
    EXPECT_EQ(lib->session(id)->games, 420);
}

// Another program holds the write lock for a while: told once a spell, and
// once free again the library gets the whole session, nothing lost or doubled.
TEST(LibraryRecorder, WritesThatFailAreToldOnceAndMadeUpLater) {
    TempDir tmp{"rec_locked"};
    const fs::path p = tmp.path / "library.sqlite";
    open(p).reset();
    SimBoard sim({.seed = 31, .speed = 100.0});
    Session s;
    s.setBoard(&sim);
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(p.string().c_str(), &other), SQLITE_OK);
    std::vector<LibraryNotice> told;
    {
        LibraryRecorder r(s, open(p, {.busyMs = 10}), {.flushMs = 10});
        auto spell = [&](int games, bool locked) {
            if (locked) {
                ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
            }
            for (int target = s.rec.games() + games; s.rec.games() < target;) {
                playTo(s, std::min(target, s.rec.games() + 50));
                r.flush();
                if (auto n = r.takeNotice(); !n.empty()) told.push_back(n);
            }
            if (locked) {
                ASSERT_EQ(sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr), SQLITE_OK);
            }
        };
        spell(200, true);  // from the first game: the session's row itself waits
        spell(150, false);
        spell(300, true);
        spell(100, false);
    }
    sqlite3_close(other);
    ASSERT_EQ(told.size(), 2u) << "once for each spell";
    EXPECT_NE(told[0].line.find("cannot write"), std::string::npos) << told[0].line;
    auto lib = open(p);
    ASSERT_EQ(lib->list().size(), 1u);
    expectSameAs(*lib, lib->list()[0].id, s);
}

// The writer's disk takes 50 ms for each sync, and each commit is synced: the
// poll goes on at its pace.
TEST(LibraryRecorder, ThePollNeverWaitsForASlowDisk) {
    TempDir tmp{"rec_slow"};
    useSlowDisk(50);
    SimBoard sim({.seed = 3, .speed = 100.0});
    Session s;
    s.setBoard(&sim);
    LibraryRecorder r(s, open(tmp.path / "library.sqlite", {.syncEachCommit = true, .vfs = kSlowDiskVfs}),
                      {.flushMs = 5, .batch = 4});
    const long syncsBefore = slow_disk::syncs;
    auto longest = std::chrono::nanoseconds(0);
    while (s.rec.games() < 800) {
        const auto t0 = std::chrono::steady_clock::now();
        s.poll();
        longest = std::max(longest, std::chrono::steady_clock::now() - t0);
    }
    // A poll that waited for a commit would take its 50 ms at least.
    EXPECT_LT(longest, std::chrono::milliseconds(40)) << "a poll waited for the writer";
    r.flush();
    const long syncs = slow_disk::syncs - syncsBefore;
    EXPECT_GT(syncs, 0) << "the slow disk was used";
    EXPECT_LT(syncs, 800 / 2) << "games were batched, not a transaction each";
}

TEST(LibraryRecorder, AFullDiskIsToldOnceAndRecordingGoesOn) {
    TempDir tmp{"rec_full"};
    SimBoard sim({.seed = 12, .speed = 100.0});
    Session s;
    s.setBoard(&sim);
    LibraryRecorder r(s, open(tmp.path / "library.sqlite", {.maxPages = 40}), {.flushMs = 10});
    std::vector<LibraryNotice> told;
    while (s.rec.games() < 8000) {
        s.poll();
        if (s.rec.games() % 500 == 0) r.flush();
        if (auto n = r.takeNotice(); !n.empty()) told.push_back(n);
    }
    r.flush();
    if (auto n = r.takeNotice(); !n.empty()) told.push_back(n);
    ASSERT_EQ(told.size(), 1u);
    EXPECT_NE(told[0].line.find("full"), std::string::npos);
    EXPECT_EQ(s.rec.games(), 8000) << "the session went on";
}

}  // namespace
}  // namespace tobrak::test
