#pragma once
// `sessions`: the library of sessions from the command line.
#include <cstdint>
#include <string>
#include <vector>

#include "cli_io.h"
#include "library/library.h"

namespace tobrak::cli {

struct SessionsArgs {
    std::string db;  // empty: the user's library
    ListFilter filter;
    std::int64_t id = 0;
    std::vector<std::string> files;  // import
    std::string csv;                 // export --csv
    std::int64_t games = 0;          // export --games ID
    std::vector<std::string> slt;    // export --slt ID OUT
    std::string by = "day";          // totals
    SessionEdit edit;                // edit
};

int sessionsList(const SessionsArgs& a, Io& io);
int sessionsShow(const SessionsArgs& a, Io& io);
int sessionsImport(const SessionsArgs& a, Io& io);
int sessionsExport(const SessionsArgs& a, Io& io);
int sessionsTotals(const SessionsArgs& a, Io& io);
int sessionsEdit(const SessionsArgs& a, Io& io);
int sessionsDelete(const SessionsArgs& a, Io& io);
int sessionsRestore(const SessionsArgs& a, Io& io);

// The library for a command: opened, its notice told on standard error. A command
// that only reads needs the file to be there and never sets one aside.
std::unique_ptr<Library> openForCli(const std::string& db, bool writes, Io& io);
// Tells a library notice as the tool tells every problem: the Japanese text, then one plain line.
void tell(const LibraryNotice& n, Io& io);

}  // namespace tobrak::cli
