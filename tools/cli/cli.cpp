#include "cli.h"

#include <cctype>
#include <istream>
#include <ostream>
#include <sstream>

#include "acquisition/rs232.h"
#include "commands.h"
#include "platform/headless/memory_ui.h"
#include "record/file_commands.h"
#include "record/slt_file.h"

namespace tobrak::cli {

namespace {

const char* const kUsage =
    "usage: tobrak-cli <command> [options]\n"
    "  stats FILE.slt             load a play-data file and print its statistics\n"
    "  hist FILE.slt [--within N] the seven charts' counts, bins, scales and labels\n"
    "  koyaku FILE.slt            the small-win table\n"
    "  history FILE.slt           every bonus with its interval, games and net medals; hit probabilities\n"
    "  estimate FILE.slt [--profile P.json]\n"
    "                             posterior of settings 1-6 (the built-in example profile by default)\n"
    "  export FILE.slt --csv OUT.csv\n"
    "                             one CSV line per game: index, bonus state, in, out, balance, bonus number\n"
    "  trace graph FILE.slt [--scroll S]\n"
    "                             every drawing operation of the graph's redraw after a load\n"
    "  trace hist FILE.slt N      every drawing operation of chart command N (0 2 3 4 6 7 8)\n"
    "  trace zoom FILE.slt --factor 3|5|10 [--center X,Y]\n"
    "                             every drawing operation of the zoom window for that factor\n"
    "  trace print FILE.slt [--page P]\n"
    "                             every drawing operation of the printed report\n"
    "  print FILE.slt --pdf OUT.pdf [--page P]\n"
    "                             the printed report as a one-page PDF (panel page P in view)\n"
    "  render FILE.slt --png OUT.png\n"
    "                             the graph as the window shows it after a load\n"
    "  feed [--load FILE.slt] [--save OUT.slt]\n"
    "                             run the acquisition on board bytes read from stdin\n"
    "                             (HH: a read of byte 0xHH, --: a failed read, tick: blink tick)\n"
    "  simulate [--seed N] [--speed X] [--games N] [--fast] [--save OUT.slt] [--journal DIR]\n"
    "                             record the built-in simulated machine, printing the live state\n"
    "  journal DIR|FILE.journal [--save OUT.slt]\n"
    "                             the record a session journal holds (after a crash), or a kept one\n";

}  // namespace

int usage(std::ostream& err, const std::string& why) {
    if (!why.empty()) err << "tobrak-cli: " << why << "\n";
    err << kUsage;
    return 2;
}

int fileError(std::ostream& err, const std::string& what) {
    err << "ファイル・エラーです！\n" << what << "\n";
    return 1;
}

int saveRecord(Core& c, const std::string& path, std::ostream& err) {
    if (!savePlayData(c, path)) return fileError(err, "cannot write " + path);
    return 0;
}

int loadForCli(Core& c, const std::string& path, std::ostream& err) {
    auto& dialogs = static_cast<headless::ScriptedDialogs&>(*c.ui.dialogs);
    const std::size_t before = dialogs.shown.size();
    if (loadPlayData(c, path)) return 0;
    err << (dialogs.shown.size() > before ? dialogs.shown.back().text : std::string(kFileError)) << "\n"
        << "cannot load " << path << "\n";
    return 1;
}

int run(const std::vector<std::string>& args, std::istream& in, std::ostream& out, std::ostream& err) {
    if (args.empty()) return usage(err, "no command given");
    const std::string& cmd = args[0];
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    if (cmd == "feed") return feed(rest, in, out, err);
    if (cmd == "stats") return stats(rest, out, err);
    if (cmd == "journal") return journal(rest, out, err);
    if (cmd == "trace") return trace(rest, out, err);
    if (cmd == "hist") return hist(rest, out, err);
    if (cmd == "koyaku") return koyaku(rest, out, err);
    if (cmd == "history") return history(rest, out, err);
    if (cmd == "estimate") return estimate(rest, out, err);
    if (cmd == "export") return exportCsv(rest, err);
    if (cmd == "render") return render(rest, err);
    if (cmd == "print") return printPdf(rest, err);
    if (cmd == "simulate") return simulate(rest, out, err);
    if (cmd == "--help" || cmd == "-h" || cmd == "help") {
        out << kUsage;
        return 0;
    }
    return usage(err, "unknown command '" + cmd + "'");
}

}  // namespace tobrak::cli
