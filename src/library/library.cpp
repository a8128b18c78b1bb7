#include "library/library.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <utility>

#include "counts/bonus_history.h"
#include "library/schema.h"
#include "record/journal.h"
#include "record/slt_file.h"
#include "util/paths.h"
#include "util/text.h"

namespace tobrak {

namespace fs = std::filesystem;

namespace {

constexpr std::int64_t kTrashMs = std::int64_t{30} * 86'400'000;
constexpr const char* kRowColumns =
    "s.id, s.start_ms, s.start_offset_min, s.end_ms, s.end_offset_min, s.machine, s.hall, s.machine_number, "
    "s.profile, s.board, s.comment, s.source, s.games, s.normal_games, s.bb, s.rb, s.medals_in, s.medals_out, "
    "s.invest_yen, s.collect_medals, s.collect_yen, h.yen_per_medal, s.open, s.deleted_at_ms";

std::int64_t nowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

std::optional<WallTime> timeAt(const sql::Stmt& s, int col) {
    if (s.isNull(col)) return std::nullopt;
    return WallTime{s.i64(col), static_cast<std::int16_t>(s.i32(col + 1))};
}

void bindTime(sql::Stmt& s, int i, const std::optional<WallTime>& t) {
    if (t) {
        s.bind(i, t->unixMs).bind(i + 1, static_cast<int>(t->offsetMin));
    } else {
        s.bindNull(i).bindNull(i + 1);
    }
}

SessionRow rowFrom(const sql::Stmt& s) {
    SessionRow r;
    r.id = s.i64(0);
    r.start = *timeAt(s, 1);
    r.end = timeAt(s, 3);
    r.machine = s.text(5);
    r.hall = s.text(6);
    r.number = s.text(7);
    r.profile = s.text(8);
    r.board = s.text(9);
    r.comment = s.text(10);
    r.source = s.text(11);
    r.games = s.i32(12);
    r.normalGames = s.i32(13);
    r.bb = s.i32(14);
    r.rb = s.i32(15);
    r.medalsIn = s.i64(16);
    r.medalsOut = s.i64(17);
    r.investYen = s.i64(18);
    r.collectMedals = s.optI64(19);
    r.collectYen = s.optI64(20);
    if (!r.collectYen && r.collectMedals && !s.isNull(21)) {
        r.collectYen = std::llround(static_cast<double>(*r.collectMedals) * s.real(21));
        r.collectFromRate = true;
    }
    r.open = s.i32(22) != 0;
    r.deletedAtMs = s.optI64(23);
    return r;
}

// A CSV field, quoted when it holds a comma, a quote or a line break.
std::string csvField(const std::string& v) {
    if (v.find_first_of(",\"\r\n") == std::string::npos) return v;
    std::string q = "\"";
    for (const char c : v) {
        if (c == '"') q += '"';
        q += c;
    }
    return q + "\"";
}

template <class T>
std::string optText(const std::optional<T>& v) {
    if (!v) return {};
    if constexpr (std::is_floating_point_v<T>) {
        char b[32];
        std::snprintf(b, sizeof b, "%.1f", *v);
        return b;
    } else {
        return std::to_string(*v);
    }
}

// "2026-12-09T21:04:05" of the start in the file's own name for a set-aside copy.
std::string stamp() {
    const std::string iso = isoTime(wallNow());
    std::string s;
    for (const char c : iso.substr(0, 19))
        if (c != '-' && c != ':') s += c == 'T' ? '-' : c;
    return s;
}

// Moves the file (and its WAL and shared-memory files) aside; returns the new name.
std::string setAside(const std::string& path, std::error_code& ec) {
    std::string to = path + ".damaged-" + stamp();
    for (int n = 2; fileio::exists(to); ++n) to = path + ".damaged-" + stamp() + "-" + std::to_string(n);
    fs::rename(fsPath(path), fsPath(to), ec);
    if (ec) return {};
    for (const char* side : {"-wal", "-shm"}) {
        std::error_code e2;
        if (fileio::exists(path + side)) fs::rename(fsPath(path + side), fsPath(to + side), e2);
    }
    return to;
}

bool looksLikeSqlite(const std::string& path) {
    std::ifstream f(fsPath(path), std::ios::binary);
    char magic[16] = {};
    f.read(magic, sizeof magic);
    if (f.gcount() == 0) return true;  // empty: a new library
    return f.gcount() == 16 && std::string(magic, 16) == std::string("SQLite format 3\0", 16);
}

std::int64_t fileTimeMs(const std::string& path) {
    std::error_code ec;
    const auto t = fs::last_write_time(fsPath(path), ec);
    if (ec) return nowMs();
    using namespace std::chrono;
    return duration_cast<milliseconds>(file_clock::to_sys(t).time_since_epoch()).count();
}

}  // namespace

int librarySchemaVersion() { return static_cast<int>(libraryMigrations().size()); }

std::string defaultLibraryPath() {
#ifdef _WIN32
    if (const std::string l = envUtf8("LOCALAPPDATA"); !l.empty())
        return pathUtf8(fsPath(l) / "tobrak" / "library.sqlite");
#else
    if (const std::string x = envUtf8("XDG_DATA_HOME"); !x.empty())
        return pathUtf8(fsPath(x) / "tobrak" / "library.sqlite");
    if (const std::string h = envUtf8("HOME"); !h.empty())
        return pathUtf8(fsPath(h) / ".local" / "share" / "tobrak" / "library.sqlite");
#endif
    return pathUtf8(fs::temp_directory_path() / "tobrak" / "library.sqlite");
}

std::vector<std::string> keptJournals(const std::string& journalDir) {
    std::vector<std::string> out;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(fsPath(journalDir), ec)) {
        const std::string name = pathUtf8(e.path().filename());
        if (e.path().extension() == ".journal" && name != "session.journal" && e.is_regular_file(ec))
            out.push_back(pathUtf8(e.path()));
    }
    std::sort(out.begin(), out.end());
    return out;
}

