// The library of sessions on real SQLite files in a temporary folder: how it
// opens whatever it finds, what it keeps of an import and of a live session,
// the money and the totals, and the recorder off the poll's thread.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <chrono>
#include <fstream>
#include <thread>

#include "boards/sim_board.h"
#include "counts/bonus_history.h"
#include "library/library.h"
#include "library/library_json.h"
#include "library/recorder.h"
#include "library/schema.h"
#include "record/slt_file.h"
#include "rig.h"
#include "util/paths.h"

namespace tobrak::test {
namespace {

namespace fs = std::filesystem;

// A session of the simulated machine played for `games` games.
std::unique_ptr<Session> play(std::uint64_t seed, int games, SimBoard* sim = nullptr) {
    auto s = std::make_unique<Session>();
    std::unique_ptr<SimBoard> own;
    if (!sim) sim = (own = std::make_unique<SimBoard>(SimOptions{.seed = seed, .speed = 100.0})).get();
    s->setBoard(sim, "sim");
    while (s->rec.games() < games) s->poll();
    s->setBoard(nullptr);
    return s;
}

std::string writeSlt(const fs::path& p, const Session& s) {
    const auto bytes = s.image();
    std::ofstream(p, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return p.string();
}

std::unique_ptr<Library> open(const fs::path& p, LibraryOptions o = {}) {
    LibraryOpen r = openLibrary(p.string(), o);
    EXPECT_EQ(r.state, LibraryState::Ok) << r.notice.line;
    return std::move(r.library);
}

void rawExec(const fs::path& p, const std::string& sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(p.string().c_str(), &db), SQLITE_OK);
    char* err = nullptr;
    const int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &err);
    EXPECT_EQ(rc, SQLITE_OK) << (err ? err : "");
    sqlite3_free(err);
    sqlite3_close(db);
}

std::string readText(const fs::path& p) {
    std::ifstream f(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), {}};
}

// ---- opening

TEST(LibraryOpen, ANewFileIsALibraryInWalModeAndKeepsWhatItWasGiven) {
    TempDir tmp{"lib_new"};
    const fs::path p = tmp.path / "deep" / "folder" / "library.sqlite";
    {
        auto lib = open(p);
        ASSERT_TRUE(lib);
        EXPECT_EQ(lib->db().scalar("PRAGMA user_version"), librarySchemaVersion());
        EXPECT_EQ(lib->db().scalar("PRAGMA application_id"), kLibraryApplicationId);
        {
            sql::Stmt s(lib->db(), "PRAGMA journal_mode");
            ASSERT_TRUE(s.step());
            EXPECT_EQ(s.text(0), "wal");
        }
        EXPECT_TRUE(lib->setHall({"駅前", 46, 20}));
    }
    auto again = open(p);
    ASSERT_TRUE(again);
    ASSERT_TRUE(again->hall("駅前"));
    EXPECT_DOUBLE_EQ(again->hall("駅前")->yenPerMedal, 20);
    EXPECT_FALSE(again->setHall({"", 46, 20}));
    EXPECT_FALSE(again->setHall({"裏", 0, 20}));
}

#ifndef _WIN32  // the variables of the XDG folders
TEST(LibraryOpen, TheDefaultPathFollowsTheDataFolder) {
    const std::string oldData = envUtf8("XDG_DATA_HOME"), oldHome = envUtf8("HOME");
    setenv("XDG_DATA_HOME", "/x/data", 1);
    EXPECT_EQ(defaultLibraryPath(), "/x/data/tobrak/library.sqlite");
    unsetenv("XDG_DATA_HOME");
    setenv("HOME", "/home/p", 1);
    EXPECT_EQ(defaultLibraryPath(), "/home/p/.local/share/tobrak/library.sqlite");
    setenv("HOME", oldHome.c_str(), 1);
    if (!oldData.empty()) setenv("XDG_DATA_HOME", oldData.c_str(), 1);
}
#endif

