#include "cli.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cctype>
#include <csignal>
#include <fstream>
#include <functional>
#include <istream>
#include <ostream>

#include "app/file_commands.h"
#include "app/headless/headless_app.h"
#include "app/version.h"
#include "boards/sim_board.h"
#include "commands.h"
#include "record/slt_file.h"
#include "sessions.h"
#include "util/durable_file.h"
#include "util/paths.h"

namespace tobrak::cli {

namespace {

const char* const kUsage =
    "usage: tobrak-cli <command> [options]     (tobrak-cli <command> --help: its options)\n"
    "  stats FILE.slt             load a play-data file and print its statistics\n"
    "  hist FILE.slt [--within N] the seven charts' counts, bins, scales and labels\n"
    "  koyaku FILE.slt            the small-win table\n"
    "  history FILE.slt [--profile P.json] [--count NAME=N ...]\n"
    "                             every bonus with its interval, games and net medals; hit probabilities\n"
    "                             (and the estimate, with --profile or --count)\n"
    "  estimate FILE.slt [--profile P.json] [--count NAME=N ...]\n"
    "                             posterior of settings 1-6 (the built-in example profile by default),\n"
    "                             with the counts of the profile's manual counters given\n"
    "  export FILE.slt --csv OUT.csv\n"
    "                             one CSV line per game: index, bonus state, in, out, balance, bonus number\n"
    "  trace graph FILE.slt [--scroll S] [--expected-line [SETTING]] [--profile P.json]\n"
    "                             every drawing operation of the graph's redraw after a load\n"
    "  trace hist FILE.slt N      every drawing operation of chart command N (0 2 3 4 6 7 8)\n"
    "  trace zoom FILE.slt --factor 3|5|10 [--center X,Y]\n"
    "                             every drawing operation of the zoom window for that factor\n"
    "  trace print FILE.slt [--page P]\n"
    "                             every drawing operation of the printed report\n"
    "  print FILE.slt --pdf OUT.pdf [--page P]\n"
    "                             the printed report as a one-page PDF (panel page P in view)\n"
    "  render FILE.slt --png OUT.png [--expected-line [SETTING]] [--profile P.json]\n"
    "                             the graph as the window shows it after a load\n"
    "                             --expected-line: with the balance a machine of setting SETTING (1-6;\n"
    "                             the likeliest of the estimate without it) would give, as a yellow line;\n"
    "                             trace zoom, trace print and print take it too\n"
    "  feed [--load FILE.slt] [--save OUT.slt]\n"
    "                             run the acquisition on board bytes read from stdin\n"
    "                             (HH: a read of byte 0xHH, --: a failed read, tick: blink tick)\n"
    "  simulate [--seed N] [--speed X] [--games N] [--fast] [--save OUT.slt] [--journal DIR]\n"
    "                             record the built-in simulated machine, printing the live state\n"
    "  record --board none|sim|serial:PATH[,BAUD]|edges:PATH[,BAUD]|usbio[:SERIAL]\n"
    "         [--seed N] [--speed X] [--games N] [--journal DIR] [--save OUT.slt]\n"
    "         [--listen [ADDR:]PORT [--token T]] [--db PATH | --no-library]\n"
    "         [--machine NAME] [--hall NAME] [--number N] [--profile P.json]\n"
    "         [--mqtt mqtt[s]://HOST[:PORT] [--mqtt-auth FILE] [--mqtt-ca FILE] [--mqtt-prefix P]\n"
    "          [--ha-discovery]]\n"
    "                             record from a board as the window does, one line per game;\n"
    "                             the session goes into the library of sessions; on a terminal\n"
    "                             the keys 1-8 count the profile's hand counters, - then 1-8\n"
    "                             takes one back; with --mqtt each game, bonus and the state go\n"
    "                             to an MQTT broker (user and password from FILE; see docs/mqtt.md)\n"
    "  serve FILE.slt --listen [ADDR:]PORT [--token T]\n"
    "                             the live view (a web page) of a saved record\n"
    "  hall --broker mqtt[s]://HOST[:PORT] --listen [ADDR:]PORT [--token T]\n"
    "       [--mqtt-auth FILE] [--mqtt-ca FILE] [--mqtt-prefix P] [--max-machines N]\n"
    "                             a page with a tile for every machine publishing to the broker\n"
    "                             (see docs/hall.md)\n"
    "  boards                     the serial ports and USB HID I/O boards this computer sees\n"
    "  journal DIR|FILE.journal [--save OUT.slt] [--db PATH]\n"
    "                             the record a session journal holds (after a crash), or a kept one\n"
    "  sessions list [--hall H] [--machine M] [--profile P] [--month YYYY-MM] [--trash] [--db PATH]\n"
    "                             the library's sessions, newest first\n"
    "  sessions show ID [--db PATH]\n"
    "                             one session with its bonuses and games\n"
    "  sessions import FILE|DIR... [--db PATH]\n"
    "                             .slt files and kept journals into the library (each once)\n"
    "  sessions export (--csv OUT.csv | --games ID --csv OUT.csv | --slt ID OUT.slt) [--db PATH]\n"
    "                             the sessions or one session's games as CSV, or a session's record\n"
    "  sessions totals --by day|month|machine|hall|profile [--db PATH]\n"
    "                             sessions, games, BB, RB, balance, income and machine rate per group\n"
    "  sessions edit ID [--machine M] [--hall H] [--number N] [--profile P] [--comment C]\n"
    "                [--invest YEN] [--collect-medals N] [--collect-yen YEN] [--db PATH]\n"
    "                             change a session's details and money\n"
    "  sessions delete ID [--db PATH]    into the trash (kept 30 days)\n"
    "  sessions restore ID [--db PATH]   back from the trash\n"
    "--db PATH: the library file (default: the user's, "
#ifdef _WIN32
    "%LOCALAPPDATA%\\tobrak\\library.sqlite"
#else
    "$XDG_DATA_HOME/tobrak/library.sqlite"
#endif
    ").\n"
    "A file name '-' is standard input (FILE.slt) or standard output (--csv, --save, --png, --pdf);\n"
    "with --save - the report goes to standard error. --version prints the version.\n";

// Enough of standard input to tell a file that is too large; the rest stays unread.
std::vector<std::uint8_t> readInput(std::istream& in) {
    std::vector<std::uint8_t> bytes;
    char buf[4096];
    while (bytes.size() <= static_cast<std::size_t>(kDatMax)) {
        in.read(buf, sizeof buf);
        const std::streamsize n = in.gcount();
        bytes.insert(bytes.end(), buf, buf + n);
        if (n < static_cast<std::streamsize>(sizeof buf)) break;
    }
    return bytes;
}

// X,Y as two single-precision numbers.
bool parseCenter(const std::string& v, float& x, float& y) {
    const auto comma = v.find(',');
    if (comma == std::string::npos) return false;
    const std::string xs = v.substr(0, comma), ys = v.substr(comma + 1);
    char* end = nullptr;
    x = std::strtof(xs.c_str(), &end);
    if (xs.empty() || *end) return false;
    y = std::strtof(ys.c_str(), &end);
    return !ys.empty() && !*end;
}

CLI::Option* fileArg(CLI::App* cmd, std::string& file) {
    return cmd->add_option("file", file, "play-data file, - for standard input")->type_name("FILE.slt")->required();
}

// --expected-line [SETTING] and its --profile, of the graph's pictures.
void expectedOptions(CLI::App* cmd, ExpectedArgs& a) {
    const CLI::Option* o = cmd->add_option("--expected-line", a.setting,
                                           "draw the expected-value line: the balance of setting SETTING (1-6; "
                                           "without it the likeliest setting of the estimate), (payout rate - 1) x "
                                           "medals in")
                               ->type_name("[SETTING]")
                               ->expected(0, 1)
                               ->check(CLI::Range(1, 6));
    // `trace`'s commands share their arguments: any of them given counts.
    a.given = [o, before = a.given] { return o->count() > 0 || (before && before()); };
    cmd->add_option("--profile", a.profile,
                    "machine profile of the expected-value line (default: the built-in example profile)")
        ->type_name("P.json");
}

// --profile and --count, of `estimate` and `history`.
void estimateOptions(CLI::App* cmd, EstimateArgs& a) {
    cmd->add_option("--profile", a.profile, "machine profile (default: the built-in example profile)")
        ->type_name("P.json");
    cmd->add_option("--count", a.counts,
                    "the count of one of the profile's manual counters, e.g. ブドウ=160; once per counter")
        ->type_name("NAME=N")
        ->expected(1)
        ->allow_extra_args(false)  // one NAME=N a --count, so that FILE may follow it
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
        ->check(
            [](const std::string& v) {
                std::string name;
                std::int32_t count = 0;
                return parseCount(v, name, count)
                           ? std::string()
                           : std::string("--count takes NAME=N, N a whole number from 0 to 999999999");
            },
            "");
}

CLI::Option* pageOption(CLI::App* cmd, int& page) {
    return cmd->add_option("--page", page, "panel page in view: 0, 1 or 2 (default 0)")
        ->type_name("P")
        ->check(CLI::Range(0, 2));
}

}  // namespace

int loadForCli(Program& c, const std::string& path, Io& io) {
    auto& dialogs = static_cast<headless::ScriptedDialogs&>(*c.ui.dialogs);
    const std::size_t before = dialogs.shown.size();
    if (path == "-" ? loadPlayImage(c, readInput(io.in)) : loadPlayData(c, path)) return 0;
    io.err << (dialogs.shown.size() > before ? dialogs.shown.back().text : std::string(kFileError)) << "\n"
           << "cannot load " << (path == "-" ? std::string("standard input") : path) << "\n";
    return 1;
}

int run(const std::vector<std::string>& args, std::istream& in, std::ostream& out, std::ostream& err) {
    Io io{in, out, err};
    if (args.empty()) {
        err << "tobrak-cli: no command given\n" << kUsage;
        return 2;
    }
    if (args[0] == "help") {
        out << kUsage;
        return 0;
    }

    CLI::App app{"Tobrak's command-line tool: batch analysis and export of play-data files.", "tobrak-cli"};
    app.set_version_flag("--version", std::string("tobrak-cli ") + kVersion);
    app.require_subcommand(1);
    // Each command with the work it does once its options are parsed.
    std::vector<std::pair<CLI::App*, std::function<int()>>> commands;
    auto command = [&](CLI::App* parent, const char* name, const char* what, std::function<int()> work) {
        CLI::App* cmd = parent->add_subcommand(name, what);
        commands.emplace_back(cmd, std::move(work));
        return cmd;
    };

    std::string file;
    FeedArgs feedArgs;
    CLI::App* cmd = command(&app, "feed",
                            "Run the acquisition on board bytes read from standard input: HH a read of "
                            "byte 0xHH, -- a failed read, tick a blink tick, # a comment.",
                            [&] { return feed(feedArgs, io); });
    cmd->add_option("--load", feedArgs.load, "start from this play-data file")->type_name("FILE.slt");
    cmd->add_option("--save", feedArgs.save, "write the record as a play-data file (- standard output)")
        ->type_name("OUT.slt");

    fileArg(command(&app, "stats", "Load a play-data file as the window does and print its statistics.",
                    [&] { return stats(file, io); }),
            file);

    HistArgs histArgs;
    cmd =
        command(&app, "hist", "The seven charts' counts, bins, scales and labels.", [&] { return hist(histArgs, io); });
    fileArg(cmd, histArgs.file);
    cmd->add_option("--within", histArgs.within, "game-count threshold of the interval charts (default 30)")
        ->type_name("N")
        ->check(CLI::Range(1, 100));

    fileArg(command(&app, "koyaku", "The small-win table.", [&] { return koyaku(file, io); }), file);
    EstimateArgs historyArgs;
    cmd = command(&app, "history",
                  "Every bonus with its interval, games and net medals; hit probabilities; with --profile or "
                  "--count also the setting estimate.",
                  [&] { return history(historyArgs, io); });
    fileArg(cmd, historyArgs.file);
    estimateOptions(cmd, historyArgs);

    EstimateArgs estimateArgs;
    cmd = command(&app, "estimate",
                  "Posterior of settings 1-6 under a machine profile, from the bonuses, the small wins and "
                  "the manual counts given.",
                  [&] { return estimate(estimateArgs, io); });
    fileArg(cmd, estimateArgs.file);
    estimateOptions(cmd, estimateArgs);

    ExportArgs exportArgs;
    cmd = command(&app, "export",
                  "One CSV line per game: index, bonus state, medals in, medals out, balance, bonus number.",
                  [&] { return exportCsv(exportArgs, io); });
    fileArg(cmd, exportArgs.file);
    cmd->add_option("--csv", exportArgs.csv, "the CSV file (- standard output)")->type_name("OUT.csv")->required();

    CLI::App* trace = app.add_subcommand("trace", "Every drawing operation of a picture, one a line.");
    trace->require_subcommand(1);
    TraceArgs traceArgs;
    cmd =
        command(trace, "graph", "The graph's standard redraw after a load.", [&] { return traceGraph(traceArgs, io); });
    fileArg(cmd, traceArgs.file);
    cmd->add_option("--scroll", traceArgs.scroll, "scrolled this far to the right (default 0)")
        ->type_name("S")
        ->check(
            [](const std::string& v) {
                char* end = nullptr;
                const long s = std::strtol(v.c_str(), &end, 10);
                return !v.empty() && !*end && s >= 0 && s <= 1000000 && s % 1000 == 0
                           ? std::string()
                           : std::string("--scroll takes a multiple of 1000");
            },
            "a multiple of 1000");
    expectedOptions(cmd, traceArgs.expected);
    cmd = command(trace, "zoom", "The zoom window after choosing a factor.", [&] { return traceZoom(traceArgs, io); });
    fileArg(cmd, traceArgs.file);
    cmd->add_option("--factor", traceArgs.factor, "magnification")
        ->type_name("N")
        ->required()
        ->check(CLI::IsMember({3, 5, 10}));
    cmd->add_option_function<std::string>(
           "--center",
           [&](const std::string& v) {
               parseCenter(v, traceArgs.cx, traceArgs.cy);
               traceArgs.centred = true;
           },
           "place the zoom frame around this graph point first")
        ->type_name("X,Y")
        ->check([](const std::string& v) {
            float x, y;
            return parseCenter(v, x, y) ? std::string() : std::string("--center takes X,Y");
        });
    expectedOptions(cmd, traceArgs.expected);
    cmd =
        command(trace, "hist", "The main graph surface for a chart command.", [&] { return traceHist(traceArgs, io); });
    fileArg(cmd, traceArgs.file);
    cmd->add_option("N", traceArgs.chart, "chart command: 0 2 3 4 6 7 8")
        ->required()
        ->check(CLI::IsMember({0, 2, 3, 4, 6, 7, 8}));
    cmd = command(trace, "print", "The printer operations of the print report.",
                  [&] { return tracePrint(traceArgs, io); });
    fileArg(cmd, traceArgs.file);
    pageOption(cmd, traceArgs.page);
    expectedOptions(cmd, traceArgs.expected);

    PrintArgs printArgs;
    cmd = command(&app, "print", "The printed report as a one-page A4 landscape PDF.",
                  [&] { return printPdf(printArgs, io); });
    fileArg(cmd, printArgs.file);
    cmd->add_option("--pdf", printArgs.pdf, "the PDF file (- standard output)")->type_name("OUT.pdf")->required();
    pageOption(cmd, printArgs.page);
    expectedOptions(cmd, printArgs.expected);

    RenderArgs renderArgs;
    cmd = command(&app, "render", "The graph as the window shows it after a load, as a PNG.",
                  [&] { return render(renderArgs, io); });
    fileArg(cmd, renderArgs.file);
    cmd->add_option("--png", renderArgs.png, "the PNG file (- standard output)")->type_name("OUT.png")->required();
    expectedOptions(cmd, renderArgs.expected);

    // simulate and record take the same options; record also the board.
    auto recordOptions = [](CLI::App* cmd, SimulateArgs& a) {
        a.seed = SimOptions{}.seed;
        cmd->add_option("--seed", a.seed, "seed of the simulated machine; the same seed replays a session")
            ->type_name("N");
        cmd->add_option("--speed", a.speed, "simulated machine time per poll in units of 80 ms (default 1)")
            ->type_name("X")
            ->check([](const std::string& v) {
                char* end = nullptr;
                const double x = std::strtod(v.c_str(), &end);
                return !v.empty() && !*end && x > 0 && x <= 1000
                           ? std::string()
                           : std::string("--speed takes a number above 0, at most 1000");
            });
        cmd->add_option("--games", a.games, "stop after this many games (default: when interrupted)")
            ->type_name("N")
            ->check(CLI::Range(0L, static_cast<long>(kDatMax - kHeaderLen)));
        cmd->add_flag("--fast", a.fast, "do not wait for real time (the simulated machine only)");
        cmd->add_option("--save", a.save, "write the record as a play-data file (- standard output)")
            ->type_name("OUT.slt");
        cmd->add_option("--journal", a.journal, "keep a session journal in this folder")->type_name("DIR");
        listenOptions(cmd, a.live);
    };
    SimulateArgs sim;
    recordOptions(command(&app, "simulate",
                          "Record the built-in simulated machine, printing the live state after every game "
                          "(record --board sim).",
                          [&] { return simulate(sim, io); }),
                  sim);
    RecordArgs rec;
    CLI::App* recordCmd = command(
        &app, "record",
        "Record from a board with the window's poll, rules and journal, one line per game; "
        "Ctrl-C or SIGTERM ends it (and saves with --save).",
        [&] {
            if (rec.board != "sim" && (recordCmd->count("--seed") || recordCmd->count("--speed") || rec.sim.fast)) {
                err << "tobrak-cli: record: --seed, --speed and --fast are for --board sim\n";
                return 2;
            }
            return record(rec, io);
        });
    recordCmd
        ->add_option("--board", rec.board,
                     "none, sim, serial:PATH[,BAUD] (serial bridge), edges:PATH[,BAUD] (edge board) or "
                     "usbio[:SERIAL] (USB HID I/O board); see docs/boards.md")
        ->type_name("BOARD");
    recordOptions(recordCmd, rec.sim);
    auto* dbOpt = recordCmd->add_option("--db", rec.db, "the library of sessions to record into (default: the user's)")
                      ->type_name("PATH");
    recordCmd->add_flag("--no-library", rec.noLibrary, "keep no library of this session")->excludes(dbOpt);
    recordCmd->add_option("--machine", rec.machine, "the machine's name, kept with the session")->type_name("NAME");
    recordCmd->add_option("--hall", rec.hall, "the hall, kept with the session")->type_name("NAME");
    recordCmd->add_option("--number", rec.number, "the hall's machine number, kept with the session")->type_name("N");
    recordCmd
        ->add_option("--profile", rec.profile,
                     "machine profile naming the hand counters (default: the built-in example profile)")
        ->type_name("P.json");
    mqttOptions(recordCmd, rec.mqtt);
    ServeArgs serveArgs;
    cmd = command(&app, "serve", "The live view of a saved record (read-only) until interrupted.",
                  [&] { return serve(serveArgs, io); });
    fileArg(cmd, serveArgs.file);
    listenOptions(cmd, serveArgs.live);
    cmd->get_option("--listen")->required();
    HallArgs hallArgs;
    cmd = command(&app, "hall", "A page with a tile for every machine publishing to a broker, until interrupted.",
                  [&] { return hall(hallArgs, io); });
    cmd->add_option("--broker", hallArgs.broker,
                    "the MQTT broker the loggers publish to (mqtt://HOST[:PORT] or mqtts://…)")
        ->type_name("URL")
        ->required();
    mqttLoginOptions(cmd, hallArgs.mqtt);
    cmd->add_option("--max-machines", hallArgs.maxMachines, "at most this many tiles (default 1000)")
        ->type_name("N")
        ->check(CLI::Range(1, 100000));
    listenOptions(cmd, hallArgs.live);
    cmd->get_option("--listen")->required();
    command(&app, "boards", "The serial ports and USB HID I/O boards this computer sees.", [&] { return boards(io); });

    JournalArgs journalArgs;
    cmd = command(&app, "journal", "The record a session journal holds (after a crash), or a kept one.",
                  [&] { return journal(journalArgs, io); });
    cmd->add_option("dir", journalArgs.dir, "folder of session.journal, or a kept journal file")
        ->type_name("DIR|FILE.journal")
        ->required();
    cmd->add_option("--save", journalArgs.save, "write the record as a play-data file (- standard output)")
        ->type_name("OUT.slt");
    cmd->add_option("--db", journalArgs.db,
                    "bring the library's unfinished session up to the journal's record (or keep it as a new one)")
        ->type_name("PATH");

    CLI::App* sessions = app.add_subcommand("sessions", "The library of sessions.");
    sessions->require_subcommand(1);
    SessionsArgs sa;
    auto dbOption = [&](CLI::App* c) {
        c->add_option("--db", sa.db, "the library file (default: the user's)")->type_name("PATH");
    };
    auto filterOptions = [&](CLI::App* c) {
        c->add_option("--hall", sa.filter.hall, "only this hall's sessions")->type_name("H");
        c->add_option("--machine", sa.filter.machine, "only this machine's sessions")->type_name("M");
        c->add_option("--profile", sa.filter.profile, "only sessions of this machine profile")->type_name("P");
        c->add_option("--month", sa.filter.month, "only sessions begun in this month")
            ->type_name("YYYY-MM")
            ->check(
                [](const std::string& v) {
                    const bool ok = v.size() == 7 && v[4] == '-' && std::all_of(v.begin(), v.end(), [](char ch) {
                                        return ch == '-' || std::isdigit(static_cast<unsigned char>(ch));
                                    });
                    return ok ? std::string() : std::string("--month takes YYYY-MM");
                },
                "YYYY-MM");
    };
    auto idArg = [&](CLI::App* c) {
        c->add_option("id", sa.id, "the session's id (sessions list)")->type_name("ID")->required();
    };
    cmd = command(sessions, "list", "The library's sessions, newest first.", [&] { return sessionsList(sa, io); });
    filterOptions(cmd);
    cmd->add_flag("--trash", sa.filter.trash, "the deleted sessions instead (kept 30 days)");
    dbOption(cmd);
    cmd = command(sessions, "show", "One session with its bonuses and games.", [&] { return sessionsShow(sa, io); });
    idArg(cmd);
    dbOption(cmd);
    cmd = command(sessions, "import",
                  "Play-data files and kept journals into the library, each once (a folder: its files).",
                  [&] { return sessionsImport(sa, io); });
    cmd->add_option("files", sa.files, "files or folders")->type_name("FILE|DIR")->required();
    dbOption(cmd);
    cmd = command(sessions, "export", "The sessions or one session's games as CSV, or a session's record.",
                  [&] { return sessionsExport(sa, io); });
    auto* csvOpt = cmd->add_option("--csv", sa.csv, "the CSV file (- standard output)")->type_name("OUT.csv");
    cmd->add_option("--games", sa.games, "one line per game of this session instead")->type_name("ID")->needs(csvOpt);
    cmd->add_option("--slt", sa.slt, "the session's record as a play-data file (- standard output)")
        ->type_name("ID OUT.slt")
        ->expected(2)
        ->excludes(csvOpt);
    filterOptions(cmd);
    dbOption(cmd);
    cmd->callback([cmd] {
        if (!cmd->count("--csv") && !cmd->count("--slt")) throw CLI::RequiredError("--csv or --slt");
    });
    cmd = command(sessions, "totals", "Sessions, games, BB, RB, balance, income and machine rate per group.",
                  [&] { return sessionsTotals(sa, io); });
    cmd->add_option("--by", sa.by, "day, month, machine, hall or profile")
        ->type_name("GROUP")
        ->required()
        ->check(CLI::IsMember({"day", "month", "machine", "hall", "profile"}));
    filterOptions(cmd);
    dbOption(cmd);
    cmd = command(sessions, "edit", "Change a session's details and money.", [&] { return sessionsEdit(sa, io); });
    idArg(cmd);
    cmd->add_option("--machine", sa.edit.machine, "the machine's name")->type_name("M");
    cmd->add_option("--hall", sa.edit.hall, "the hall")->type_name("H");
    cmd->add_option("--number", sa.edit.number, "the hall's machine number")->type_name("N");
    cmd->add_option("--profile", sa.edit.profile, "the machine profile")->type_name("P");
    cmd->add_option("--comment", sa.edit.comment, "the comment")->type_name("C");
    cmd->add_option("--invest", sa.edit.investYen, "投資: yen put in")->type_name("YEN")->check(CLI::NonNegativeNumber);
    cmd->add_option("--collect-medals", sa.edit.collectMedals, "回収 as medals at the end (-1 clears)")
        ->type_name("N")
        ->check(CLI::Range(-1LL, 100000000LL));
    cmd->add_option("--collect-yen", sa.edit.collectYen, "回収 in yen (-1 clears)")
        ->type_name("YEN")
        ->check(CLI::Range(-1LL, 10000000000LL));
    dbOption(cmd);
    cmd = command(sessions, "delete", "Into the trash (kept 30 days).", [&] { return sessionsDelete(sa, io); });
    idArg(cmd);
    dbOption(cmd);
    cmd = command(sessions, "restore", "Back from the trash.", [&] { return sessionsRestore(sa, io); });
    idArg(cmd);
    dbOption(cmd);

    if (args[0].rfind('-', 0) != 0 &&
        app.get_subcommands([&](CLI::App* s) { return s->get_name() == args[0]; }).empty()) {
        err << "tobrak-cli: unknown command '" << args[0] << "'\n" << kUsage;
        return 2;
    }
    try {
        app.parse(std::vector<std::string>(args.rbegin(), args.rend()));
    } catch (const CLI::CallForHelp&) {
        // Help of the command given, or the list of commands.
        if (app.get_subcommands().empty())
            out << kUsage;
        else
            out << app.help();
        return 0;
    } catch (const CLI::CallForAllHelp&) {
        out << kUsage;
        return 0;
    } catch (const CLI::CallForVersion& v) {
        out << v.what() << "\n";
        return 0;
    } catch (const CLI::ParseError& e) {
        err << "tobrak-cli: " << e.what() << "\n"
            << "run 'tobrak-cli --help' for the commands, 'tobrak-cli COMMAND --help' for a command's options\n";
        return 2;
    }
    for (const auto& [cmd, work] : commands)
        if (cmd->parsed()) return work();
    err << kUsage;
    return 2;
}

}  // namespace tobrak::cli