std::string contentKey(const std::vector<std::uint8_t>& bytes) {
    // FNV-1a over the bytes, with their count: enough to tell a file seen before.
    std::uint64_t h = 1469598103934665603ull;
    for (const std::uint8_t b : bytes) h = (h ^ b) * 1099511628211ull;
    char text[48];
    std::snprintf(text, sizeof text, "%zu-%016llx", bytes.size(), static_cast<unsigned long long>(h));
    return text;
}

std::optional<double> SessionRow::yenPerHour() const {
    const auto money = income();
    if (!money || !end || end->unixMs <= start.unixMs) return std::nullopt;
    return static_cast<double>(*money) * 3'600'000.0 / static_cast<double>(end->unixMs - start.unixMs);
}

std::optional<double> SessionRow::combined() const {
    if (bb + rb == 0) return std::nullopt;
    return static_cast<double>(games) / (bb + rb);
}

// ---- opening

LibraryOpen openLibrary(const std::string& path, const LibraryOptions& o) {
    LibraryOpen out;
    auto tell = [&](LibraryState st, std::string text, std::string line) {
        out.state = st;
        out.notice = {std::move(text), std::move(line)};
    };
    std::error_code ec;
    const fs::path p = fsPath(path);
    if (p.has_parent_path()) fs::create_directories(p.parent_path(), ec);
    if (fs::is_directory(p, ec)) {
        tell(LibraryState::Failed, "ライブラリを開けません。\n" + path,
             "cannot open the library " + path + ": it is a folder; going on without a library");
        return out;
    }

    // A file that is not ours is set aside once and a new library started in its place.
    std::string asideWhy, asideText;
    auto attempt = [&](bool afterAside) -> bool {
        auto lib = std::unique_ptr<Library>(new Library());
        lib->path_ = path;
        if (!looksLikeSqlite(path)) {
            asideWhy = "is not a Tobrak library";
            asideText = "ライブラリのファイルがＴｏｂｒａｋのライブラリではありません。";
            return false;
        }
        try {
            lib->db_ = sql::Db(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX, o.vfs);
            sqlite3_busy_timeout(lib->db_.get(), o.busyMs);
            const auto tables = lib->db_.scalar("SELECT count(*) FROM sqlite_master");
            const auto appId = lib->db_.scalar("PRAGMA application_id");
            const int version = static_cast<int>(lib->db_.scalar("PRAGMA user_version"));
            if (tables > 0 && appId != kLibraryApplicationId) {
                asideWhy = "is not a Tobrak library";
                asideText = "ライブラリのファイルがＴｏｂｒａｋのライブラリではありません。";
                return false;
            }
            if (version > librarySchemaVersion()) {
                lib->db_ = sql::Db(path, SQLITE_OPEN_READONLY | SQLITE_OPEN_FULLMUTEX, o.vfs);
                sqlite3_busy_timeout(lib->db_.get(), o.busyMs);
                lib->db_.scalar("SELECT count(*) FROM sessions");
                lib->readOnly_ = true;
                out.library = std::move(lib);
                tell(LibraryState::ReadOnly,
                     "このライブラリは新しいバージョンのＴｏｂｒａｋで作られました。\n読み取り専用で開きます"
                     "（セッションは記録されません）。",
                     "the library " + path + " has schema version " + std::to_string(version) +
                         ", newer than this program's " + std::to_string(librarySchemaVersion()) +
                         ": opened read-only, sessions are not recorded into it");
                return true;
            }
            lib->db_.exec("PRAGMA journal_mode = WAL");
            lib->db_.exec(o.syncEachCommit ? "PRAGMA synchronous = FULL" : "PRAGMA synchronous = NORMAL");
            lib->db_.exec("PRAGMA foreign_keys = ON");
            migrate(lib->db_, libraryMigrations());
            // Reading every session row finds a damaged table before the lists do.
            lib->db_.scalar("SELECT count(*) FROM sessions WHERE comment IS NOT NULL");
            if (o.maxPages > 0) lib->db_.exec("PRAGMA max_page_count = " + std::to_string(o.maxPages));
            if (o.purge) lib->purgeTrash(nowMs());
        } catch (const sql::DbError& e) {
            const int rc = e.primary();
            if (rc == SQLITE_BUSY || rc == SQLITE_LOCKED) {
                tell(LibraryState::Locked,
                     "ライブラリは他のプログラムが使用中です。\n今回はライブラリなしで続けます"
                     "（記録はジャーナルに残ります）。",
                     "the library " + path + " is locked by another program: going on without it (" + e.what() +
                         "); the journal keeps the record");
                return true;
            }
            if ((rc == SQLITE_NOTADB || rc == SQLITE_CORRUPT) && !afterAside) {
                asideWhy = std::string("is damaged (") + e.what() + ")";
                asideText = "ライブラリのファイルが壊れています。";
                return false;
            }
            tell(LibraryState::Failed, "ライブラリを開けません。\n" + path,
                 "cannot open the library " + path + ": " + e.what() + "; going on without a library");
            return true;
        }
        out.library = std::move(lib);
        out.state = LibraryState::Ok;
        return true;
    };
    if (attempt(false)) return out;
    if (!o.setAside) {
        tell(LibraryState::Failed, asideText + "\n" + path,
             "the library " + path + " " + asideWhy + "; it was left as it is");
        return out;
    }
    out.setAside = setAside(path, ec);
    if (out.setAside.empty()) {
        tell(LibraryState::Failed, asideText + "\nファイルを別の名前にできません。",
             "the library " + path + " " + asideWhy + " and cannot be renamed (" + ec.message() +
                 "); going on without a library");
        return out;
    }
    if (!attempt(true)) {
        tell(LibraryState::Failed, "ライブラリを開けません。\n" + path,
             "cannot start a new library at " + path + "; going on without a library");
        return out;
    }
    if (out.state == LibraryState::Ok)
        tell(LibraryState::SetAside,
             asideText + "\n元のファイルは次の名前で残し、新しいライブラリを始めました。\n" + out.setAside +
                 "\n残っているジャーナルはインポートできます。",
             "the library " + path + " " + asideWhy + ": kept as " + out.setAside +
                 ", a new library was started (kept journals can be imported)");
    return out;
}

