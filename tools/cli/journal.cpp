// `journal`: what a session journal holds, for recovering a record by hand. The
// journal is named by its folder (its session.journal) or as a file (a kept one).
#include <ostream>

#include "commands.h"
#include "record/journal.h"
#include "record/slt_file.h"
#include "report.h"
#include "util/paths.h"

namespace tobrak::cli {

int journal(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::string where, save;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--save" && i + 1 < args.size())
            save = args[++i];
        else if (where.empty() && args[i].rfind("--", 0) != 0)
            where = args[i];
        else
            return usage(err, "journal DIR|FILE.journal [--save OUT.slt]");
    }
    if (where.empty()) return usage(err, "journal DIR|FILE.journal [--save OUT.slt]");
    std::error_code ec;
    const bool isDir = std::filesystem::is_directory(fsPath(where), ec);
    const std::string file = isDir ? pathUtf8(fsPath(where) / "session.journal") : where;
    if (isDir && !fileio::exists(file)) return fileError(err, "no journal in " + where);
    const Journal::Contents held = Journal::read(file);
    if (!held.error.empty()) err << "tobrak-cli: " << held.error << "\n";
    if (!held.image) return fileError(err, "the journal " + file + " holds no record");
    out << Json{{"games", static_cast<long>(held.image->size()) - kHeaderLen}}.dump() << "\n";
    if (!save.empty() && writeFileBytes(save, *held.image) != SltStatus::Ok)
        return fileError(err, "cannot write " + save);
    return held.error.empty() ? 0 : 1;
}

}  // namespace tobrak::cli