// Each released schema is kept as the SQL of a file of that version, with a
// session in it; opening it brings it up to date and keeps the session.
TEST(LibraryOpen, EveryEarlierSchemaIsBroughtUpToDate) {
    TempDir tmp{"lib_migrate"};
    for (int v = 1; v <= librarySchemaVersion(); ++v) {
        const fs::path p = tmp.path / ("v" + std::to_string(v) + ".sqlite");
        rawExec(p, readText(fs::path(TOBRAK_TEST_DIR) / "library" / ("schema-v" + std::to_string(v) + ".sql")));
        LibraryOpen o = openLibrary(p.string());
        ASSERT_EQ(o.state, LibraryState::Ok) << "version " << v << ": " << o.notice.line;
        EXPECT_EQ(o.library->db().scalar("PRAGMA user_version"), librarySchemaVersion());
        const auto rows = o.library->list();
        ASSERT_EQ(rows.size(), 1u) << "version " << v;
        EXPECT_EQ(rows[0].machine, "サンプル機");
        EXPECT_EQ(rows[0].games, 3);
        const auto rec = o.library->record(rows[0].id);
        ASSERT_TRUE(rec);
        EXPECT_EQ(rec->image.size(), static_cast<std::size_t>(kHeaderLen + 3));
        // Hand counts came with version 2: none before, kept from it on.
        const auto d = o.library->details(rows[0].id);
        ASSERT_TRUE(d);
        EXPECT_EQ(d->counts, (v < 2 ? ManualCounts{} : ManualCounts{{"ブドウ", 12}, {"チェリー", 3}}));
    }
}

// The runner: each step once, in order, from the version a file has.
TEST(LibraryOpen, MigrationsRunEachStepOnceFromTheFilesVersion) {
    TempDir tmp{"lib_runner"};
    const fs::path p = tmp.path / "library.sqlite";
    rawExec(p, readText(fs::path(TOBRAK_TEST_DIR) / "library" / "schema-v1.sql"));
    sql::Db db(p.string(), SQLITE_OPEN_READWRITE);
    std::vector<std::string> steps = libraryMigrations();
    steps.push_back("ALTER TABLE sessions ADD COLUMN weather TEXT NOT NULL DEFAULT 'sunny'");
    EXPECT_EQ(migrate(db, steps), 1);
    EXPECT_EQ(db.scalar("PRAGMA user_version"), static_cast<std::int64_t>(steps.size()));
    EXPECT_EQ(db.scalar("SELECT count(*) FROM sessions WHERE weather = 'sunny'"), 1);
    EXPECT_EQ(migrate(db, steps), static_cast<int>(steps.size()));  // nothing left to do
    // A step that fails leaves the file at the version before it.
    steps.push_back("ALTER TABLE nowhere ADD COLUMN x");
    EXPECT_THROW(migrate(db, steps), sql::DbError);
    EXPECT_EQ(db.scalar("PRAGMA user_version"), static_cast<std::int64_t>(steps.size() - 1));
}

TEST(LibraryOpen, ADamagedOrForeignFileIsKeptAsideAndANewLibraryStarted) {
    TempDir tmp{"lib_aside"};
    struct Case {
        const char* what;
        std::function<void(const fs::path&)> make;
        const char* text;
    };
    const std::vector<Case> cases = {
        {"damaged",
         [&](const fs::path& p) {
             {
                 auto lib = open(p);
                 ASSERT_TRUE(lib->setHall({"駅前", 46, 20}));
             }
             std::fstream f(p, std::ios::in | std::ios::out | std::ios::binary);
             f.seekp(100);
             const std::string junk(8000, '\xAB');
             f.write(junk.data(), static_cast<std::streamsize>(junk.size()));
         },
         "壊れて"},
        {"a picture",
         [](const fs::path& p) { std::ofstream(p, std::ios::binary) << "\x89PNG\r\n\x1a\n"
                                                                    << std::string(500, 'x'); },
         "ライブラリではありません"},
        {"another program's database",
         [](const fs::path& p) {
             rawExec(p, "CREATE TABLE photos (id INTEGER, data BLOB); INSERT INTO photos VALUES (1, x'00');");
         },
         "ライブラリではありません"},
    };
    for (const Case& c : cases) {
        const fs::path p = tmp.path / (std::string(c.what) + ".sqlite");
        c.make(p);
        const std::string before = readText(p);
        LibraryOpen o = openLibrary(p.string());
        ASSERT_EQ(o.state, LibraryState::SetAside) << c.what << ": " << o.notice.line;
        ASSERT_TRUE(o.library) << c.what;
        EXPECT_NE(o.notice.text.find(c.text), std::string::npos) << c.what << ": " << o.notice.text;
        EXPECT_NE(o.notice.line.find(o.setAside), std::string::npos) << o.notice.line;
        EXPECT_EQ(readText(o.setAside), before) << c.what << ": kept as it was";
        EXPECT_NE(o.setAside.find(".damaged-"), std::string::npos);
        EXPECT_TRUE(o.library->list().empty());
        EXPECT_TRUE(o.library->setHall({"新", 50, 20})) << c.what << ": the new library takes writes";
    }
}

