// `record`: the window program's acquisition without the window. The same poll,
// handlers, rules and journal run against any board; one line is printed after
// every game, the totals at the end. `simulate` is `record --board sim`.
#include <QCoreApplication>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <functional>
#include <memory>
#include <ostream>
#include <sstream>
#include <string>
#include <thread>

#include "acquisition/rs232.h"
#include "commands.h"
#include "gui.h"
#include "live.h"
#include "platform/edge_board.h"
#include "app/headless/headless_app.h"
#include "platform/hid/hidapi_link.h"
#include "platform/qt/serial_board.h"
#include "platform/qt/serial_lines.h"
#include "platform/sim_board.h"
#include "app/file_commands.h"
#include "record/journal.h"
#include "report.h"

namespace tobrak::cli {

namespace {

volatile std::sig_atomic_t g_stop = 0;
void onSignal(int) { g_stop = 1; }

std::string stateLine(const Program& c) {
    const Counters& n = c.cnt;
    std::string s = std::to_string(c.rec.games()) + "G  IN " + std::to_string(n.Tot_In) + "  OUT " +
                    std::to_string(n.Tot_Out) + "  差枚 " + std::to_string(n.Tot_Out - n.Tot_In) + "  BB " +
                    std::to_string(n.BB_Cnt) + "  RB " + std::to_string(n.RB_Cnt) + "  ボーナス間隔 " +
                    std::to_string(n.Bonus_Intv) + "G";
    if (c.acq.DaiBB_On) s += "  [ＢＢ中 " + std::to_string(n.BB_Gain) + "枚]";
    if (c.acq.DaiRB_On) s += "  [ＲＢ中 " + std::to_string(n.RB_Gain) + "枚]";
    return s + "  |" + (c.acq.Usb_On ? kBoardOk : kBoardNg) + " |" + c.acq.monitor;
}

// The board chosen by --board, with what it needs kept alive beside it.
struct Device {
    std::unique_ptr<QCoreApplication> app;  // the serial ports want one
    std::unique_ptr<LineSource> link;
    std::unique_ptr<HidLink> hid;
    std::unique_ptr<Board> board;
    const EdgeDecoder* decoder = nullptr;
    std::function<std::string()> error = [] { return std::string(); };
    std::string what;
};

void needCoreApp(Device& d) {
    if (QCoreApplication::instance()) return;
    static int argc = 1;
    static char name[] = "tobrak-cli";
    static char* argv[] = {name, nullptr};
    d.app = std::make_unique<QCoreApplication>(argc, argv);
}

// Empty on success, otherwise what is wrong with the option.
std::string openDevice(const std::string& kind, const SimOptions& sim, Device& d) {
    std::string path, serial;
    std::int32_t baud = 0;
    if (kind == "none") {
        d.what = "no board";
    } else if (kind == "sim") {
        d.board = std::make_unique<SimBoard>(sim);
        std::ostringstream s;
        s << "the simulated machine (seed " << sim.seed << ", speed " << sim.speed << ")";
        d.what = s.str();
    } else if (parsePortOption("serial", kind, path, baud)) {
        needCoreApp(d);
        auto serialBoard = std::make_unique<qt::SerialBoard>(QString::fromStdString(path), baud);
        d.error = [b = serialBoard.get()] { return b->lastError().toStdString(); };
        d.board = std::move(serialBoard);
        d.what = "the serial bridge " + path;
    } else if (parsePortOption("edges", kind, path, baud)) {
        needCoreApp(d);
        d.link = std::make_unique<qt::SerialLines>(QString::fromStdString(path), baud);
        auto edges = std::make_unique<EdgeBoard>(*d.link);
        d.decoder = &edges->decoder();
        d.error = [b = edges.get()] { return b->lastError(); };
        d.board = std::move(edges);
        d.what = "the edge board " + path;
    } else if (parseUsbIoOption(kind, serial)) {
        d.hid = std::make_unique<HidapiLink>();
        auto usb = std::make_unique<UsbIoBoard>(*d.hid, serial);
        d.error = [b = usb.get()] { return b->lastError(); };
        d.board = std::move(usb);
        d.what = serial.empty() ? std::string("the USB-IO board") : "the USB-IO board " + serial;
    } else {
        return "unknown board '" + kind + "' (none, sim, serial:PATH[,BAUD], edges:PATH[,BAUD] or usbio[:SERIAL])";
    }
    return {};
}

}  // namespace

int record(const RecordArgs& a, Io& io) {
    SimOptions opt;
    opt.seed = a.sim.seed;
    opt.speed = a.sim.speed;
    const std::string& kind = a.board;
    const long games = a.sim.games;
    const bool fast = a.sim.fast;
    const std::string &savePath = a.sim.save, &journalDir = a.sim.journal;
    std::ostream& out = reportStream(savePath, io);
    std::ostream& err = io.err;

    // Drawing the live view's graph needs a GUI application; the serial ports take it too.
    const auto gui = a.sim.live.listen.empty() ? nullptr : guiApp();
    Device dev;
    if (const std::string why = openDevice(kind, opt, dev); !why.empty()) {
        err << "tobrak-cli: record: " << why << "\n";
        return 2;
    }
    headless::HeadlessApp app(dev.board.get());
    Program& c = app.program;
    std::unique_ptr<Journal> journal;
    bool everUnprotected = false;
    auto lastWatch = std::chrono::steady_clock::now();
    // A failed journal is tried again every few seconds; each change is told once.
    auto watch = [&] {
        lastWatch = std::chrono::steady_clock::now();
        if (!journal) return;
        switch (journal->watch(c.rec, c.options())) {
            case Journal::Protection::Unchanged: break;
            case Journal::Protection::Lost:
                everUnprotected = true;
                err << "tobrak-cli: the record is not protected: " << journal->problem() << "\n";
                break;
            case Journal::Protection::Back:
                err << "tobrak-cli: the journal " << journal->path() << " protects the record again\n";
                break;
        }
    };
    if (!journalDir.empty()) {
        journal = Journal::open(journalDir);
        if (!journal->setAside().empty())
            err << "tobrak-cli: the journal left in " << journalDir << " could not be read whole; it was kept as "
                << journal->setAside() << "\n";
        journal->begin(c.rec, c.options());  // a left journal is kept, never replaced
        if (!journal->keptAs().empty())
            err << "tobrak-cli: the journal left in " << journalDir << " was kept as " << journal->keptAs() << "\n";
        c.ui.journal = journal.get();
        watch();
    }
    LiveView live;
    if (!a.sim.live.listen.empty()) {
        if (const std::string why = live.start(c, a.sim.live, err); !why.empty()) {
            err << "tobrak-cli: record: " << why << "\n";
            return 2;
        }
    }
    g_stop = 0;
    auto oldInt = std::signal(SIGINT, onSignal);
    auto oldTerm = std::signal(SIGTERM, onSignal);

    out << "ＴＯＢＲＡＫ: recording " << dev.what << "; Ctrl-C stops\n";
    std::int32_t shown = c.rec.Dat_Len;
    // The simulated machine is always there; for a real board the first poll's
    // status is shown too, so that a set-up can be checked.
    auto boardStatus = [&] { return std::string(c.acq.Usb_On ? kBoardOk : kBoardNg); };
    std::string note, status = kind == "sim" ? boardStatus() : "";
    auto next = std::chrono::steady_clock::now();
    while (!g_stop && (games == 0 || c.rec.games() < games) && !c.rec.full()) {
        app.run(kPollMs);
        live.tick();
        if (std::chrono::steady_clock::now() - lastWatch > std::chrono::seconds(3)) watch();
        if (c.rec.Dat_Len != shown) {
            shown = c.rec.Dat_Len;
            out << stateLine(c) << "\n" << std::flush;
        }
        if (kind != "sim" && boardStatus() != status) {
            // The board came or went: say so, with the reason when there is one.
            status = boardStatus();
            const std::string why = c.acq.Usb_On ? std::string() : dev.error();
            err << "board:" << status << (why.empty() ? "" : " (" + why + ")") << "\n" << std::flush;
        }
        if (dev.decoder && dev.decoder->note() != note) {
            note = dev.decoder->note();
            err << note << "\n" << std::flush;
        }
        if (!fast) {
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
    if (!savePath.empty()) {
        if (const int st = saveRecord(c, savePath, io)) {
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
