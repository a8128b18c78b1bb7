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

int journal(const JournalArgs& a, Io& io) {
    const std::string& dir = a.dir;
    std::ifstream f(fsPath(dir) / "session.journal", std::ios::binary);
    if (!f) return fileError(io.err, "no journal in " + dir);
    const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    const auto image = Journal::replay(bytes);
    if (!image) return fileError(io.err, "the journal in " + dir + " holds no record");
    Json j = newReport();
    j["games"] = static_cast<long>(image->size()) - kHeaderLen;
    reportStream(a.save, io) << j.dump() << "\n";
    if (a.save == "-")
        return writeOutput(a.save, std::string_view(reinterpret_cast<const char*>(image->data()), image->size()), io);
    if (!a.save.empty() && writeFileBytes(a.save, *image) != SltStatus::Ok)
        return fileError(io.err, "cannot write " + a.save);
    return 0;
}

}  // namespace tobrak::cli