TEST(LibraryOpen, ALockedLibraryIsToldAndNoneIsUsed) {
    TempDir tmp{"lib_locked"};
    const fs::path p = tmp.path / "library.sqlite";
    open(p).reset();
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(p.string().c_str(), &other), SQLITE_OK);
    ASSERT_EQ(
        sqlite3_exec(other, "PRAGMA locking_mode = EXCLUSIVE; BEGIN EXCLUSIVE; INSERT INTO halls VALUES ('x', 1, 1);",
                     nullptr, nullptr, nullptr),
        SQLITE_OK);
    LibraryOpen o = openLibrary(p.string(), {.busyMs = 50});
    EXPECT_EQ(o.state, LibraryState::Locked);
    EXPECT_FALSE(o.library);
    EXPECT_NE(o.notice.text.find("使用中"), std::string::npos);
    EXPECT_NE(o.notice.line.find("locked"), std::string::npos);
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    EXPECT_EQ(openLibrary(p.string()).state, LibraryState::Ok) << "free again";
}

TEST(LibraryOpen, ANewerSchemaIsReadButNeverWritten) {
    TempDir tmp{"lib_newer"};
    const fs::path p = tmp.path / "library.sqlite";
    const std::string slt = writeSlt(tmp.path / "a.slt", *play(3, 200));
    {
        auto lib = open(p);
        ASSERT_EQ(lib->importSlt(slt).outcome, ImportOutcome::Imported);
    }
    rawExec(p, "PRAGMA user_version = " + std::to_string(librarySchemaVersion() + 1));
    LibraryOpen o = openLibrary(p.string());
    ASSERT_EQ(o.state, LibraryState::ReadOnly);
    ASSERT_TRUE(o.library);
    EXPECT_TRUE(o.library->readOnly());
    EXPECT_NE(o.notice.text.find("読み取り専用"), std::string::npos);
    const auto rows = o.library->list();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].games, 200);
    EXPECT_FALSE(o.library->edit(rows[0].id, {.investYen = 1000}));
    EXPECT_FALSE(o.library->remove(rows[0].id));
    EXPECT_EQ(o.library->importSlt(writeSlt(tmp.path / "b.slt", *play(4, 10))).outcome, ImportOutcome::NotWritten);
    EXPECT_EQ(o.library->session(rows[0].id)->investYen, 0);
}

TEST(LibraryOpen, AFullDiskIsToldOnceAndWritesStop) {
    TempDir tmp{"lib_full"};
    const fs::path p = tmp.path / "library.sqlite";
    const std::string small = writeSlt(tmp.path / "small.slt", *play(5, 50));
    std::vector<std::string> big;
    for (int i = 0; i < 3; ++i)
        big.push_back(writeSlt(tmp.path / ("big" + std::to_string(i) + ".slt"), *play(10 + i, 6000)));
    std::int64_t pages = 0;
    {
        auto lib = open(p);
        ASSERT_EQ(lib->importSlt(small).outcome, ImportOutcome::Imported);
        pages = lib->db().scalar("PRAGMA page_count");
    }
    // Room for a few pages more: less than any of the big files needs.
    auto lib = open(p, {.maxPages = pages + 4});
    ASSERT_TRUE(lib);
    std::vector<LibraryNotice> told;
    std::vector<ImportOutcome> outcomes;
    for (const auto& f : big) {
        outcomes.push_back(lib->importSlt(f).outcome);
        if (auto n = lib->takeNotice(); !n.empty()) told.push_back(n);
    }
    EXPECT_EQ(outcomes, std::vector<ImportOutcome>(3, ImportOutcome::NotWritten));
    ASSERT_EQ(told.size(), 1u) << "told once";
    EXPECT_NE(told[0].text.find("ディスクがいっぱい"), std::string::npos);
    EXPECT_TRUE(lib->full());
    EXPECT_FALSE(lib->edit(lib->list()[0].id, {.investYen = 500}));
    ASSERT_EQ(lib->list().size(), 1u) << "what was there stays readable";
    EXPECT_EQ(lib->list()[0].games, 50);
}

