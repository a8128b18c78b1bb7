#pragma once
// The commands of the tool, each with the options the parser in cli.cpp filled in.
#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

#include "app/program.h"
#include "live.h"

namespace tobrak::cli {

// The tool's streams; "-" as a file name means `in` or `out`.
struct Io {
    std::istream& in;
    std::ostream& out;
    std::ostream& err;
};

struct FeedArgs {
    std::string load, save;
};
struct HistArgs {
    std::string file;
    int within = 30;
};
struct EstimateArgs {
    std::string file, profile;
};
struct ExportArgs {
    std::string file, csv;
};
struct TraceArgs {
    std::string file;
    long scroll = 0;       // graph
    int factor = 0;        // zoom
    bool centred = false;  // zoom
    float cx = 0, cy = 0;  // zoom
    int chart = 0;         // hist
    int page = 0;          // print
};
struct PrintArgs {
    std::string file, pdf;
    int page = 0;
};
struct RenderArgs {
    std::string file, png;
};
struct SimulateArgs {
    std::uint64_t seed = 1;
    double speed = 1.0;
    long games = 0;  // 0: until interrupted
    bool fast = false;
    std::string save, journal;
    ListenArgs live;
};
struct JournalArgs {
    std::string dir, save;
};

int feed(const FeedArgs& a, Io& io);
int stats(const std::string& file, Io& io);
int hist(const HistArgs& a, Io& io);
int koyaku(const std::string& file, Io& io);
int history(const std::string& file, Io& io);
int estimate(const EstimateArgs& a, Io& io);
int exportCsv(const ExportArgs& a, Io& io);
int traceGraph(const TraceArgs& a, Io& io);
int traceZoom(const TraceArgs& a, Io& io);
int traceHist(const TraceArgs& a, Io& io);
int tracePrint(const TraceArgs& a, Io& io);
int printPdf(const PrintArgs& a, Io& io);
int render(const RenderArgs& a, Io& io);
struct RecordArgs {
    std::string board = "none";
    SimulateArgs sim;
};
int simulate(const SimulateArgs& a, Io& io);
int record(const RecordArgs& a, Io& io);
int boards(Io& io);
struct ServeArgs {
    std::string file;
    ListenArgs live;
};
int serve(const ServeArgs& a, Io& io);
int journal(const JournalArgs& a, Io& io);

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
int saveRecord(Program& c, const std::string& path, Io& io);
// Loads FILE (standard input for "-") through the window's load path; on failure
// prints the message the window would show and returns 1.
int loadForCli(Program& c, const std::string& path, Io& io);
// Where the human-readable report goes: standard error while standard output
// carries a file ("--save -").
inline std::ostream& reportStream(const std::string& save, Io& io) { return save == "-" ? io.err : io.out; }

}  // namespace tobrak::cli
