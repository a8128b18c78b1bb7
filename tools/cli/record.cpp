// `record`: a session without a window. The same session, with its poll,
// handlers, rules and journal, runs against any board; one line is printed after
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

#include "app/filedisp.h"
#include "boards/board_table.h"
#include "broker/machine_id.h"
#include "cli_io.h"
#include "counts/machine_profile.h"
#include "gui.h"
#include "library/library_json.h"
#include "library/recorder.h"
#include "live.h"
#include "live/live_hub.h"
#include "record/journal.h"
#include "record_command.h"
#include "report.h"
#include "sessions.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <poll.h>
#include <termios.h>
#include <unistd.h>
#endif

namespace tobrak::cli {

namespace {

// The hand counters' keys on a terminal: each key as it is typed, not echoed;
// Ctrl-C stays a signal. Nothing when standard input is not a terminal.
class TerminalKeys {
public:
#ifndef _WIN32
    TerminalKeys() {
        if (!isatty(STDIN_FILENO) || tcgetattr(STDIN_FILENO, &saved_) != 0) return;
        termios raw = saved_;
        raw.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
        raw.c_cc[VMIN] = 0;
        raw.c_cc[VTIME] = 0;
        on_ = tcsetattr(STDIN_FILENO, TCSANOW, &raw) == 0;
    }
    ~TerminalKeys() {
        if (on_) tcsetattr(STDIN_FILENO, TCSANOW, &saved_);
    }
    // The keys typed since the last call; never waits.
    std::string take() {
        std::string keys;
        char buf[64];
        for (pollfd p{STDIN_FILENO, POLLIN, 0}; on_ && poll(&p, 1, 0) > 0 && (p.revents & POLLIN);) {
            const ssize_t n = read(STDIN_FILENO, buf, sizeof buf);
            if (n <= 0) break;
            keys.append(buf, static_cast<std::size_t>(n));
        }
        return keys;
    }
#else
    // The console's key presses, as they come: a console never echoes them this way.
    TerminalKeys() : in_(GetStdHandle(STD_INPUT_HANDLE)) {
        DWORD mode = 0;
        on_ = in_ != INVALID_HANDLE_VALUE && GetConsoleMode(in_, &mode) != 0;
    }
    std::string take() {
        std::string keys;
        DWORD waiting = 0;
        while (on_ && GetNumberOfConsoleInputEvents(in_, &waiting) && waiting > 0) {
            INPUT_RECORD r[16];
            DWORD n = 0;
            if (!ReadConsoleInputW(in_, r, 16, &n)) break;
            for (DWORD i = 0; i < n; ++i) {
                const wchar_t ch = r[i].Event.KeyEvent.uChar.UnicodeChar;
                if (r[i].EventType == KEY_EVENT && r[i].Event.KeyEvent.bKeyDown && ch > 0 && ch < 128)
                    keys += static_cast<char>(ch);
            }
        }
        return keys;
    }
#endif
    TerminalKeys(const TerminalKeys&) = delete;
    TerminalKeys& operator=(const TerminalKeys&) = delete;
    bool on() const { return on_; }

private:
    bool on_ = false;
#ifdef _WIN32
    HANDLE in_;
#else
    termios saved_{};
#endif
};

volatile std::sig_atomic_t g_stop = 0;
void onSignal(int) { g_stop = 1; }

std::string stateLine(const Session& c) {
    const Counters& n = c.cnt;
    std::string s = std::to_string(c.rec.games()) + "G  IN " + std::to_string(n.Tot_In) + "  OUT " +
                    std::to_string(n.Tot_Out) + "  差枚 " + std::to_string(n.Tot_Out - n.Tot_In) + "  BB " +
                    std::to_string(n.BB_Cnt) + "  RB " + std::to_string(n.RB_Cnt) + "  ボーナス間隔 " +
                    std::to_string(n.Bonus_Intv) + "G";
    if (c.DaiBB_On) s += "  [ＢＢ中 " + std::to_string(n.BB_Gain) + "枚]";
    if (c.DaiRB_On) s += "  [ＲＢ中 " + std::to_string(n.RB_Gain) + "枚]";
    return s + "  |" + (c.Usb_On ? kBoardOk : kBoardNg) + " |" + c.monitor;
}

// The board chosen by --board, and the application object its serial port wants.
struct Device {
    std::unique_ptr<QCoreApplication> app;  // outlives the port
    OpenedBoard opened;
};

std::string openDevice(const std::string& kind, const SimOptions& sim, Device& d) {
    const BoardRow* row = findBoard(kind);
    if (row && row->needsQtApp) d.app = coreApp();
    return openBoard(kind, sim, d.opened);
}

}  // namespace

int profileFor(const std::string& path, MachineProfile& profile, Io& io) {
    profile = exampleProfile();
    std::string error;
    if (path.empty() || loadProfileFile(path, profile, error)) return 0;
    io.err << kProfileErrorTitle << "\n"
           << error << "\n"
           << "bad machine profile " << path << "\n";
    return 1;
}

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

    // The profile names the hand counters (the example's without --profile).
    MachineProfile profile;
    if (const int st = profileFor(a.profile, profile, io)) return st;

