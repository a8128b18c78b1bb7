#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "app/file_commands.h"
#include "app/filedisp.h"
#include "app/menu.h"
#include "record/journal.h"
#include "record/play_time.h"
#include "record/slt_file.h"
#include "rig.h"
#include "util/text.h"

namespace tobrak::test {
namespace {

namespace fs = std::filesystem;

class JournalTest : public ::testing::Test {
protected:
    std::vector<std::uint8_t> fileBytes() const {
        const std::string text = tmp.read("session.journal");
        return {text.begin(), text.end()};
    }
    // The record the journal holds now, as a play-data file image.
    std::optional<std::vector<std::uint8_t>> held() const { return Journal::replay(fileBytes()); }
    std::unique_ptr<Journal> open() {
        auto j = Journal::open(dir.string());
        EXPECT_TRUE(j->problem().empty()) << j->problem();
        return j;
    }
    // The play-data image of what `r` holds, display options included.
    static std::vector<std::uint8_t> imageOf(Rig& r) {
        auto expect = encodeSlt(r.c.rec);
        expect[43] = r.c.options();
        return expect;
    }
    // Files of the folder whose name starts with `stem`.
    std::vector<fs::path> kept(const std::string& stem) const {
        std::vector<fs::path> out;
        for (const auto& e : fs::directory_iterator(dir))
            if (e.path().filename().string().rfind(stem, 0) == 0) out.push_back(e.path());
        return out;
    }
    // A session that dies after `games` games of 3 medals in, 2 out.
    void crashAfter(int games) {
        Rig r;
        auto j = open();
        recoverJournal(r.c, *j);
        r.games(3, games, 2);
    }
    void TearDown() override { fileio::clearFaults(); }
    TempDir tmp{"journal"};
    fs::path dir = tmp.path;
};

TEST_F(JournalTest, EveryChangeOfTheRecordReachesTheFile) {
    Rig r;
    auto j = open();
    ASSERT_TRUE(j);
    EXPECT_FALSE(j->recovered());
    recoverJournal(r.c, *j);
    EXPECT_TRUE(r.ui.dialogs.shown.empty());  // nothing left over: no question
    r.games(3, 4, 2);
    r.poll(code::BBStart);
    r.game(8 | 3);
    r.pulses(5);  // the game in progress: its pulses are there too
    EXPECT_EQ(held(), imageOf(r));
    // Comment and display options.
    r.ui.dialogs.inputAnswers.push_back(std::string("テスト"));
    menuClick(r.c, "Comment");
    menuClick(r.c, "GhpHyo", 2);
    EXPECT_EQ(held(), imageOf(r));
    EXPECT_EQ(headerComment(r.c.rec), u"テスト");
    // A clear empties it.
    menuClick(r.c, "Ghp_Cls");
    EXPECT_EQ(held().value().size(), 48u);
}

TEST_F(JournalTest, LeftOverRecordIsOfferedAndRestoredAsALoad) {
    GameTimes seen;
    {
        Rig r;
        auto j = open();
        recoverJournal(r.c, *j);
        r.ui.dialogs.inputAnswers.push_back(std::string("前回"));
        menuClick(r.c, "Comment");
        r.games(3, 10, 1);
        r.poll(code::RBStart);
        r.games(4 | 1, 2, 15);
        menuClick(r.c, "GhpHyo", 0);
        seen = r.c.session.times();
        // The program dies here: no normal close.
    }
    Rig r;
    auto j = open();
    ASSERT_TRUE(j->recovered());
    recoverJournal(r.c, *j);
    ASSERT_EQ(r.ui.dialogs.shown.size(), 1u);
    EXPECT_EQ(r.ui.dialogs.shown[0].text.rfind("前回の記録が残っています。\n復元しますか？\n\nゲーム数：12\n日時：", 0),
              0u);
    EXPECT_EQ(r.c.rec.games(), 12);
    EXPECT_EQ(r.c.cnt.Tot_Out, 10 + 30);
    EXPECT_TRUE(r.c.session.RBGame_On);  // ends inside the RB, as a load does
    EXPECT_EQ(r.c.ComData, u"前回");
    EXPECT_FALSE(r.c.mark.Mark_BBs);
    EXPECT_TRUE(r.c.mark.Mark_BBe);
    EXPECT_EQ(r.c.session.times(), seen);  // every game keeps the time it was played
    ASSERT_EQ(seen.size(), 12u);
    EXPECT_TRUE(seen.back().has_value());
    // Recording goes on into the new session's journal.
    r.game(3);
    EXPECT_EQ(held()->size(), 48u + 13u);
    EXPECT_EQ(Journal::read((dir / "session.journal").string()).times.size(), 13u);
}

TEST_F(JournalTest, CancelKeepsTheOldJournalAsABackupAndANormalEndRemovesOnlyOurs) {
    crashAfter(5);
    {
        Rig r;
        auto j = open();
        r.ui.dialogs.answers.push_back(MsgResult::Cancel);
        recoverJournal(r.c, *j);
        EXPECT_EQ(r.ui.dialogs.shown.at(0).buttons, MsgButtons::OkCancelOkDefault);  // Enter restores
        EXPECT_EQ(r.c.rec.games(), 0);
        EXPECT_EQ(held()->size(), 48u);
        const auto backups = kept("session-");
        ASSERT_EQ(backups.size(), 1u);
        EXPECT_EQ(backups[0].string(), j->keptAs());
        EXPECT_EQ(Journal::read(j->keptAs()).image.value().size(), 48u + 5u);
        j->closeNormally();
        EXPECT_FALSE(fs::exists(dir / "session.journal"));
        EXPECT_TRUE(fs::exists(backups[0]));
    }
    Rig r;
    auto j = open();
    EXPECT_FALSE(j->recovered());
}

TEST_F(JournalTest, OnlyOneProgramAtATimeTheOtherIsToldAndRetries) {
    crashAfter(4);
    auto first = open();
    ASSERT_TRUE(first->recovered());
    Rig r;
    auto second = Journal::open(dir.string());
    recoverJournal(r.c, *second);
    EXPECT_FALSE(second->healthy());
    EXPECT_NE(second->problem().find("another"), std::string::npos);
    ASSERT_EQ(r.ui.dialogs.shown.size(), 1u);
    EXPECT_EQ(r.ui.dialogs.shown[0].text, journalLostText(*second));
    journalWatch(r.c);  // still held: told once only
    EXPECT_EQ(r.ui.dialogs.shown.size(), 1u);
    second->closeNormally();  // not ours: left alone
    ASSERT_TRUE(fs::exists(dir / "session.journal"));
    r.games(3, 2);
    first.reset();  // the first program goes without a word: its journal is kept, not replaced
    journalWatch(r.c);
    EXPECT_TRUE(second->healthy());
    EXPECT_EQ(r.ui.dialogs.shown.back().text, kJournalBack);
    EXPECT_EQ(Journal::read(second->keptAs()).image->size(), 48u + 4u);
    EXPECT_EQ(held()->size(), 48u + 2u);
}

// Every byte of a journal damaged in turn: the record loses at most one game's data.
TEST_F(JournalTest, ADamagedByteCostsAtMostOneGame) {
    Rig r;
    auto j = open();
    recoverJournal(r.c, *j);
    r.ui.dialogs.inputAnswers.push_back(std::string("台"));
    menuClick(r.c, "Comment");
    for (int g = 0; g < 8; ++g) {
        r.game(g == 3 ? 8 | 3 : 3);
        r.pulses(g % 3);
    }
    const auto full = fileBytes();
    const auto whole = Journal::replay(full).value();
    ASSERT_EQ(whole.size(), 56u);
    for (std::size_t at = 0; at < full.size(); ++at) {
        auto bad = full;
        bad[at] ^= 0x5A;
        const auto image = Journal::replay(bad);
        ASSERT_TRUE(image) << "damage at " << at;
        ASSERT_GE(image->size(), whole.size() - 1) << "damage at " << at;
        // The header entry lost costs the comment; a game entry at most that game.
        int games = 0;
        for (std::size_t i = 48; i < image->size(); ++i) games += (*image)[i] != whole[i];
        EXPECT_LE(games + (image->size() < whole.size()), 1) << "damage at " << at;
    }
    // A journal cut by a crash in its last entry: the game is there, its last pulse is not.
    auto cut = full;
    cut.resize(cut.size() - 3);
    EXPECT_EQ(Journal::replay(cut)->size(), 56u);
    EXPECT_FALSE(Journal::replay({'x', 'y'}));
}

// A write, sync, close or rename that fails while the journal starts leaves the
// left journal as it was; the user is told, and the next try succeeds.
TEST_F(JournalTest, AFailedStartNeverReplacesTheLeftJournal) {
    for (const auto op : {fileio::Op::Write, fileio::Op::Sync, fileio::Op::Close, fileio::Op::Rename}) {
        crashAfter(6);
        const auto before = fileBytes();
        Rig r;
        auto j = open();
        fileio::failNth(op, 1, ENOSPC);
        recoverJournal(r.c, *j);  // restores, then the new journal fails
        EXPECT_EQ(r.c.rec.games(), 6);
        EXPECT_EQ(fileBytes(), before) << static_cast<int>(op);
        EXPECT_TRUE(kept(".session.journal").empty());  // no temporary left
        ASSERT_EQ(r.ui.dialogs.shown.size(), 2u);
        EXPECT_EQ(r.ui.dialogs.shown[1].text, journalLostText(*j));
        r.games(3, 2);
        journalWatch(r.c);
        EXPECT_EQ(r.ui.dialogs.shown.back().text, kJournalBack);
        EXPECT_EQ(held()->size(), 48u + 8u);
        j.reset();
        fs::remove_all(dir);
    }
}

// A journal write that fails in the session (a full disk) stops the journal; the
// user is told once, and the retry brings back every game recorded meanwhile.
TEST_F(JournalTest, AFailedWriteIsToldAndRetried) {
    Rig r;
    auto j = open();
    recoverJournal(r.c, *j);
    r.games(3, 3, 1);
    fileio::failNth(fileio::Op::Write, 1, ENOSPC);
    r.game(3);
    EXPECT_FALSE(j->healthy());
    EXPECT_NE(j->problem().find("No space"), std::string::npos);
    r.games(3, 4, 1);
    fileio::failNth(fileio::Op::Write, 1, ENOSPC);
    journalWatch(r.c);
    journalWatch(r.c);
    ASSERT_EQ(r.ui.dialogs.shown.size(), 2u);
    EXPECT_EQ(r.ui.dialogs.shown[0].text, journalLostText(*j));
    EXPECT_EQ(r.ui.dialogs.shown[1].text, kJournalBack);
    EXPECT_EQ(*held(), imageOf(r));
    // Interrupted writes are retried, not failures.
    fileio::failNth(fileio::Op::Write, 1, EINTR);
    r.game(3);
    EXPECT_TRUE(j->healthy());
    EXPECT_EQ(held()->size(), 48u + 9u);
}

// A journal that cannot be read is moved aside, never deleted; the program starts.
TEST_F(JournalTest, AnUnreadableJournalIsSetAsideAndTheSessionStarts) {
    fs::create_directories(dir / "session.journal" / "inside");
    {
        Rig r;
        auto j = open();
        recoverJournal(r.c, *j);
        ASSERT_FALSE(j->setAside().empty());
        EXPECT_TRUE(fs::is_directory(fs::path(j->setAside()) / "inside"));
        EXPECT_EQ(r.ui.dialogs.shown.at(0).text, journalSetAsideText(*j));
        EXPECT_TRUE(j->healthy());
        r.games(3, 2);
    }
    fs::remove_all(kept("unreadable-").at(0));
    // A read that fails with EIO: what was read before is offered, the file kept.
    const auto before = fileBytes();
    fileio::failNth(fileio::Op::Read, 2, EIO);
    Rig r;
    auto j = open();
    EXPECT_FALSE(j->setAside().empty());
    recoverJournal(r.c, *j);
    EXPECT_EQ(r.c.rec.games(), 2);
    std::ifstream f(j->setAside(), std::ios::binary);
    EXPECT_EQ(std::vector<std::uint8_t>(std::istreambuf_iterator<char>(f), {}), before);
}

TEST_F(JournalTest, LongSessionsAreCompacted) {
    Rig r;
    auto j = open();
    recoverJournal(r.c, *j);
    j->setCompactLimit(2000);
    for (int i = 0; i < 150; ++i) {
        r.game(3);
        r.pulses(i % 6);
    }
    // 150 games with their pulses and times take some 10 kB as single entries; compacted,
    // the journal is the record and its times, twice, and what came since.
    EXPECT_LT(fs::file_size(dir / "session.journal"), 4500u);
    EXPECT_EQ(held(), imageOf(r));
    // A compaction that fails keeps the old journal going.
    fileio::failNth(fileio::Op::Rename, 1, EIO);
    for (int i = 0; i < 150; ++i) r.game(3);
    EXPECT_TRUE(j->healthy());
    EXPECT_EQ(held()->size(), 48u + 300u);
}

TEST(PlayTime, IsoTimeWritesLocalTimeMillisecondsAndOffset) {
    const std::tuple<std::int64_t, std::int16_t, const char*> cases[] = {
        {1796817845120, 540, "2026-12-09T21:04:05.120+09:00"},
        {1772953199999, -300, "2026-03-08T01:59:59.999-05:00"},
        {1798759800000, 330, "2027-01-01T05:00:00.000+05:30"},  // a new year in the local time only
        {-1, 0, "1969-12-31T23:59:59.999+00:00"},
        {-14182940000, -210, "1969-07-20T16:47:40.000-03:30"},
        {1709251199999, 0, "2024-02-29T23:59:59.999+00:00"},
        {253402300799999, 0, "9999-12-31T23:59:59.999+00:00"},
        {253402300799999, 1, ""},  // the year 10000: not writable
        {0, 1440, ""},
        {LLONG_MIN, 0, ""},
    };
    for (const auto& [ms, offset, iso] : cases) {
        EXPECT_EQ(isoTime({ms, offset}), iso) << ms;
        EXPECT_EQ(writableTime({ms, offset}), *iso != 0) << ms;
    }
    // As the player reads it: the local date and minute, the seconds dropped.
    EXPECT_EQ(japaneseTime({1772953199999, -300}), "2026/03/08 01:59");
    EXPECT_EQ(japaneseTime({1798759800000, 330}), "2027/01/01 05:00");
    EXPECT_EQ(japaneseTime({0, 1440}), "");
    EXPECT_EQ(clockTime({1798759800000, 330}), "05:00");
    EXPECT_EQ(clockTime({0, 1440}), "");
}

TEST(PlayTime, NowCarriesTheZoneInForce) {
    const auto setZone = [](const char* zone) {  // "": none
#ifdef _WIN32
        _putenv_s("TZ", zone);
#else
        *zone ? setenv("TZ", zone, 1) : unsetenv("TZ");
#endif
    };
    const std::string was = std::getenv("TZ") ? std::getenv("TZ") : "";
    for (const auto& [zone, offset] : {std::pair{"IST-5:30", 330}, {"NST+3:30", -210}, {"UTC0", 0}}) {
        setZone(zone);
        const auto sys = std::chrono::system_clock::now().time_since_epoch() / std::chrono::milliseconds(1);
        EXPECT_EQ(wallNow().offsetMin, offset) << zone;
        EXPECT_LT(std::abs(wallNow().unixMs - sys), 1000) << zone;
    }
    setZone(was.c_str());
}

// A record and its times, each change told to the journal as the session does.
struct Timed {
    PlayRecord rec;
    GameTimes times;
    void game(Journal& j, std::optional<WallTime> t) {
        rec.Dat_Buf[rec.Dat_Len++] = 3;
        rec.Dat_Buf[rec.Dat_Len] = 0;
        times.push_back(t);
        j.byteSet(rec, rec.Dat_Len - 1, 0, times);
    }
};
WallTime at(int game) { return {1796817845120 + game * 4321, 540}; }
GameTimes timesIn(const std::vector<std::uint8_t>& bytes) { return Journal::readBytes(bytes).times; }

TEST_F(JournalTest, GameTimesSurviveCutsDamageAndCompaction) {
    auto j = open();
    Timed p;
    ASSERT_TRUE(j->begin(p.rec, 0));
    for (int g = 0; g < 7; ++g) p.game(*j, g == 2 ? std::nullopt : std::optional(at(g)));
    p.times[6] = at(100);  // a payout update does not move the game's time
    j->byteSet(p.rec, p.rec.Dat_Len - 1, 0, p.times);
    p.times[6] = at(6);
    p.game(*j, at(7));
    const auto full = fileBytes();
    EXPECT_EQ(timesIn(full), p.times);
    auto expect = p.times;  // cut by a crash in the last time: only that one is lost
    expect[7].reset();
    EXPECT_EQ(timesIn({full.begin(), full.end() - 3}), expect);
    for (std::size_t pos = 0; pos < full.size(); ++pos) {  // a byte damaged: a time lost at most, none wrong
        auto bad = full;
        bad[pos] ^= 0x5A;
        const Journal::Contents c = Journal::readBytes(bad);
        const GameTimes& t = c.times;
        ASSERT_EQ(t.size() + 48, c.image.value().size()) << pos;  // a time beyond the record is dropped
        for (std::size_t g = 0; g < t.size(); ++g) EXPECT_TRUE(!t[g] || t[g] == p.times[g]) << pos;
        EXPECT_LE(std::count(t.begin(), t.end(), std::nullopt), t.size() == 8 ? 2 : 1) << pos;
    }
    // Compactions keep every time, also one that comes with an update carrying no times.
    j->setCompactLimit(5000);
    for (int g = 8; g < 200; ++g) {
        p.game(*j, at(g));
        j->byteSet(p.rec, p.rec.Dat_Len - 1, 0);
    }
    EXPECT_LT(fs::file_size(dir / "session.journal"), 5000u + 100u);
    EXPECT_EQ(timesIn(fileBytes()), p.times);
}

TEST_F(JournalTest, ARestoredRecordKeepsItsTimesALoadDropsThem) {
    {
        auto j = open();
        Timed p;
        ASSERT_TRUE(j->begin(p.rec, 0));
        for (int g = 0; g < 3; ++g) p.game(*j, at(g));
    }  // a crash
    auto j = open();
    Timed p;
    ASSERT_EQ(decodeSlt(j->recovered().value(), p.rec), SltStatus::Ok);
    p.times = j->recoveredTimes();
    EXPECT_EQ(p.times, (GameTimes{at(0), at(1), at(2)}));
    j->restored();
    ASSERT_TRUE(j->begin(p.rec, 0, p.times));
    p.game(*j, at(3));
    EXPECT_EQ(timesIn(fileBytes()), p.times);
    p.rec = recordOf({3, 3});  // a load: its games have no time, the next game its own
    p.times.assign(2, std::nullopt);
    j->snapshot(p.rec, 0);
    p.game(*j, at(9));
    // A journal retried by a caller without times writes the ones it keeps.
    fileio::failNth(fileio::Op::Write, 1, ENOSPC);
    p.game(*j, at(10));
    j->watch(p.rec, 0);
    EXPECT_TRUE(j->healthy());
    EXPECT_EQ(timesIn(fileBytes()), (GameTimes{{}, {}, at(9), at(10)}));
}

TEST_F(JournalTest, TheRestoreQuestionSaysHowManyGamesAndWhen) {
    {
        auto j = open();
        Timed p;
        ASSERT_TRUE(j->begin(p.rec, 0));
        p.game(*j, std::nullopt);  // a game from before times were kept
        p.game(*j, at(0));
        p.game(*j, std::nullopt);
        p.game(*j, WallTime{at(0).unixMs + (2 * 60 + 59) * 60'000, 540});  // past midnight
    }                                                                      // a crash
    Rig r;
    auto j = open();
    r.ui.dialogs.answers.push_back(MsgResult::Cancel);
    recoverJournal(r.c, *j);
    EXPECT_EQ(r.ui.dialogs.shown.at(0).text,
              "前回の記録が残っています。\n復元しますか？\n\nゲーム数：4\n日時：2026/12/09 21:04 ～ 2026/12/10 00:03");
}

// A kept journal opened from the file menu: restored as a load is, with its
// times; anything else is refused and the record stays as it was.
TEST_F(JournalTest, AKeptJournalOpensAsALoadAForeignFileChangesNothing) {
    crashAfter(6);
    Rig r;
    auto j = open();
    r.ui.dialogs.answers.push_back(MsgResult::Cancel);  // not restored: kept as session-….journal
    recoverJournal(r.c, *j);
    ASSERT_EQ(kept("session-").size(), 1u);
    const std::string keptFile = kept("session-")[0].string();
    r.games(3, 2, 1);
    const auto before = imageOf(r);
    const std::string title = r.ui.form.title();
    TempDir other{"journal_foreign"};
    other.write("garbage.journal", std::string(5000, '\x5a'));
    other.write("play.journal", std::string(reinterpret_cast<const char*>(before.data()), before.size()));
    other.write("empty.journal", "");
    for (const char* name : {"garbage.journal", "play.journal", "empty.journal"}) {
        const std::string file = (other.path / name).string();
        r.ui.dialogs.answers.push_back(MsgResult::Ok);  // the load question
        r.ui.dialogs.openAnswers.push_back(file);
        menuClick(r.c, "Hogo_open");
        EXPECT_EQ(r.ui.dialogs.filters.back(), kJournalFilter);
        EXPECT_EQ(r.ui.dialogs.shown.back().text,
                  "保護データを読み取れません！\n\n" + file + "\nは記録の保護のファイルではないか、壊れています。");
        EXPECT_EQ(imageOf(r), before) << name;
        EXPECT_EQ(r.ui.form.title(), title);
    }

    r.ui.dialogs.answers.push_back(MsgResult::Ok);
    r.ui.dialogs.openAnswers.push_back(keptFile);
    menuClick(r.c, "Hogo_open");
    EXPECT_EQ(r.c.rec.games(), 6);
    EXPECT_EQ(r.c.session.times().size(), 6u);
    EXPECT_TRUE(std::all_of(r.c.session.times().begin(), r.c.session.times().end(), [](auto& t) { return t; }));
    // Not a file of the user's: nothing to 上書き保存 to, and quitting asks to save.
    EXPECT_TRUE(r.c.FileName.empty() && r.c.Unsaved);
    EXPECT_EQ(held(), imageOf(r));  // this session's journal took it
}

// A journal of the J2 days: three games, the last with a payout update.
TEST(JournalFormat, OldJournalsReadAsBeforeWithNoTimes) {
    const std::string hex =
        "544f4252414b4a325332000000000000000000000000000000000000000000000000000000000000000000000000000000000000"
        "00000000010000000085869c7aba1e53320000000000000000000000000000000000000000000000000000000000000000000000"
        "0000000000000000000000010000000085869c7aba1e42040000003200303136379d46420400000032003f31f92b05c1";
    std::vector<std::uint8_t> j2;
    for (std::size_t i = 0; i < hex.size(); i += 2) j2.push_back(std::stoi(hex.substr(i, 2), nullptr, 16));
    const Journal::Contents old = Journal::readBytes(j2);
    PlayRecord rec;
    ASSERT_EQ(decodeSlt(old.image.value(), rec), SltStatus::Ok);
    EXPECT_EQ(std::vector(&rec.Dat_Buf[48], &rec.Dat_Buf[rec.Dat_Len]), (Bytes{0x32, 0x31, 0x3F}));
    EXPECT_EQ(old.times, GameTimes(3));
}

// Hand counts: a tap reaches the journal at once, a crash keeps them, a rewrite
// keeps them, a new record counts anew, a damaged entry costs that tap at most.
TEST_F(JournalTest, HandCountsSurviveACrashAndANewRecordCountsAnew) {
    const ManualCounts grapes{{"ブドウ", 2}, {"チェリー", 1}};
    {
        Rig r;
        auto j = open();
        recoverJournal(r.c, *j);
        r.c.session.nameCounters({"ブドウ", "チェリー"});
        r.games(3, 5);
        EXPECT_TRUE(r.c.session.count(0));
        EXPECT_TRUE(r.c.session.count(0));
        EXPECT_TRUE(r.c.session.count(1));
        EXPECT_FALSE(r.c.session.count(2));     // no third counter
        EXPECT_TRUE(r.c.session.count(0, -1));  // one taken back
        EXPECT_TRUE(r.c.session.count(0));
        EXPECT_EQ(r.c.session.manual, grapes);
        EXPECT_EQ(Journal::read((dir / "session.journal").string()).counts, grapes);
    }  // the program dies
    Rig r;
    auto j = open();
    EXPECT_EQ(j->recoveredCounts(), grapes);
    recoverJournal(r.c, *j);
    EXPECT_EQ(r.c.session.manual, grapes);
    EXPECT_EQ(Journal::read((dir / "session.journal").string()).counts, grapes);  // in the new journal's start
    // A profile that names them otherwise keeps the count of a name it keeps.
    r.c.session.nameCounters({"チェリー", "スイカ"});
    EXPECT_EQ(r.c.session.manual, (ManualCounts{{"チェリー", 1}, {"スイカ", 0}}));
    EXPECT_FALSE(r.c.session.count(1, -1));  // never below 0
    // A clear starts a new record: the counters stay, at 0, in the journal too.
    r.c.session.count(1);
    r.ui.dialogs.answers.push_back(MsgResult::Ok);
    menuClick(r.c, "Ghp_Cls");
    EXPECT_EQ(r.c.session.manual, (ManualCounts{{"チェリー", 0}, {"スイカ", 0}}));
    EXPECT_EQ(Journal::read((dir / "session.journal").string()).counts, r.c.session.manual);
}

TEST(JournalFormat, AHandCountEntryThatDoesNotHoldChangesNothing) {
    Timed p;
    TempDir tmp{"counts"};
    auto j = Journal::open(tmp.path.string());
    ASSERT_TRUE(j->begin(p.rec, 0));
    p.game(*j, std::nullopt);
    j->counted({{"ブドウ", 7}});
    const ManualCounts longName{{std::string(kMaxCounterName, 'x'), 1}};
    j->counted(longName);
    const std::string text = tmp.read("session.journal");
    const std::vector<std::uint8_t> full(text.begin(), text.end());
    EXPECT_EQ(Journal::readBytes(full).counts, longName);
    // Any byte of the last entry damaged: the tap before it stands, never a wrong count.
    const std::size_t last = full.size() - (9 + 1 + 1 + kMaxCounterName + 4);
    for (std::size_t pos = last; pos < full.size(); ++pos) {
        auto bad = full;
        bad[pos] ^= 0x5A;
        const ManualCounts got = Journal::readBytes(bad).counts;
        EXPECT_TRUE(got == longName || got == (ManualCounts{{"ブドウ", 7}})) << pos;
    }
    // Names are kept to what the journal holds, cut at a character's start.
    EXPECT_EQ(renamedCounts({}, {std::string(kMaxCounterName - 1, 'a') + "ブ"})[0].name.size(), kMaxCounterName - 1);
    EXPECT_EQ(renamedCounts({}, std::vector<std::string>(12, "x")).size(), kMaxCounters);
}

}  // namespace
}  // namespace tobrak::test
