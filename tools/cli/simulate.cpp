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
    std::ostream& err = io.err;

    SimBoard board(opt);
    headless::HeadlessApp app(&board);
    Core& c = app.core;
    std::unique_ptr<Journal> journal;
    bool unprotected = false, everUnprotected = false;
    auto lastWatch = std::chrono::steady_clock::now();
    // A failed journal is tried again every few seconds; each change is told once.
    auto watch = [&] {
        lastWatch = std::chrono::steady_clock::now();
        if (!journal) return;
        if (!journal->healthy()) journal->begin(c.rec, currentOptions(c));
        if (journal->healthy() != unprotected) return;
        unprotected = !unprotected;
        everUnprotected = everUnprotected || unprotected;
        if (unprotected)
            err << "tobrak-cli: the record is not protected: " << journal->problem() << "\n";
        else
            err << "tobrak-cli: the journal " << journal->path() << " protects the record again\n";
    };
    if (!journalDir.empty()) {
        journal = Journal::open(journalDir);
        if (!journal->setAside().empty())
            err << "tobrak-cli: the journal left in " << journalDir << " could not be read whole; it was kept as "
                << journal->setAside() << "\n";
        journal->begin(c.rec, currentOptions(c));  // a left journal is kept, never replaced
        if (!journal->keptAs().empty())
            err << "tobrak-cli: the journal left in " << journalDir << " was kept as " << journal->keptAs() << "\n";
        c.ui.journal = journal.get();
        watch();
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
        if (std::chrono::steady_clock::now() - lastWatch > std::chrono::seconds(3)) watch();
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

    const auto pages = showPages(c);
    Json j = newReport();
    j["games"] = c.rec.games();
    j["counters"] = countersJson(c);
    j["pages"] = pagesJson(pages);
    out << j.dump(2) << "\n";
    // The journal goes only once the record is safe elsewhere.
    if (!a.save.empty()) {
        if (const int st = saveRecord(c, a.save, io)) {
            if (journal && journal->healthy()) err << "the record stays in the journal " << journal->path() << "\n";
            return st;
        }
    }
    if (journal) {
        watch();
        journal->closeNormally();
    }
    if (everUnprotected) {
        err << "tobrak-cli: the journal failed during the run: the record was not always protected\n";
        return 1;
    }
    return 0;
}

}  // namespace tobrak::cli