    // One recorder to a journal: a second copy neither records beside the first
    // nor touches the board, which the first one may be recording from.
    std::unique_ptr<Journal> journal;
    if (!journalDir.empty()) {
        journal = Journal::open(journalDir);
        if (journal->heldElsewhere()) {
            err << journalHeldLine(*journal) << "\n" << journal->problem() << "; not recording\n";
            return 1;
        }
    }
    // Drawing the live view's graph needs a GUI application; the serial ports take it too.
    const auto gui = a.sim.live.listen.empty() ? nullptr : guiApp();
    Device dev;
    if (const std::string why = openDevice(kind, opt, dev); !why.empty()) {
        err << "tobrak-cli: record: " << why << "\n";
        return 2;
    }
    Session c;
    c.setBoard(dev.opened.source.get(), dev.opened.what);
    c.machine.name = a.machine;
    c.machine.hall = a.hall;
    c.machine.number = a.number;
    if (!a.profile.empty()) c.machine.profile = profile.name;
    c.nameCounters(profile.counters);
    bool everUnprotected = false;
    auto lastWatch = std::chrono::steady_clock::now();
    // A failed journal is tried again every few seconds; each change is told once.
    auto watch = [&] {
        lastWatch = std::chrono::steady_clock::now();
        if (!journal) return;
        switch (c.watchJournal()) {
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
    if (journal) {
        if (!journal->setAside().empty())
            err << "tobrak-cli: the journal left in " << journalDir << " could not be read whole; it was kept as "
                << journal->setAside() << "\n";
        c.setJournal(journal.get());
        c.beginJournal();  // a left journal is kept, never replaced
        if (!journal->keptAs().empty())
            err << "tobrak-cli: the journal left in " << journalDir << " was kept as " << journal->keptAs() << "\n";
        // Saved over the journal or its lock, the record would go when the journal does.
        if (const int st = refuseSameFile(savePath, {journal->path(), journal->lockPath()}, io)) {
            journal->closeNormally();
            return st;
        }
        watch();
    }
    // The library keeps the session from its first game; without one (locked,
    // read-only, a folder that cannot be made) the journal alone keeps it.
    std::unique_ptr<LibraryRecorder> kept;
    if (!a.noLibrary) {
        std::unique_ptr<Library> lib = openForCli(a.db, /*writes=*/true, io);
        if (lib && !lib->readOnly()) kept = std::make_unique<LibraryRecorder>(c, std::move(lib));
    }
    // Signals are taken before the live view prints its address: whoever reads
    // it may stop the recording at once.
    g_stop = 0;
    StopSignals stopSignals(onSignal);
    LiveView live;
    if (!a.sim.live.listen.empty()) {
        if (const std::string why = live.start(c, a.sim.live, err); !why.empty()) {
            err << "tobrak-cli: record: " << why << "\n";
            return 2;
        }
    }

    MqttLink broker;
    if (const std::string why =
            broker.start(c, a.mqtt, machineBrokerName(a.machine, a.hall, a.number), journalDir, live.hub());
        !why.empty()) {
        err << "tobrak-cli: record: " << why << "\n";
        return 2;
    }

    // Today's sessions for the live view's /api/sessions, made on the library's writer thread.
    live::LiveHub* const hub = live.hub();
    RecorderWatch today(hub ? kept.get() : nullptr,
                        [hub](Library& l) { hub->setSessions(todaySessionsJson(l, wallNow())); });

    out << "ＴＯＢＲＡＫ: recording " << dev.opened.what << "; Ctrl-C stops\n";
    std::int32_t shown = c.rec.Dat_Len;
    // The simulated machine is always there; for a real board the first poll's
    // status is shown too, so that a set-up can be checked.
    auto boardStatus = [&] { return std::string(c.Usb_On ? kBoardOk : kBoardNg); };
    std::string note, status = kind == "sim" ? boardStatus() : "";
    TerminalKeys keys;
    if (keys.on() && !c.manual.empty()) {
        out << "keys:";
        for (std::size_t i = 0; i < c.manual.size(); ++i) out << " " << i + 1 << " " << c.manual[i].name;
        out << "; - then the key takes one back\n" << std::flush;
    }
    bool back = false;  // '-' was typed: the next counter key takes one back
    auto next = std::chrono::steady_clock::now();
    while (!g_stop && (games == 0 || c.rec.games() < games) && !c.rec.full()) {
        c.poll();
        for (const char ch : keys.take()) {
            if (ch == '-') {
                back = true;
                continue;
            }
            const int i = ch - '1';
            if (i >= 0 && i < static_cast<int>(c.manual.size()) && c.count(i, back ? -1 : 1)) {
                const ManualCount& k = c.manual[static_cast<std::size_t>(i)];
                out << "count " << k.name << " " << k.count << "\n" << std::flush;
            }
            back = false;
        }
        live.tick();
        if (std::chrono::steady_clock::now() - lastWatch > std::chrono::seconds(3)) watch();
        if (c.rec.Dat_Len != shown) {
            shown = c.rec.Dat_Len;
            out << stateLine(c) << "\n" << std::flush;
        }
        if (kind != "sim" && boardStatus() != status) {
            // The board came or went: say so, with the reason when there is one.
            status = boardStatus();
            const std::string why = c.Usb_On ? std::string() : dev.opened.source->problem();
            err << "board:" << status << (why.empty() ? "" : " (" + why + ")") << "\n" << std::flush;
        }
        if (kept) tell(kept->takeNotice(), io);
        broker.tell(err);
        if (dev.opened.source->note() != note) {
            note = dev.opened.source->note();
            err << note << "\n" << std::flush;
        }
        if (!fast) {
            next += std::chrono::milliseconds(kPollMs);
            std::this_thread::sleep_until(next);
        }
    }
    stopSignals.release();
    broker.finish(err);
    if (kept) {
        kept->flush();
        tell(kept->takeNotice(), io);
        if (const std::int64_t id = kept->currentId())
            err << "tobrak-cli: the session is kept in the library " << kept->path() << " as session " << id << "\n";
        today.release();
        kept.reset();
    }

    const auto pages = sessionPages(c.cnt);
    Json j = newReport();
    j["games"] = c.rec.games();
    j["counters"] = countersJson(c);
    j["counts"] = handCountsJson(c.manual);
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
