#include "cli_io.h"

#include <csignal>
#include <ostream>

#include "record/slt_file.h"
#include "util/durable_file.h"

namespace tobrak::cli {

int fileError(std::ostream& err, const std::string& what) {
    err << "ファイル・エラーです！\n" << what << "\n";
    return 1;
}

int refuseSameFile(const std::string& out, const std::vector<std::string>& inputs, Io& io) {
    if (out.empty() || out == "-") return 0;
    for (const std::string& in : inputs)
        if (!in.empty() && in != "-" && fileio::sameFile(out, in))
            return fileError(
                io.err, "cannot write " + out + ": it is the same file as the input " + in + "; nothing was written");
    return 0;
}

StopSignals::StopSignals(void (*handler)(int))
    : oldInt_(std::signal(SIGINT, handler)), oldTerm_(std::signal(SIGTERM, handler)) {}

void StopSignals::release() {
    if (!held_) return;
    held_ = false;
    std::signal(SIGINT, oldInt_);
    std::signal(SIGTERM, oldTerm_);
}

int writeOutput(const std::string& path, std::string_view bytes, Io& io) {
    if (path == "-") {
        io.out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        io.out.flush();
        return io.out ? 0 : fileError(io.err, "cannot write to standard output");
    }
    // Written whole or not at all: a failed write never leaves a cut file.
    if (const fileio::Error e = fileio::writeDurably(path, bytes.data(), bytes.size()))
        return fileError(io.err, e.message);
    return 0;
}

int saveRecord(const Session& s, const std::string& path, Io& io) {
    const std::vector<std::uint8_t> bytes = s.image();  // as the save command stores it
    if (path != "-") {
        fileio::Error e;
        return writeFileBytes(path, bytes, &e) == SltStatus::Ok ? 0 : fileError(io.err, e.message);
    }
    return writeOutput(path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()), io);
}

}  // namespace tobrak::cli
