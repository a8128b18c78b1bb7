#pragma once
// The library of sessions: every sitting the program recorded or imported, kept
// in one SQLite file with its games, bonuses and money, for the list of sessions,
// the calendar of 収支 and the totals by machine, hall and profile.
//
// One Library is one connection, used from one thread at a time. The window
// opens one for its lists; the LibraryRecorder (library/recorder.h) opens its
// own and writes from a thread of its own. WAL mode lets them work side by side.
//
// Typical use:
//     LibraryOpen o = openLibrary(defaultLibraryPath());
//     if (!o.notice.empty()) show(o.notice.text);      // set aside, locked, newer, …
//     if (o.library) rows = o.library->list({.month = "2026-12"});
//     auto r = o.library->record(id);                  // open a session as a record
//     o.library->edit(id, {.investYen = 10000});       // the 投資 buttons
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "library/sqlite.h"
#include "record/manual_counts.h"
#include "record/play_record.h"
#include "record/play_time.h"

namespace tobrak {

// The schema this program writes (PRAGMA user_version).
int librarySchemaVersion();

// $XDG_DATA_HOME/tobrak/library.sqlite, ~/.local/share/tobrak/library.sqlite, or on
// Windows %LOCALAPPDATA%\tobrak\library.sqlite.
std::string defaultLibraryPath();

// What the user is told: the window's Japanese text and one plain line for the
// command line. Empty when there is nothing to tell.
struct LibraryNotice {
    std::string text;  // Japanese, for a message box
    std::string line;  // English, one line
    bool empty() const { return line.empty(); }
};

enum class LibraryState {
    Ok,        // opened (or created) for reading and writing
    SetAside,  // the file was damaged or not a library: kept aside, a new one started
    ReadOnly,  // written by a newer program: readable, never written
    Locked,    // another program holds it: no library this time
    Failed,    // cannot be opened at all (a folder that cannot be made, …)
};

// One session as the list shows it. Money is in yen; the derived figures are
// none where what they need is not known.
struct SessionRow {
    std::int64_t id = 0;
    WallTime start;
    std::optional<WallTime> end;
    std::string machine, hall, number, profile, board, comment;
    std::string source;            // "live", "slt" or "journal"
    std::int32_t games = 0;        // the record's games
    std::int32_t normalGames = 0;  // those outside a bonus
    std::int32_t bb = 0, rb = 0;   // bonuses, a run of bonus games being one
    std::int64_t medalsIn = 0, medalsOut = 0;
    std::int64_t balance() const { return medalsOut - medalsIn; }  // 差枚
    std::int64_t investYen = 0;                                    // 投資
    std::optional<std::int64_t> collectMedals;                     // medals at the end, as entered
    std::optional<std::int64_t> collectYen;       // 回収: as entered, or the medals at the hall's rate
    bool collectFromRate = false;                 // collectYen was worked out from the hall's rate
    std::optional<std::int64_t> income() const {  // 収支
        return collectYen ? std::optional<std::int64_t>(*collectYen - investYen) : std::nullopt;
    }
    std::optional<double> yenPerHour() const;  // 時給: 収支 per hour from start to end
    std::optional<double> combined() const;    // 合成 1/x: games per bonus
    bool open = false;                         // still being recorded (or left by a crash)
    std::optional<std::int64_t> deletedAtMs;   // in the trash since then
};

struct GameRow {
    std::int32_t index = 0;  // 0-based game of the record
    std::uint8_t byte = 0;   // the record's byte (unmasked)
    std::optional<WallTime> time;
};

struct BonusRow {
    std::int32_t number = 0;  // 1, 2, … in play order
    Bonus kind = Bonus::BB;
    std::int32_t firstGame = 0;  // 0-based
    std::int32_t games = 0;
    std::int32_t gain = 0;          // medals out minus in over its games
    std::optional<WallTime> start;  // the time of its first game
    std::optional<WallTime> end;    // the time of its last game
};

struct SessionDetails {
    SessionRow row;
    std::vector<GameRow> games;
    std::vector<BonusRow> bonuses;
    ManualCounts counts;  // the hand counters as last counted
};

// A session's record as the window opens it: a .slt file image and its games' times.
struct SessionRecord {
    std::vector<std::uint8_t> image;
    GameTimes times;
};

struct ListFilter {
    std::string hall{}, machine{}, profile{};  // empty: any
    std::string month{};                       // "2026-12" (local time of the start); empty: any
    std::string day{};                         // "2026-12-09", likewise
    bool trash = false;                        // the trash instead of the sessions
};

enum class TotalsBy { Day, Month, Machine, Hall, Profile };
struct TotalsRow {
    std::string key;  // "2026-12-09", "2026-12", or the machine, hall or profile
    std::int64_t sessions = 0, games = 0, bb = 0, rb = 0, medalsIn = 0, medalsOut = 0;
    std::int64_t balance() const { return medalsOut - medalsIn; }
    std::int64_t income = 0;                     // 収支 of the sessions where it is known
    std::int64_t incomeSessions = 0;             // how many those are
    std::optional<double> machineRate() const {  // 機械割: out / in
        return medalsIn > 0 ? std::optional<double>(static_cast<double>(medalsOut) / medalsIn) : std::nullopt;
    }
};

// What an edit changes; fields left empty keep their value. A value of -1 in
// the collect fields clears them.
struct SessionEdit {
    std::optional<std::string> machine{}, hall{}, number{}, profile{}, comment{};
    std::optional<std::int64_t> investYen{}, collectMedals{}, collectYen{};
};

struct HallRate {
    std::string name;
    double medalsPer1000Yen = 0;  // medals lent for 1000 yen
    double yenPerMedal = 0;       // yen for one medal returned
};

// A new session as the recorder or an import starts it.
struct NewSession {
    WallTime start{};
    std::optional<WallTime> end{};
    std::string machine{}, hall{}, number{}, profile{}, board{}, comment{}, source = "live";
    std::vector<std::uint8_t> header{};       // the record's 48 header bytes (comment, options)
    std::optional<std::string> contentKey{};  // the imported bytes' fingerprint
};

enum class ImportOutcome { Imported, AlreadyThere, Unreadable, NotWritten };
struct ImportResult {
    std::string path;
    ImportOutcome outcome = ImportOutcome::Unreadable;
    std::int64_t id = 0;  // the session (Imported, AlreadyThere)
    std::int32_t games = 0;
    std::string message;  // what went wrong, plain English
};

struct LibraryOptions {
    int busyMs = 2000;          // how long a write waits for another connection's
    std::int64_t maxPages = 0;  // a limit on the file's pages (0: none), as a full disk would set
    bool purge = true;          // empty the trash of what is older than 30 days
    bool setAside = true;       // a damaged or foreign file is renamed and a new one started (else: Failed)
    // Each commit synced to the disk (PRAGMA synchronous = FULL). Off, a commit
    // is synced at the next checkpoint: a power cut may cost the last ones, never
    // the file, and the journal holds them.
    bool syncEachCommit = false;
    const char* vfs = nullptr;  // SQLite's file layer by name (tests: a slow disk); null: the computer's
};

class Library;
struct LibraryOpen {
    std::unique_ptr<Library> library;  // null: go on without a library (Locked, Failed)
    LibraryState state = LibraryState::Failed;
    LibraryNotice notice;  // what to tell the user (empty for a plain Ok)
    std::string setAside;  // where a damaged or foreign file went
};

class Library {
public:
    ~Library();
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;