// ---- import and export

TEST(LibraryImport, AFileIsKeptWithItsGamesBonusesAndTimeAndNeverTwice) {
    TempDir tmp{"lib_import"};
    auto s = play(21, 3000);
    setHeaderComment(s->rec, u"角台");
    const std::string slt = writeSlt(tmp.path / "play.slt", *s);
    const auto mtime = std::chrono::system_clock::now() - std::chrono::hours(50);
    fs::last_write_time(slt, std::chrono::file_clock::from_sys(mtime));
    auto lib = open(tmp.path / "library.sqlite");

    const ImportResult r = lib->importSlt(slt);
    ASSERT_EQ(r.outcome, ImportOutcome::Imported) << r.message;
    EXPECT_EQ(r.games, 3000);
    const auto d = lib->details(r.id);
    ASSERT_TRUE(d);
    const BonusHistory h = bonusHistory(s->rec);
    EXPECT_EQ(d->row.games, 3000);
    EXPECT_EQ(d->row.bb, h.bb);
    EXPECT_EQ(d->row.rb, h.rb);
    EXPECT_EQ(d->row.normalGames, h.normalGames);
    EXPECT_EQ(d->row.balance(), s->cnt.Tot_Out - s->cnt.Tot_In);
    EXPECT_EQ(d->row.comment, "角台");
    EXPECT_EQ(d->row.source, "slt");
    EXPECT_FALSE(d->row.open);
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(mtime.time_since_epoch()).count();
    EXPECT_NEAR(static_cast<double>(d->row.start.unixMs), static_cast<double>(ms), 1000.0) << "the file's time";
    ASSERT_EQ(d->bonuses.size(), h.bonuses.size());
    for (std::size_t i = 0; i < h.bonuses.size(); ++i) {
        EXPECT_EQ(d->bonuses[i].firstGame, h.bonuses[i].firstGame);
        EXPECT_EQ(d->bonuses[i].games, h.bonuses[i].games);
        EXPECT_EQ(d->bonuses[i].gain, h.bonuses[i].net);
        EXPECT_EQ(d->bonuses[i].kind, h.bonuses[i].kind);
    }
    // The record comes back byte for byte as the file was.
    const auto rec = lib->record(r.id);
    ASSERT_TRUE(rec);
    EXPECT_EQ(rec->image, s->image());

    const ImportResult again = lib->importSlt(slt);
    EXPECT_EQ(again.outcome, ImportOutcome::AlreadyThere);
    EXPECT_EQ(again.id, r.id);
    EXPECT_NE(again.message.find("imported before"), std::string::npos);
    EXPECT_EQ(lib->list().size(), 1u);
}

