// `sessions`: list, show, import, export, totals, edit, delete and restore the
// sessions of the library, as the window's セッション一覧 does.
#include "sessions.h"

#include <ostream>

#include "counts/bonus_history.h"
#include "library/library_json.h"
#include "record/slt_file.h"
#include "report.h"
#include "util/durable_file.h"

namespace tobrak::cli {

namespace {

int noSession(std::int64_t id, const Library& lib, Io& io) {
    io.err << "セッションがありません。\n"
           << "no session " << id << " in the library " << lib.path() << "\n";
    return 1;
}

int notWritten(Library& lib, Io& io) {
    LibraryNotice n = lib.takeNotice();
    if (n.empty())
        n = {"ライブラリに書き込めません。", lib.readOnly() ? "the library " + lib.path() + " is read-only"
                                                            : "cannot write to the library " + lib.path()};
    tell(n, io);
    return 1;
}

}  // namespace

void tell(const LibraryNotice& n, Io& io) {
    if (!n.empty()) io.err << n.text << "\n" << n.line << "\n";
}

std::unique_ptr<Library> openForCli(const std::string& db, bool writes, Io& io) {
    const std::string path = db.empty() ? defaultLibraryPath() : db;
    if (!writes && !fileio::exists(path)) {
        io.err << "ライブラリがありません。\n"
               << "no library at " << path << "\n";
        return nullptr;
    }
    LibraryOpen o = openLibrary(path, {.setAside = writes});
    tell(o.notice, io);
    return std::move(o.library);
}

int sessionsList(const SessionsArgs& a, Io& io) {
    auto lib = openForCli(a.db, false, io);
    if (!lib) return 1;
    Json rows = Json::array();
    for (const SessionRow& r : lib->list(a.filter)) rows.push_back(sessionRowJson(r));
    tell(lib->takeNotice(), io);
    Json j = newReport();
    j["db"] = lib->path();
    j["sessions"] = std::move(rows);
    io.out << j.dump(2) << "\n";
    return 0;
}

int sessionsShow(const SessionsArgs& a, Io& io) {
    auto lib = openForCli(a.db, false, io);
    if (!lib) return 1;
    const auto d = lib->details(a.id);
    if (!d) return noSession(a.id, *lib, io);
    Json bonuses = Json::array();
    for (const BonusRow& b : d->bonuses)
        bonuses.push_back({{"number", b.number},
                           {"kind", b.kind == Bonus::BB ? "BB" : "RB"},
                           {"first_game", b.firstGame + 1},
                           {"games", b.games},
                           {"gain", b.gain},
                           {"start", timeJson(b.start)},
                           {"end", timeJson(b.end)}});
    Json games = Json::array();
    for (const GameRow& g : d->games) {
        games.push_back({{"game", g.index + 1},
                         {"state", bonusStateName(bonusState(g.byte))},
                         {"in", medalsIn(g.byte)},
                         {"out", medalsOut(g.byte)},
                         {"time", timeJson(g.time)}});
    }
    Json j = newReport();
    j["session"] = sessionRowJson(d->row);
    j["bonuses"] = std::move(bonuses);
    j["counts"] = handCountsJson(d->counts);
    j["games"] = std::move(games);
    io.out << j.dump(2) << "\n";
    return 0;
}

int sessionsImport(const SessionsArgs& a, Io& io) {
    auto lib = openForCli(a.db, true, io);
    if (!lib) return 1;
    if (lib->readOnly()) return notWritten(*lib, io);
    Json files = Json::array();
    int imported = 0, already = 0, failed = 0;
    for (const std::string& f : a.files)
        for (const ImportResult& r : lib->importPath(f)) {
            const char* outcome = "imported";
            switch (r.outcome) {
                case ImportOutcome::Imported: ++imported; break;
                case ImportOutcome::AlreadyThere:
                    ++already;
                    outcome = "already_imported";
                    break;
                case ImportOutcome::Unreadable:
                    ++failed;
                    outcome = "unreadable";
                    break;
                case ImportOutcome::NotWritten:
                    ++failed;
                    outcome = "not_written";
                    break;
            }
            if (!r.message.empty()) io.err << "tobrak-cli: " << r.message << "\n";
            files.push_back(
                {{"path", r.path}, {"outcome", outcome}, {"id", r.id ? Json(r.id) : Json()}, {"games", r.games}});
        }
    tell(lib->takeNotice(), io);
    if (failed) io.err << "ファイル・エラーです！\n" << failed << " of the files were not imported\n";
    Json j = newReport();
    j["imported"] = imported;
    j["already_imported"] = already;
    j["failed"] = failed;
    j["files"] = std::move(files);
    io.out << j.dump(2) << "\n";
    return failed ? 1 : 0;
}

int sessionsExport(const SessionsArgs& a, Io& io) {
    auto lib = openForCli(a.db, false, io);
    if (!lib) return 1;
    if (!a.slt.empty()) {
        std::int64_t id = 0;
        try {
            id = std::stoll(a.slt[0]);
        } catch (const std::exception&) {
            io.err << "tobrak-cli: sessions export: --slt takes a session's id and a file\n";
            return 2;
        }
        const auto rec = lib->record(id);
        if (!rec) return noSession(id, *lib, io);
        if (const int st = refuseSameFile(a.slt[1], {lib->path()}, io)) return st;
        return writeOutput(a.slt[1],
                           std::string_view(reinterpret_cast<const char*>(rec->image.data()), rec->image.size()), io);
    }
    if (const int st = refuseSameFile(a.csv, {lib->path()}, io)) return st;
    if (a.games != 0) {
        const auto csv = lib->gamesCsv(a.games);
        if (!csv) return noSession(a.games, *lib, io);
        return writeOutput(a.csv, *csv, io);
    }
    return writeOutput(a.csv, lib->sessionsCsv(a.filter), io);
}

int sessionsTotals(const SessionsArgs& a, Io& io) {
    auto lib = openForCli(a.db, false, io);
    if (!lib) return 1;
    const TotalsBy by = a.by == "month"     ? TotalsBy::Month
                        : a.by == "machine" ? TotalsBy::Machine
                        : a.by == "hall"    ? TotalsBy::Hall
                        : a.by == "profile" ? TotalsBy::Profile
                                            : TotalsBy::Day;
    Json rows = Json::array();
    for (const TotalsRow& t : lib->totals(by, a.filter)) rows.push_back(totalsRowJson(t));
    Json j = newReport();
    j["by"] = a.by;
    j["totals"] = std::move(rows);
    io.out << j.dump(2) << "\n";
    return 0;
}

int sessionsEdit(const SessionsArgs& a, Io& io) {
    auto lib = openForCli(a.db, true, io);
    if (!lib) return 1;
    if (!lib->session(a.id)) return noSession(a.id, *lib, io);
    if (!lib->edit(a.id, a.edit)) return notWritten(*lib, io);
    Json j = newReport();
    j["session"] = sessionRowJson(*lib->session(a.id));
    io.out << j.dump(2) << "\n";
    return 0;
}

int sessionsDelete(const SessionsArgs& a, Io& io) {
    auto lib = openForCli(a.db, true, io);
    if (!lib) return 1;
    const auto row = lib->session(a.id);
    if (!row || row->deletedAtMs) return noSession(a.id, *lib, io);
    return lib->remove(a.id) ? 0 : notWritten(*lib, io);
}

int sessionsRestore(const SessionsArgs& a, Io& io) {
    auto lib = openForCli(a.db, true, io);
    if (!lib) return 1;
    const auto row = lib->session(a.id);
    if (!row || !row->deletedAtMs) return noSession(a.id, *lib, io);
    return lib->restore(a.id) ? 0 : notWritten(*lib, io);
}

}  // namespace tobrak::cli