    const std::string& path() const { return path_; }
    bool readOnly() const { return readOnly_; }
    // Writes stopped after the disk was full (told once, in takeNotice()).
    bool full() const { return full_; }
    // The notice of a problem met since it was last taken (a full disk, a write
    // that failed); empty when none.
    LibraryNotice takeNotice();

    // ---- reading
    std::vector<SessionRow> list(const ListFilter& f = {});
    std::optional<SessionRow> session(std::int64_t id);
    std::optional<SessionDetails> details(std::int64_t id);
    std::optional<SessionRecord> record(std::int64_t id);
    std::vector<TotalsRow> totals(TotalsBy by, const ListFilter& f = {});
    std::vector<HallRate> halls();
    std::optional<HallRate> hall(const std::string& name);
    // The newest session still open (being recorded, or left by a crash).
    std::optional<std::int64_t> newestOpen();
    // The record of a session as kept (header and games), and its games' times;
    // false for no such session. Throws sql::DbError (record() does not).
    bool loadRecord(std::int64_t id, PlayRecord& rec, GameTimes& times);

    // ---- changing: false when nothing was written (read-only, full, locked, no such session)
    bool edit(std::int64_t id, const SessionEdit& e);
    bool remove(std::int64_t id);  // into the trash, for 30 days
    bool restore(std::int64_t id);
    // Sessions in the trash for more than 30 days are removed for good; how many.
    int purgeTrash(std::int64_t nowMs);
    bool setHall(const HallRate& h);