TEST(LibraryImport, AFolderImportsEachFileAndSaysWhatItCouldNot) {
    TempDir tmp{"lib_folder"};
    const fs::path dir = tmp.path / "files";
    fs::create_directories(dir / "sub");
    writeSlt(dir / "a.slt", *play(1, 100));
    writeSlt(dir / "B.SLT", *play(2, 200));
    writeSlt(dir / "sub" / "c.slt", *play(3, 300));  // subfolders are not looked into
    std::ofstream(dir / "short.slt") << "too short";
    std::ofstream(dir / "notes.txt") << "not a record";
    // A kept journal, with its games' times.
    auto j = Journal::open((tmp.path / "j").string());
    auto live = play(4, 40);
    ASSERT_TRUE(j->begin(live->rec, live->options(), live->times()));
    fs::copy_file(j->path(), dir / "kept.journal");

    auto lib = open(tmp.path / "library.sqlite");
    const auto results = lib->importPath(dir.string());
    ASSERT_EQ(results.size(), 4u);
    std::map<std::string, ImportResult> by;
    for (const auto& r : results) by[fs::path(r.path).filename().string()] = r;
    EXPECT_EQ(by["a.slt"].outcome, ImportOutcome::Imported);
    EXPECT_EQ(by["B.SLT"].outcome, ImportOutcome::Imported);
    EXPECT_EQ(by["short.slt"].outcome, ImportOutcome::Unreadable);
    EXPECT_NE(by["short.slt"].message.find("shorter"), std::string::npos);
    ASSERT_EQ(by["kept.journal"].outcome, ImportOutcome::Imported) << by["kept.journal"].message;
    const auto d = lib->details(by["kept.journal"].id);
    EXPECT_EQ(d->row.games, 40);
    EXPECT_EQ(d->row.source, "journal");
    ASSERT_TRUE(d->games.back().time);
    EXPECT_EQ(*d->games.back().time, *live->times().back());
    EXPECT_EQ(d->row.start, *live->times().front());
    EXPECT_EQ(*d->row.end, *live->times().back());
    // The second time, nothing new.
    for (const auto& r : lib->importPath(dir.string())) {
        if (r.outcome != ImportOutcome::Unreadable) {
            EXPECT_EQ(r.outcome, ImportOutcome::AlreadyThere) << r.path;
        }
    }
    EXPECT_EQ(lib->list().size(), 3u);
    EXPECT_EQ(lib->importPath((dir / "missing.slt").string())[0].outcome, ImportOutcome::Unreadable);

    // What a new library offers from the journal folder: the kept journals, not the running one.
    fs::copy_file(j->path(), tmp.path / "j" / "session-20261209-210405.journal");
    std::ofstream(tmp.path / "j" / "notes.txt") << "x";
    const auto kept = keptJournals((tmp.path / "j").string());
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(fs::path(kept[0]).filename(), "session-20261209-210405.journal");
    EXPECT_TRUE(keptJournals((tmp.path / "none").string()).empty());
}

TEST(LibraryImport, CsvOfSessionsAndOfASessionsGames) {
    TempDir tmp{"lib_csv"};
    auto lib = open(tmp.path / "library.sqlite");
    auto s = play(8, 500);
    const auto id = lib->importSlt(writeSlt(tmp.path / "a.slt", *s)).id;
    ASSERT_TRUE(lib->edit(id, {.machine = "サンプル機, 新台",
                               .hall = "駅前",
                               .comment = "言った \"角\"",
                               .investYen = 5000,
                               .collectYen = 8000}));
    const std::string csv = lib->sessionsCsv();
    EXPECT_EQ(csv.substr(0, csv.find('\n')),
              "id,start,end,machine,hall,number,profile,board,games,normal_games,bb,rb,combined,balance,invest_yen,"
              "collect_medals,collect_yen,income_yen,yen_per_hour,comment");
    const std::string line = csv.substr(csv.find('\n') + 1);
    EXPECT_NE(line.find(",\"サンプル機, 新台\",駅前,"), std::string::npos) << line;
    EXPECT_NE(line.find(",5000,,8000,3000,"), std::string::npos) << line;
    EXPECT_NE(line.find("\"言った \"\"角\"\"\""), std::string::npos) << line;

    const auto games = lib->gamesCsv(id);
    ASSERT_TRUE(games);
    // The file export's columns, each line with an empty time (a file keeps none).
    std::string expected;
    const std::string plain = gamesCsv(s->rec, bonusHistory(s->rec));
    for (std::size_t at = 0, n = 0; at < plain.size(); ++n) {
        const std::size_t nl = plain.find('\n', at);
        expected += plain.substr(at, nl - at) + (n == 0 ? ",time" : ",") + "\n";
        at = nl + 1;
    }
    EXPECT_EQ(*games, expected);
    EXPECT_FALSE(lib->gamesCsv(id + 100));
}

