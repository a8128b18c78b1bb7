#pragma once
// The tool's streams and files, shared by every command.
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

#include "session/session.h"

namespace tobrak::cli {

// The tool's streams; "-" as a file name means `in` or `out`.
struct Io {
    std::istream& in;
    std::ostream& out;
    std::ostream& err;
};

// Shared by the commands.
int fileError(std::ostream& err, const std::string& what);
// Refuses an output that is one of the inputs (the same file, by any of its
// names): a file error, and nothing is written. 0 when `out` may be written.
int refuseSameFile(const std::string& out, const std::vector<std::string>& inputs, Io& io);
// SIGINT and SIGTERM go to `handler` while this lives, or until release(); the
// handlers before are put back then.
class StopSignals {
public:
    explicit StopSignals(void (*handler)(int));
    ~StopSignals() { release(); }
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;
    void release();

private:
    void (*oldInt_)(int);
    void (*oldTerm_)(int);
    bool held_ = true;
};
// Writes bytes to PATH, or to standard output for "-".
int writeOutput(const std::string& path, std::string_view bytes, Io& io);
// The record as a play-data file, as the save command writes it.
int saveRecord(const Session& s, const std::string& path, Io& io);
// Where the human-readable report goes: standard error while standard output
// carries a file ("--save -").
inline std::ostream& reportStream(const std::string& save, Io& io) { return save == "-" ? io.err : io.out; }

}  // namespace tobrak::cli
