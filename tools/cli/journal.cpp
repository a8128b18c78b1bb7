// `journal`: what a session journal holds, for recovering a record by hand. The
// journal is named by its folder (its session.journal) or as a file (a kept one).
// Beside the number of games it lists each game's time (null where it has none).
#include <filesystem>
#include <ostream>

#include "commands.h"
#include "record/journal.h"
#include "record/slt_file.h"
#include "report.h"
#include "sessions.h"
#include "util/durable_file.h"
#include "util/paths.h"

namespace tobrak::cli {

int journal(const JournalArgs& a, Io& io) {
    const std::string& where = a.dir;
    std::error_code ec;
    const bool isDir = std::filesystem::is_directory(fsPath(where), ec);
    const std::string file = isDir ? pathUtf8(fsPath(where) / "session.journal") : where;
    if (isDir && !fileio::exists(file)) return fileError(io.err, "no journal in " + where);
    if (const int st = refuseSameFile(a.save, {file}, io)) return st;
    const Journal::Contents held = Journal::read(file);
    if (!held.error.empty()) io.err << "tobrak-cli: " << held.error << "\n";
    if (!held.image) return fileError(io.err, "the journal " + file + " holds no record");
    Json j = newReport();
    j["games"] = static_cast<long>(held.image->size()) - kHeaderLen;
    Json times = Json::array();
    for (const auto& t : held.times) times.push_back(t ? Json(isoTime(*t)) : Json());
    j["times"] = std::move(times);
    j["counts"] = handCountsJson(held.counts);
    if (!a.db.empty()) {
        // The library's unfinished session catches up with the journal, or the record becomes one.
        auto lib = openForCli(a.db, /*writes=*/true, io);
        if (!lib) return 1;
        auto rec = std::make_unique<PlayRecord>();
        decodeSlt(*held.image, *rec);
        std::int64_t id = lib->resumeOpen(*rec, held.times, /*close=*/true);
        const bool resumed = id != 0;
        if (!resumed) {
            const ImportResult r = lib->importJournal(file);
            if (!r.message.empty()) io.err << "tobrak-cli: " << r.message << "\n";
            id = r.id;
        }
        tell(lib->takeNotice(), io);
        if (id == 0) return fileError(io.err, "the journal's record could not be kept in the library " + lib->path());
        if (resumed && !held.counts.empty()) lib->inTransaction([&] { lib->putCounts(id, held.counts); });
        j["library"] = {{"session", id}, {"resumed", resumed}};
    }
    reportStream(a.save, io) << j.dump() << "\n";
    if (!a.save.empty()) {
        const auto& image = *held.image;
        if (const int st =
                writeOutput(a.save, std::string_view(reinterpret_cast<const char*>(image.data()), image.size()), io))
            return st;
    }
    return held.error.empty() ? 0 : 1;
}

}  // namespace tobrak::cli