// ---- money, totals, the trash

TEST(LibraryMoney, IncomeAndHourlyRateFromWhatThePlayerEntered) {
    TempDir tmp{"lib_money"};
    auto lib = open(tmp.path / "library.sqlite");
    NewSession n;
    n.start = {1'765'000'000'000, 540};
    n.end = WallTime{1'765'000'000'000 + 2 * 3'600'000, 540};  // two hours
    n.hall = "駅前";
    std::int64_t id = 0;
    ASSERT_TRUE(lib->inTransaction([&] { id = lib->addSession(n); }));
    auto row = *lib->session(id);
    EXPECT_FALSE(row.income()) << "nothing entered: no 収支";
    EXPECT_FALSE(row.yenPerHour());

    ASSERT_TRUE(lib->edit(id, {.investYen = 10000, .collectMedals = 700}));
    EXPECT_FALSE(lib->session(id)->income()) << "medals without the hall's rate";
    ASSERT_TRUE(lib->setHall({"駅前", 47, 19.6}));
    row = *lib->session(id);
    ASSERT_TRUE(row.collectYen);
    EXPECT_EQ(*row.collectYen, 13720);  // 700 x 19.6
    EXPECT_TRUE(row.collectFromRate);
    EXPECT_EQ(*row.income(), 3720);
    EXPECT_DOUBLE_EQ(*row.yenPerHour(), 1860.0);

    ASSERT_TRUE(lib->edit(id, {.collectYen = 9000}));  // yen entered win over the rate
    EXPECT_EQ(*lib->session(id)->income(), -1000);
    EXPECT_FALSE(lib->session(id)->collectFromRate);
    ASSERT_TRUE(lib->edit(id, {.collectMedals = -1, .collectYen = -1}));
    EXPECT_FALSE(lib->session(id)->income()) << "cleared";
    EXPECT_FALSE(lib->edit(id + 1, {.investYen = 1}));
}