Library::~Library() = default;

LibraryNotice Library::takeNotice() { return std::exchange(notice_, {}); }

void Library::noteFailure(const sql::DbError& e) {
    if (e.primary() == SQLITE_FULL) {
        if (full_) return;
        full_ = true;
        notice_ = {"ディスクがいっぱいのため、ライブラリへの書き込みを止めました。\n記録はジャーナルに続きます。",
                   "the disk of the library " + path_ + " is full: writes to it stopped, the journal keeps recording"};
        return;
    }
    notice_ = {"ライブラリに書き込めません。\n" + std::string(e.what()),
               "cannot write to the library " + path_ + ": " + e.what()};
}

// ---- reading

std::vector<SessionRow> Library::list(const ListFilter& f) {
    std::vector<SessionRow> rows;
    try {
        sql::Stmt s(db_, std::string("SELECT ") + kRowColumns +
                             " FROM sessions s LEFT JOIN halls h ON h.name = s.hall"
                             " WHERE (s.deleted_at_ms IS NOT NULL) = ?1 AND (?2 = '' OR s.hall = ?2)"
                             " AND (?3 = '' OR s.machine = ?3) AND (?4 = '' OR s.profile = ?4)"
                             " AND (?5 = '' OR substr(s.start, 1, 7) = ?5) AND (?6 = '' OR substr(s.start, 1, 10) = ?6)"
                             " ORDER BY s.start_ms DESC, s.id DESC");
        s.bind(1, f.trash ? 1 : 0)
            .bind(2, f.hall)
            .bind(3, f.machine)
            .bind(4, f.profile)
            .bind(5, f.month)
            .bind(6, f.day);
        while (s.step()) rows.push_back(rowFrom(s));
    } catch (const sql::DbError& e) {
        noteFailure(e);
    }
    return rows;
}