    // ---- import and export
    ImportResult importSlt(const std::string& path);
    ImportResult importJournal(const std::string& path);
    // A file or every .slt and .journal in a folder (not its subfolders), in name order.
    std::vector<ImportResult> importPath(const std::string& path);
    // One CSV line per session (header row first), as list() gives them.
    std::string sessionsCsv(const ListFilter& f = {});
    // One CSV line per game of the session, as `tobrak-cli export` writes a file's
    // games, with each game's time last; none for no such session.
    std::optional<std::string> gamesCsv(std::int64_t id);

    // After a crash: the newest open session, when its games are the beginning
    // of `rec` (its last game's payout may have grown since), is brought up to
    // `rec` and its times; with `close` it is finished too. Returns its id, 0
    // when no open session matches (the caller then keeps `rec` as a new one).
    std::int64_t resumeOpen(const PlayRecord& rec, const GameTimes& times, bool close);

    // ---- the recorder's writes: inside inTransaction() only, where a failure
    // throws sql::DbError and the whole transaction is dropped.
    // A new session's row; returns its id.
    std::int64_t addSession(const NewSession& s);
    void putHeader(std::int64_t id, const std::vector<std::uint8_t>& header, const std::string& comment);
    void putCounts(std::int64_t id, const ManualCounts& counts);
    // The hand counters of session `id` as last counted (none: empty).
    ManualCounts counts(std::int64_t id);
    void setEnd(std::int64_t id, const WallTime& end);
    // Works out the session's counts and bonuses again from its games; with
    // `close`, it is no longer open and its fingerprint is taken.
    void summarize(std::int64_t id, const PlayRecord& rec, bool close);
    // resumeOpen() inside the caller's transaction; with `id`, that session
    // (open or not, out of the trash) instead of the newest open one, open again.
    std::int64_t continueOpen(const PlayRecord& rec, const GameTimes& times, bool close, std::int64_t id = 0);
    // Writes games `from` .. the end of `rec` with their times (a game known
    // already takes the new byte and keeps its time when `times` has none).
    void putGames(std::int64_t id, const PlayRecord& rec, const GameTimes& times, std::int32_t from);
    // Runs `work` in one transaction; false (and nothing kept) when it failed.
    template <class F>
    bool inTransaction(F work) {
        return guarded([&] {
            sql::Transaction t(db_);
            work();
            t.commit();
        });
    }
    // The connection, for tests and benchmarks that need SQL of their own.
    sql::Db& db() { return db_; }

    // Tells the failure of a write (a full disk once) through takeNotice().
    void noteFailure(const sql::DbError& e);

private:
    friend LibraryOpen openLibrary(const std::string&, const LibraryOptions&);
    Library() = default;
    template <class F>
    bool guarded(F work);
    bool writable() const { return !readOnly_ && !full_; }
    std::int64_t findKey(const std::string& key);
    ImportResult importImage(const std::string& path, const std::vector<std::uint8_t>& image, const GameTimes& times,
                             const std::string& source);

    sql::Db db_;
    std::string path_;
    bool readOnly_ = false;
    bool full_ = false;
    LibraryNotice notice_;
};

template <class F>
bool Library::guarded(F work) {
    if (!writable()) return false;
    try {
        work();
        return true;
    } catch (const sql::DbError& e) {
        noteFailure(e);
        return false;
    }
}

// Opens the library at `path`, creating the file and its folder when missing and
// bringing an older schema up to date. Never throws.
LibraryOpen openLibrary(const std::string& path, const LibraryOptions& o = {});

// The kept journals of a journal folder (every *.journal but the running
// session's own session.journal), in name order: what a new library offers to import.
std::vector<std::string> keptJournals(const std::string& journalDir);

// The fingerprint of a file's bytes that tells an import seen before.
std::string contentKey(const std::vector<std::uint8_t>& bytes);

}  // namespace tobrak