TEST(LibraryTotals, ByDayMonthMachineHallAndProfile) {
    TempDir tmp{"lib_totals"};
    auto lib = open(tmp.path / "library.sqlite");
    struct S {
        std::int64_t startMs;
        const char *machine, *hall;
        int bb, rb, in, out;
        std::int64_t invest, collect;
    };
    // 2026-12-01 10:00 +09:00 and the days after.
    const std::int64_t day1 = 1'796'086'800'000, day = 86'400'000;
    const std::vector<S> all = {
        {day1, "A", "駅前", 2, 1, 900, 1000, 10000, 12000},
        {day1 + 3'600'000, "B", "駅前", 0, 1, 600, 400, 5000, 0},
        {day1 + day, "A", "裏", 1, 0, 300, 450, 3000, -1},
        {day1 + 31 * day, "A", "裏", 0, 0, 90, 30, 1000, 0},
    };
    for (const S& s : all) {
        NewSession n;
        n.start = {s.startMs, 540};
        n.machine = s.machine;
        n.hall = s.hall;
        ASSERT_TRUE(lib->inTransaction([&] {
            const auto id = lib->addSession(n);
            sql::Stmt u(lib->db(),
                        "UPDATE sessions SET bb = ?, rb = ?, medals_in = ?, medals_out = ?, games = 100 WHERE id = ?");
            u.bind(1, s.bb).bind(2, s.rb).bind(3, s.in).bind(4, s.out).bind(5, id).run();
        }));
        const auto id = lib->list()[0].id;
        ASSERT_TRUE(
            lib->edit(id, {.investYen = s.invest,
                           .collectYen = s.collect >= 0 ? std::optional<std::int64_t>(s.collect) : std::nullopt}));
    }
    const auto byMachine = lib->totals(TotalsBy::Machine);
    ASSERT_EQ(byMachine.size(), 2u);
    EXPECT_EQ(byMachine[0].key, "A");
    EXPECT_EQ(byMachine[0].sessions, 3);
    EXPECT_EQ(byMachine[0].games, 300);
    EXPECT_EQ(byMachine[0].bb, 3);
    EXPECT_EQ(byMachine[0].rb, 1);
    EXPECT_EQ(byMachine[0].balance(), 1480 - 1290);
    EXPECT_EQ(byMachine[0].income, 2000 - 1000) << "the session without 回収 is left out";
    EXPECT_EQ(byMachine[0].incomeSessions, 2);
    EXPECT_NEAR(*byMachine[0].machineRate(), 1480.0 / 1290.0, 1e-12);
    EXPECT_EQ(byMachine[1].income, -5000);

    const auto byDay = lib->totals(TotalsBy::Day);
    ASSERT_EQ(byDay.size(), 3u);
    EXPECT_EQ(byDay[0].key, "2026-12-01");
    EXPECT_EQ(byDay[0].sessions, 2);
    EXPECT_EQ(byDay[2].key, "2027-01-01");
    const auto byMonth = lib->totals(TotalsBy::Month, {.hall = "裏"});
    ASSERT_EQ(byMonth.size(), 2u);
    EXPECT_EQ(byMonth[0].key, "2026-12");
    EXPECT_EQ(byMonth[0].sessions, 1);
    EXPECT_EQ(lib->totals(TotalsBy::Hall).size(), 2u);
    EXPECT_EQ(lib->totals(TotalsBy::Profile).size(), 1u);

    // The list: newest first, by filter.
    const auto rows = lib->list();
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_GT(rows[0].start.unixMs, rows[1].start.unixMs);
    EXPECT_EQ(lib->list({.month = "2026-12"}).size(), 3u);
    EXPECT_EQ(lib->list({.hall = "駅前", .machine = "B"}).size(), 1u);
    EXPECT_TRUE(lib->list({.profile = "none"}).empty());

    // The live view's today at 23:30 local: the local day of now, its sessions newest first and their sum.
    const auto today = nlohmann::json::parse(todaySessionsJson(*lib, {day1 + 13 * 3'600'000 + 30 * 60'000, 540}));
    EXPECT_EQ(today["day"], "2026-12-01");
    ASSERT_EQ(today["sessions"].size(), 2u);
    EXPECT_EQ(today["sessions"][0]["machine"], "B");
    EXPECT_EQ(today["totals"]["sessions"], 2);
    EXPECT_EQ(today["totals"]["income_yen"], 2000 - 5000);
    EXPECT_EQ(today["totals"]["balance"], 1400 - 1500);
    // An hour later, 00:30 at +09:00, it is the 2nd: the day of the third session.
    const auto next = nlohmann::json::parse(todaySessionsJson(*lib, {day1 + 14 * 3'600'000 + 30 * 60'000, 540}));
    EXPECT_EQ(next["day"], "2026-12-02");
    ASSERT_EQ(next["sessions"].size(), 1u);
    EXPECT_EQ(next["totals"]["income_yen"], 0) << "no 回収 entered: nothing counted";
}

TEST(LibraryTrash, ADeletedSessionWaitsThirtyDaysAndCanComeBack) {
    TempDir tmp{"lib_trash"};
    auto lib = open(tmp.path / "library.sqlite");
    const auto id = lib->importSlt(writeSlt(tmp.path / "a.slt", *play(6, 100))).id;
    ASSERT_TRUE(lib->remove(id));
    EXPECT_FALSE(lib->remove(id)) << "already there";
    EXPECT_TRUE(lib->list().empty());
    ASSERT_EQ(lib->list({.trash = true}).size(), 1u);
    EXPECT_TRUE(lib->totals(TotalsBy::Machine).empty());
    const std::int64_t now =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::system_clock::now().time_since_epoch())
            .count();
    EXPECT_EQ(lib->purgeTrash(now + 29LL * 86'400'000), 0);
    ASSERT_TRUE(lib->restore(id));
    EXPECT_FALSE(lib->restore(id));
    EXPECT_EQ(lib->list().size(), 1u);
    ASSERT_TRUE(lib->remove(id));
    EXPECT_EQ(lib->purgeTrash(now + 31LL * 86'400'000), 1);
    EXPECT_FALSE(lib->session(id));
    EXPECT_EQ(lib->db().scalar("SELECT count(*) FROM games"), 0) << "its games went with it";
}

}  // namespace
}  // namespace tobrak::test