std::optional<SessionRow> Library::session(std::int64_t id) {
    try {
        sql::Stmt s(db_, std::string("SELECT ") + kRowColumns +
                             " FROM sessions s LEFT JOIN halls h ON h.name = s.hall WHERE s.id = ?");
        s.bind(1, id);
        if (s.step()) return rowFrom(s);
    } catch (const sql::DbError& e) {
        noteFailure(e);
    }
    return std::nullopt;
}

std::optional<SessionDetails> Library::details(std::int64_t id) {
    auto row = session(id);
    if (!row) return std::nullopt;
    SessionDetails d{*row, {}, {}, {}};
    try {
        sql::Stmt g(db_, "SELECT idx, byte, time_ms, offset_min FROM games WHERE session_id = ? ORDER BY idx");
        g.bind(1, id);
        while (g.step()) d.games.push_back({g.i32(0), static_cast<std::uint8_t>(g.i32(1)), timeAt(g, 2)});
        sql::Stmt b(db_,
                    "SELECT number, kind, first_game, games, gain, start_ms, start_offset_min, end_ms, end_offset_min"
                    " FROM bonuses WHERE session_id = ? ORDER BY number");
        b.bind(1, id);
        while (b.step())
            d.bonuses.push_back({b.i32(0), b.text(1) == "RB" ? Bonus::RB : Bonus::BB, b.i32(2), b.i32(3), b.i32(4),
                                 timeAt(b, 5), timeAt(b, 7)});
        d.counts = counts(id);
    } catch (const sql::DbError& e) {
        noteFailure(e);
        return std::nullopt;
    }
    return d;
}

bool Library::loadRecord(std::int64_t id, PlayRecord& rec, GameTimes& times) {
    sql::Stmt h(db_, "SELECT header FROM sessions WHERE id = ?");
    h.bind(1, id);
    if (!h.step()) return false;
    const std::vector<std::uint8_t> header = h.blob(0);
    rec = PlayRecord{};
    std::copy_n(header.begin(), std::min<std::size_t>(header.size(), kHeaderLen), rec.Dat_Buf.begin());
    times.clear();
    sql::Stmt g(db_, "SELECT idx, byte, time_ms, offset_min FROM games WHERE session_id = ? ORDER BY idx");
    g.bind(1, id);
    std::int32_t n = 0;
    while (g.step()) {
        const std::int32_t i = g.i32(0);
        // Games beyond what a record holds, or with a gap before them, are not the record's.
        if (i != n || kHeaderLen + i >= kDatMax) break;
        rec.Dat_Buf[static_cast<std::size_t>(kHeaderLen + i)] = static_cast<std::uint8_t>(g.i32(1));
        times.push_back(timeAt(g, 2));
        ++n;
    }
    rec.Dat_Len = kHeaderLen + n;
    return true;
}

std::optional<SessionRecord> Library::record(std::int64_t id) {
    try {
        auto rec = std::make_unique<PlayRecord>();
        SessionRecord r;
        if (!loadRecord(id, *rec, r.times)) return std::nullopt;
        r.image = encodeSlt(*rec);
        return r;
    } catch (const sql::DbError& e) {
        noteFailure(e);
        return std::nullopt;
    }
}

std::vector<TotalsRow> Library::totals(TotalsBy by, const ListFilter& f) {
    std::map<std::string, TotalsRow> groups;
    for (const SessionRow& r : list(f)) {
        std::string key;
        switch (by) {
            case TotalsBy::Day: key = isoTime(r.start).substr(0, 10); break;
            case TotalsBy::Month: key = isoTime(r.start).substr(0, 7); break;
            case TotalsBy::Machine: key = r.machine; break;
            case TotalsBy::Hall: key = r.hall; break;
            case TotalsBy::Profile: key = r.profile; break;
        }
        TotalsRow& t = groups[key];
        t.key = key;
        ++t.sessions;
        t.games += r.games;
        t.bb += r.bb;
        t.rb += r.rb;
        t.medalsIn += r.medalsIn;
        t.medalsOut += r.medalsOut;
        if (const auto money = r.income()) {
            t.income += *money;
            ++t.incomeSessions;
        }
    }
    std::vector<TotalsRow> out;
    for (auto& [k, t] : groups) out.push_back(std::move(t));
    return out;
}

