// `journal`: what a session journal holds, for recovering a record by hand.
#include <filesystem>
#include <fstream>
#include <ostream>

#include "commands.h"
#include "record/journal.h"
#include "record/slt_file.h"
#include "report.h"
#include "util/paths.h"

namespace tobrak::cli {

int journal(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::string dir, save;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--save" && i + 1 < args.size())
            save = args[++i];
        else if (dir.empty() && args[i].rfind("--", 0) != 0)
            dir = args[i];
        else
            return usage(err, "journal DIR [--save OUT.slt]");
    }
    if (dir.empty()) return usage(err, "journal DIR [--save OUT.slt]");
    std::ifstream f(fsPath(dir) / "session.journal", std::ios::binary);
    if (!f) return fileError(err, "no journal in " + dir);
    const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    const auto image = Journal::replay(bytes);
    if (!image) return fileError(err, "the journal in " + dir + " holds no record");
    out << Json{{"games", static_cast<long>(image->size()) - kHeaderLen}}.dump() << "\n";
    if (!save.empty() && writeFileBytes(save, *image) != SltStatus::Ok) return fileError(err, "cannot write " + save);
    return 0;
}

}  // namespace tobrak::cli
