#pragma once
// The commands of the tool, each with the options the parser in cli.cpp filled in.
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

#include "app/program.h"
#include "cli_io.h"
#include "live.h"
#include "record_command.h"

namespace tobrak::cli {

struct FeedArgs {
    std::string load, save;
};
struct HistArgs {
    std::string file;
    int within = 30;
};
struct EstimateArgs {
    std::string file, profile;
    std::vector<std::string> counts;  // NAME=N, each checked by parseCount
};
struct ExportArgs {
    std::string file, csv;
};
// --expected-line [SETTING] and the --profile it is worked out from.
struct ExpectedArgs {
    std::function<bool()> given;  // whether --expected-line was, once parsed
    int setting = 0;              // 0: the likeliest of the estimate
    std::string profile;
};
struct TraceArgs {
    std::string file;
    ExpectedArgs expected;  // graph, zoom, print
    long scroll = 0;        // graph
    int factor = 0;         // zoom
    bool centred = false;   // zoom
    float cx = 0, cy = 0;   // zoom
    int chart = 0;          // hist
    int page = 0;           // print
};
struct PrintArgs {
    std::string file, pdf;
    ExpectedArgs expected;
    int page = 0;
};
struct RenderArgs {
    std::string file, png;
    ExpectedArgs expected;
};
struct JournalArgs {
    std::string dir, save, db;
};

int feed(const FeedArgs& a, Io& io);
int stats(const std::string& file, Io& io);
int hist(const HistArgs& a, Io& io);
int koyaku(const std::string& file, Io& io);
int history(const EstimateArgs& a, Io& io);
int estimate(const EstimateArgs& a, Io& io);
int exportCsv(const ExportArgs& a, Io& io);
// The expected-value line of --expected-line onto the program (before the load); 1
// with the profile's message when the profile cannot be used.
int expectedLineFor(const ExpectedArgs& a, Program& c, Io& io);
int traceGraph(const TraceArgs& a, Io& io);
int traceZoom(const TraceArgs& a, Io& io);
int traceHist(const TraceArgs& a, Io& io);
int tracePrint(const TraceArgs& a, Io& io);
int printPdf(const PrintArgs& a, Io& io);
int render(const RenderArgs& a, Io& io);
int boards(Io& io);
struct ServeArgs {
    std::string file;
    ListenArgs live;
};
int serve(const ServeArgs& a, Io& io);
struct HallArgs {
    std::string broker;  // mqtt://… or mqtts://…
    MqttArgs mqtt{};     // its login, CA file and prefix (url unused)
    ListenArgs live;
    std::size_t maxMachines = 1000;
};
int hall(const HallArgs& a, Io& io);
int journal(const JournalArgs& a, Io& io);

// "ブドウ=160" as its name and count: the name before the last '=', a whole number
// of 0 up to 999999999 after it.
bool parseCount(const std::string& v, std::string& name, std::int32_t& count);

// Loads FILE (standard input for "-") through the window's load path; on failure
// prints the message the window would show and returns 1.
int loadForCli(Program& c, const std::string& path, Io& io);
}  // namespace tobrak::cli