std::vector<HallRate> Library::halls() {
    std::vector<HallRate> out;
    try {
        sql::Stmt s(db_, "SELECT name, medals_per_1000_yen, yen_per_medal FROM halls ORDER BY name");
        while (s.step()) out.push_back({s.text(0), s.real(1), s.real(2)});
    } catch (const sql::DbError& e) {
        noteFailure(e);
    }
    return out;
}

std::optional<HallRate> Library::hall(const std::string& name) {
    for (HallRate& h : halls())
        if (h.name == name) return h;
    return std::nullopt;
}

std::optional<std::int64_t> Library::newestOpen() {
    try {
        sql::Stmt s(db_,
                    "SELECT id FROM sessions WHERE open = 1 AND deleted_at_ms IS NULL ORDER BY start_ms DESC, id DESC "
                    "LIMIT 1");
        if (s.step()) return s.i64(0);
    } catch (const sql::DbError& e) {
        noteFailure(e);
    }
    return std::nullopt;
}

// ---- changing

bool Library::edit(std::int64_t id, const SessionEdit& e) {
    bool found = false;
    const bool ok = inTransaction([&] {
        auto text = [&](const char* column, const std::optional<std::string>& v) {
            if (!v) return;
            sql::Stmt s(db_, std::string("UPDATE sessions SET ") + column + " = ? WHERE id = ?");
            s.bind(1, *v).bind(2, id).run();
        };
        auto number = [&](const char* column, const std::optional<std::int64_t>& v, bool clearable) {
            if (!v) return;
            sql::Stmt s(db_, std::string("UPDATE sessions SET ") + column + " = ? WHERE id = ?");
            if (clearable && *v < 0)
                s.bindNull(1);
            else
                s.bind(1, *v);
            s.bind(2, id).run();
        };
        sql::Stmt there(db_, "SELECT 1 FROM sessions WHERE id = ?");
        there.bind(1, id);
        found = there.step();
        if (!found) return;
        text("machine", e.machine);
        text("hall", e.hall);
        text("machine_number", e.number);
        text("profile", e.profile);
        text("comment", e.comment);
        number("invest_yen", e.investYen, false);
        number("collect_medals", e.collectMedals, true);
        number("collect_yen", e.collectYen, true);
    });
    return ok && found;
}

bool Library::remove(std::int64_t id) {
    int n = 0;
    const bool ok = inTransaction([&] {
        sql::Stmt s(db_, "UPDATE sessions SET deleted_at_ms = ? WHERE id = ? AND deleted_at_ms IS NULL");
        s.bind(1, nowMs()).bind(2, id).run();
        n = db_.changes();
    });
    return ok && n > 0;
}

bool Library::restore(std::int64_t id) {
    int n = 0;
    const bool ok = inTransaction([&] {
        sql::Stmt s(db_, "UPDATE sessions SET deleted_at_ms = NULL WHERE id = ? AND deleted_at_ms IS NOT NULL");
        s.bind(1, id).run();
        n = db_.changes();
    });
    return ok && n > 0;
}

int Library::purgeTrash(std::int64_t now) {
    int n = 0;
    inTransaction([&] {
        sql::Stmt s(db_, "DELETE FROM sessions WHERE deleted_at_ms IS NOT NULL AND deleted_at_ms < ?");
        s.bind(1, now - kTrashMs).run();
        n = db_.changes();
    });
    return n;
}

bool Library::setHall(const HallRate& h) {
    if (h.name.empty() || !(h.medalsPer1000Yen > 0) || !(h.yenPerMedal > 0)) return false;
    return inTransaction([&] {
        sql::Stmt s(db_,
                    "INSERT INTO halls (name, medals_per_1000_yen, yen_per_medal) VALUES (?, ?, ?) ON CONFLICT (name) "
                    "DO UPDATE SET medals_per_1000_yen = excluded.medals_per_1000_yen, "
                    "yen_per_medal = excluded.yen_per_medal");
        s.bind(1, h.name).bind(2, h.medalsPer1000Yen).bind(3, h.yenPerMedal).run();
    });
}

// ---- the recorder's writes

