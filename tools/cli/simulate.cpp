// `simulate`: records the built-in simulated machine with the real acquisition
// code and prints the live state after every game, like the panel would show it.
#include <chrono>
#include <csignal>
#include <ostream>
#include <string>
#include <thread>

#include "acquisition/rs232.h"
#include "commands.h"
#include "platform/headless/memory_ui.h"
#include "platform/sim_board.h"
#include "record/file_commands.h"
#include "record/journal.h"
#include "report.h"

namespace tobrak::cli {

namespace {

volatile std::sig_atomic_t g_stop = 0;
void onSignal(int) { g_stop = 1; }

std::string stateLine(const Core& c, const headless::HeadlessUi& ui) {
    const Counters& n = c.cnt;
    std::string s = std::to_string(c.rec.games()) + "G  IN " + std::to_string(n.Tot_In) + "  OUT " +
                    std::to_string(n.Tot_Out) + "  差枚 " + std::to_string(n.Tot_Out - n.Tot_In) + "  BB " +
                    std::to_string(n.BB_Cnt) + "  RB " + std::to_string(n.RB_Cnt) + "  ボーナス間隔 " +
                    std::to_string(n.Bonus_Intv) + "G";
    if (c.rs.DaiBB_On) s += "  [ＢＢ中 " + std::to_string(n.BB_Gain) + "枚]";
    if (c.rs.DaiRB_On) s += "  [ＲＢ中 " + std::to_string(n.RB_Gain) + "枚]";
    return s + "  |" + ui.Label1.caption() + " |" + ui.Label12.caption();
}

}  // namespace

int simulate(const SimulateArgs& a, Io& io) {
    SimOptions opt;
    opt.seed = a.seed;
    opt.speed = a.speed;
    const long games = a.games;
    const std::string& journalDir = a.journal;
    std::ostream& out = reportStream(a.save, io);

    SimBoard board(opt);
    headless::HeadlessApp app(&board);
    Core& c = app.core;
    std::unique_ptr<Journal> journal;
    if (!journalDir.empty()) {
        std::string error;
        journal = Journal::open(journalDir, error);
        if (!journal) return fileError(io.err, error);
        journal->begin(c.rec, currentOptions(c));
        c.ui.journal = journal.get();
    }
    g_stop = 0;
    auto oldInt = std::signal(SIGINT, onSignal);
    auto oldTerm = std::signal(SIGTERM, onSignal);

    out << "ＴＯＢＲＡＫ: recording the simulated machine (seed " << opt.seed << ", speed " << opt.speed
        << "); Ctrl-C stops\n";
    std::int32_t shown = c.rec.Dat_Len;
    auto next = std::chrono::steady_clock::now();
    while (!g_stop && (games == 0 || c.rec.games() < games) && !c.rec.full()) {
        app.run(kPollMs);
        if (c.rec.Dat_Len != shown) {
            shown = c.rec.Dat_Len;
            out << stateLine(c, app.ui) << "\n" << std::flush;
        }
        if (!a.fast) {
            next += std::chrono::milliseconds(kPollMs);
            std::this_thread::sleep_until(next);
        }
    }
    std::signal(SIGINT, oldInt);
    std::signal(SIGTERM, oldTerm);

    if (journal) journal->closeNormally();
    const auto pages = showPages(c);
    Json j = newReport();
    j["games"] = c.rec.games();
    j["counters"] = countersJson(c);
    j["pages"] = pagesJson(pages);
    out << j.dump(2) << "\n";
    if (!a.save.empty()) return saveRecord(c, a.save, io);
    return 0;
}

}  // namespace tobrak::cli