std::int64_t Library::addSession(const NewSession& n) {
    sql::Stmt s(db_,
                "INSERT INTO sessions (start, start_ms, start_offset_min, end, end_ms, end_offset_min, machine, hall, "
                "machine_number, profile, board, comment, source, header, content_key) "
                "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
    s.bind(1, isoTime(n.start)).bind(2, n.start.unixMs).bind(3, static_cast<int>(n.start.offsetMin));
    if (n.end)
        s.bind(4, isoTime(*n.end));
    else
        s.bindNull(4);
    bindTime(s, 5, n.end);
    s.bind(7, n.machine).bind(8, n.hall).bind(9, n.number).bind(10, n.profile).bind(11, n.board);
    s.bind(12, n.comment).bind(13, n.source);
    std::vector<std::uint8_t> header = n.header;
    header.resize(kHeaderLen);
    s.bindBlob(14, header.data(), header.size());
    s.bind(15, n.contentKey);
    s.run();
    return db_.lastId();
}

void Library::putGames(std::int64_t id, const PlayRecord& rec, const GameTimes& times, std::int32_t from) {
    sql::Stmt s(
        db_,
        "INSERT INTO games (session_id, idx, byte, time_ms, offset_min) VALUES (?, ?, ?, ?, ?) "
        "ON CONFLICT (session_id, idx) DO UPDATE SET byte = excluded.byte, "
        "time_ms = coalesce(excluded.time_ms, time_ms), offset_min = coalesce(excluded.offset_min, offset_min)");
    for (std::int32_t i = std::max(0, from); i < rec.games(); ++i) {
        s.bind(1, id).bind(2, i).bind(3, static_cast<int>(rec.game(i)));
        bindTime(s, 4, static_cast<std::size_t>(i) < times.size() ? times[static_cast<std::size_t>(i)] : std::nullopt);
        s.run();
    }
}

void Library::putHeader(std::int64_t id, const std::vector<std::uint8_t>& header, const std::string& comment) {
    std::vector<std::uint8_t> h = header;
    h.resize(kHeaderLen);
    sql::Stmt s(db_, "UPDATE sessions SET header = ?, comment = ? WHERE id = ?");
    s.bindBlob(1, h.data(), h.size()).bind(2, comment).bind(3, id).run();
}

ManualCounts Library::counts(std::int64_t id) {
    ManualCounts out;
    try {
        sql::Stmt k(db_, "SELECT name, count FROM counters WHERE session_id = ? ORDER BY idx");
        k.bind(1, id);
        while (k.step()) out.push_back({k.text(0), k.i32(1)});
    } catch (const sql::DbError& e) {
        noteFailure(e);
    }
    return out;
}

void Library::putCounts(std::int64_t id, const ManualCounts& counts) {
    sql::Stmt gone(db_, "DELETE FROM counters WHERE session_id = ?");
    gone.bind(1, id).run();
    for (std::size_t i = 0; i < counts.size(); ++i) {
        sql::Stmt s(db_, "INSERT INTO counters (session_id, idx, name, count) VALUES (?, ?, ?, ?)");
        s.bind(1, id).bind(2, static_cast<int>(i)).bind(3, counts[i].name).bind(4, counts[i].count).run();
    }
}

void Library::setEnd(std::int64_t id, const WallTime& end) {
    sql::Stmt s(db_, "UPDATE sessions SET end = ?, end_ms = ?, end_offset_min = ? WHERE id = ?");
    s.bind(1, isoTime(end)).bind(2, end.unixMs).bind(3, static_cast<int>(end.offsetMin)).bind(4, id).run();
}

void Library::summarize(std::int64_t id, const PlayRecord& rec, bool close) {
    const BonusHistory h = bonusHistory(rec);
    std::int64_t in = 0, out = 0;
    for (std::int32_t i = 0; i < rec.games(); ++i) {
        in += medalsIn(rec.game(i));
        out += medalsOut(rec.game(i));
    }
    sql::Stmt u(db_,
                "UPDATE sessions SET games = ?, normal_games = ?, bb = ?, rb = ?, medals_in = ?, medals_out = ?, "
                "open = CASE WHEN ?7 THEN 0 ELSE open END, "
                "content_key = CASE WHEN ?7 THEN coalesce(content_key, ?8) ELSE content_key END WHERE id = ?9");
    u.bind(1, h.games).bind(2, h.normalGames).bind(3, h.bb).bind(4, h.rb).bind(5, in).bind(6, out);
    u.bind(7, close ? 1 : 0);
    if (close)
        u.bind(8, contentKey(encodeSlt(rec)));
    else
        u.bindNull(8);
    u.bind(9, id).run();

    // The bonuses' times are those of their first and last games.
    sql::Stmt times(db_, "SELECT time_ms, offset_min FROM games WHERE session_id = ? AND idx = ?");
    auto timeOf = [&](std::int32_t game) {
        times.bind(1, id).bind(2, game);
        std::optional<WallTime> t = times.step() ? timeAt(times, 0) : std::nullopt;
        times.reset();
        return t;
    };
    sql::Stmt d(db_, "DELETE FROM bonuses WHERE session_id = ?");
    d.bind(1, id).run();
    sql::Stmt b(db_,
                "INSERT INTO bonuses (session_id, number, kind, first_game, games, gain, start_ms, start_offset_min, "
                "end_ms, end_offset_min) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
    for (const BonusEntry& e : h.bonuses) {
        b.bind(1, id).bind(2, e.number).bind(3, e.kind == Bonus::BB ? "BB" : "RB").bind(4, e.firstGame);
        b.bind(5, e.games).bind(6, e.net);
        bindTime(b, 7, timeOf(e.firstGame));
        bindTime(b, 9, timeOf(e.firstGame + e.games - 1));
        b.run();
    }
}

std::int64_t Library::resumeOpen(const PlayRecord& rec, const GameTimes& times, bool close) {
    std::int64_t resumed = 0;
    inTransaction([&] { resumed = continueOpen(rec, times, close); });
    return resumed;
}

std::int64_t Library::continueOpen(const PlayRecord& rec, const GameTimes& times, bool close, std::int64_t wanted) {
    sql::Stmt s(db_, wanted ? "SELECT id FROM sessions WHERE id = ? AND deleted_at_ms IS NULL"
                            : "SELECT id FROM sessions WHERE open = 1 AND deleted_at_ms IS NULL "
                              "ORDER BY start_ms DESC, id DESC LIMIT 1");
    if (wanted) s.bind(1, wanted);
    if (!s.step()) return 0;
    const std::int64_t id = s.i64(0);
    auto kept = std::make_unique<PlayRecord>();
    GameTimes keptTimes;
    loadRecord(id, *kept, keptTimes);
    const std::int32_t n = kept->games();
    if (n > rec.games()) return 0;
    // Every game but the newest kept is final; the newest may have been paid more since.
    for (std::int32_t i = 0; i + 1 < n; ++i)
        if (kept->game(i) != rec.game(i)) return 0;
    if (n > 0 && (kept->game(n - 1) & 0xF0) != (rec.game(n - 1) & 0xF0)) return 0;
    putGames(id, rec, times, std::max(0, n - 1));
    if (!close) {
        sql::Stmt reopen(db_, "UPDATE sessions SET open = 1 WHERE id = ?");
        reopen.bind(1, id).run();
    }
    std::optional<WallTime> last;
    for (const auto& t : times)
        if (t) last = t;
    if (last) setEnd(id, *last);
    summarize(id, rec, close);
    return id;
}

// ---- import and export

std::int64_t Library::findKey(const std::string& key) {
    sql::Stmt s(db_, "SELECT id FROM sessions WHERE content_key = ? LIMIT 1");
    s.bind(1, key);
    return s.step() ? s.i64(0) : 0;
}

ImportResult Library::importImage(const std::string& path, const std::vector<std::uint8_t>& image,
                                  const GameTimes& times, const std::string& source) {
    ImportResult r;
    r.path = path;
    auto rec = std::make_unique<PlayRecord>();
    switch (decodeSlt(image, *rec)) {
        case SltStatus::Ok: break;
        case SltStatus::TooLarge: r.message = path + " holds more than 31000 games"; return r;
        default: r.message = path + " is shorter than a play-data file's header"; return r;
    }
    r.games = rec->games();
    const std::string key = contentKey(image);
    try {
        if ((r.id = findKey(key)) != 0) {
            r.outcome = ImportOutcome::AlreadyThere;
            r.message = path + " was imported before, as session " + std::to_string(r.id);
            return r;
        }
    } catch (const sql::DbError& e) {
        noteFailure(e);
    }
    NewSession n;
    n.source = source;
    n.contentKey = key;
    n.header.assign(image.begin(), image.begin() + kHeaderLen);
    n.comment = utf16ToUtf8(headerComment(*rec));
    std::optional<WallTime> first, last;
    for (const auto& t : times)
        if (t) {
            if (!first) first = t;
            last = t;
        }
    // The file's time says when it was saved: the start when nothing better is known.
    n.start = first ? *first : wallAt(fileTimeMs(path));
    n.end = last;
    GameTimes gameTimes = times;
    gameTimes.resize(static_cast<std::size_t>(rec->games()));
    const bool ok = inTransaction([&] {
        r.id = addSession(n);
        putGames(r.id, *rec, gameTimes, 0);
        summarize(r.id, *rec, /*close=*/true);
    });
    if (ok) {
        r.outcome = ImportOutcome::Imported;
        return r;
    }
    r.id = 0;
    r.outcome = ImportOutcome::NotWritten;
    r.message = "cannot write " + path + " into the library" + (notice_.empty() ? "" : ": " + notice_.line);
    return r;
}

ImportResult Library::importSlt(const std::string& path) {
    std::vector<std::uint8_t> bytes;
    const SltStatus st = readFileBytes(path, bytes);
    if (st == SltStatus::TooLarge)
        return {path, ImportOutcome::Unreadable, 0, 0, path + " holds more than 31000 games"};
    if (st != SltStatus::Ok) return {path, ImportOutcome::Unreadable, 0, 0, "cannot read " + path};
    return importImage(path, bytes, {}, "slt");
}

ImportResult Library::importJournal(const std::string& path) {
    const Journal::Contents held = Journal::read(path);
    if (!held.image)
        return {path, ImportOutcome::Unreadable, 0, 0,
                "the journal " + path + " holds no record" + (held.error.empty() ? "" : " (" + held.error + ")")};
    ImportResult r = importImage(path, *held.image, held.times, "journal");
    // What the player counted by hand comes with a new session, never over a kept one's.
    if (r.outcome == ImportOutcome::Imported && !held.counts.empty())
        inTransaction([&] { putCounts(r.id, held.counts); });
    return r;
}

std::vector<ImportResult> Library::importPath(const std::string& path) {
    auto lower = [](std::string s) {
        for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return s;
    };
    auto one = [&](const std::string& file) {
        return lower(pathUtf8(fsPath(file).extension())) == ".journal" ? importJournal(file) : importSlt(file);
    };
    std::error_code ec;
    if (!fs::is_directory(fsPath(path), ec)) return {one(path)};
    std::vector<std::string> files;
    for (const auto& e : fs::directory_iterator(fsPath(path), ec)) {
        const std::string ext = lower(pathUtf8(e.path().extension()));
        if ((ext == ".slt" || ext == ".journal") && e.is_regular_file(ec)) files.push_back(pathUtf8(e.path()));
    }
    if (ec && files.empty()) return {{path, ImportOutcome::Unreadable, 0, 0, "cannot read the folder " + path}};
    std::sort(files.begin(), files.end());
    std::vector<ImportResult> out;
    for (const std::string& f : files) out.push_back(one(f));
    return out;
}

std::string Library::sessionsCsv(const ListFilter& f) {
    std::string out =
        "id,start,end,machine,hall,number,profile,board,games,normal_games,bb,rb,combined,balance,invest_yen,"
        "collect_medals,collect_yen,income_yen,yen_per_hour,comment\n";
    for (const SessionRow& r : list(f)) {
        out += std::to_string(r.id) + ',' + isoTime(r.start) + ',' + (r.end ? isoTime(*r.end) : "") + ',';
        out += csvField(r.machine) + ',' + csvField(r.hall) + ',' + csvField(r.number) + ',' + csvField(r.profile) +
               ',' + csvField(r.board) + ',';
        out += std::to_string(r.games) + ',' + std::to_string(r.normalGames) + ',' + std::to_string(r.bb) + ',' +
               std::to_string(r.rb) + ',' + optText(r.combined()) + ',' + std::to_string(r.balance()) + ',';
        out += std::to_string(r.investYen) + ',' + optText(r.collectMedals) + ',' + optText(r.collectYen) + ',' +
               optText(r.income()) + ',';
        const auto perHour = r.yenPerHour();
        out += (perHour ? std::to_string(std::llround(*perHour)) : "") + ',' + csvField(r.comment) + '\n';
    }
    return out;
}

std::optional<std::string> Library::gamesCsv(std::int64_t id) {
    auto rec = std::make_unique<PlayRecord>();
    GameTimes times;
    try {
        if (!loadRecord(id, *rec, times)) return std::nullopt;
    } catch (const sql::DbError& e) {
        noteFailure(e);
        return std::nullopt;
    }
    // The file export's lines, each with the game's time added.
    const std::string plain = tobrak::gamesCsv(*rec, bonusHistory(*rec));
    std::string out;
    out.reserve(plain.size() + times.size() * 30);
    std::size_t line = 0, at = 0;
    while (at < plain.size()) {
        const std::size_t nl = plain.find('\n', at);
        out.append(plain, at, nl - at);
        if (line == 0)
            out += ",time";
        else if (line - 1 < times.size() && times[line - 1])
            out += ',' + isoTime(*times[line - 1]);
        else
            out += ',';
        out += '\n';
        at = nl + 1;
        ++line;
    }
    return out;
}

}  // namespace tobrak
