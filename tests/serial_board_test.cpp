// The serial bridge board against a device played on a pseudo-terminal.
#include <gtest/gtest.h>

#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <QLabel>
#include <QTest>
#include <atomic>
#include <deque>
#include <filesystem>
#include <mutex>
#include <regex>
#include <thread>

#include "app/headless/headless_app.h"
#include "app/qt/connect_menu.h"
#include "app/qt/tobrak_app.h"
#include "boards/qt/serial_board.h"
#include "boards/qt/serial_lines.h"
#include "platform/headless/memory_ui.h"
#include "platform/qt/qt_controls.h"
#include "source_probe.h"

namespace tobrak::qt {
namespace {

namespace fs = std::filesystem;

// A raw pseudo-terminal: its master, and its slave's path.
int rawPty(char (&name)[256]) {
    int master = -1, slave = -1;
    if (openpty(&master, &slave, name, nullptr, nullptr) != 0) throw std::runtime_error("openpty");
    termios t{};
    tcgetattr(slave, &t);
    cfmakeraw(&t);
    tcsetattr(slave, TCSANOW, &t);
    ::close(slave);  // opened again by its path
    return master;
}

// A pseudo-terminal the test speaks on as the device.
struct Pty {
    char name[256] = {};
    int master = rawPty(name);
    ~Pty() { ::close(master); }
    void say(const std::string& s, int settleMs = 50) {
        ASSERT_EQ(::write(master, s.data(), s.size()), static_cast<ssize_t>(s.size()));
        std::this_thread::sleep_for(std::chrono::milliseconds(settleMs));
    }
};

// The bridge's side of a pseudo-terminal, reachable by a stable link path so
// that it can "come back" on a new terminal after a hang-up. It holds queued
// codes until they are acknowledged, as the reference bridge does, and speaks
// protocol 2 unless told to be a protocol-1 bridge.
class FakeBridge {
public:
    enum class Mode { Answer, Silent, Garbage, BadCheck };

    explicit FakeBridge(fs::path link) : link_(std::move(link)) { plugIn(); }
    ~FakeBridge() { unplug(); }

    void plugIn() {
        char name[256] = {};
        master_ = rawPty(name);
        fs::remove(link_);
        fs::create_symlink(name, link_);
        stop_ = false;
        thread_ = std::thread([this] { serve(); });
    }

    // The device goes away: the terminal hangs up.
    void unplug() {
        if (master_ < 0) return;
        stop_ = true;
        thread_.join();
        ::close(master_);
        master_ = -1;
    }

    // Power lost: the waiting codes are gone and the numbering starts again.
    void restart() {
        std::lock_guard<std::mutex> g(m_);
        codes_.clear();
        presenting_ = ackLost_ = false;
        nextSeq_ = 1;
        lastWrite_ = 255;
    }

    // Nothing waiting and nothing presented: every code was acknowledged.
    bool idle() {
        std::lock_guard<std::mutex> g(m_);
        return codes_.empty() && !presenting_;
    }

    void queue(std::initializer_list<std::uint8_t> codes) {
        std::lock_guard<std::mutex> g(m_);
        codes_.insert(codes_.end(), codes);
    }

    std::atomic<std::uint8_t> value{0x7F};  // the port byte while no code is presented
    std::atomic<Mode> mode{Mode::Answer};
    std::atomic<bool> speaks2{true};
    std::atomic<int> garbleAck{0};  // this acknowledge from now (1: the next) arrives with a bad check byte
    std::atomic<int> repeats{0};    // reads that presented a code again after its acknowledge was damaged
    std::vector<std::uint8_t> writes() {
        std::lock_guard<std::mutex> g(m_);
        return writes_;
    }
    // Every byte taken as the start of a message, in order.
    std::string requests() {
        std::lock_guard<std::mutex> g(m_);
        return requests_;
    }

private:
    void serve() {
        std::vector<std::uint8_t> pending;
        while (!stop_) {
            pollfd p{master_, POLLIN, 0};
            if (poll(&p, 1, 5) <= 0 || !(p.revents & POLLIN)) continue;
            std::uint8_t buf[64];
            const ssize_t n = ::read(master_, buf, sizeof buf);
            if (n <= 0) continue;
            pending.insert(pending.end(), buf, buf + n);
            while (!pending.empty()) {
                const std::uint8_t lead = pending[0];
                const bool v2 = speaks2;
                const std::size_t len = lead == 'W' || (v2 && lead == 'K') ? 3 : 1;
                if (pending.size() < len) break;
                if (len == 3 && (lead == 'K' || pending[1] == 255) && garbleAck > 0 && --garbleAck == 0)
                    pending[2] ^= 1;
                take(lead, v2, pending);
                pending.erase(pending.begin(), pending.begin() + len);
            }
        }
    }
    void take(std::uint8_t lead, bool v2, const std::vector<std::uint8_t>& m) {
        std::lock_guard<std::mutex> g(m_);
        requests_ += static_cast<char>(lead);
        if (lead == 'R') {
            const std::uint8_t v = portByte();
            answer({'A', v, static_cast<std::uint8_t>(v ^ 0xFF)});
        } else if (v2 && lead == 'V') {
            const std::uint8_t n = presenting_ ? seq_ : 0;
            answer({'P', 2, n, static_cast<std::uint8_t>(2 ^ n ^ 0xFF)});
        } else if (v2 && lead == 'S') {
            const std::uint8_t v = portByte();
            const std::uint8_t n = presenting_ ? seq_ : 0;
            answer({'N', v, n, static_cast<std::uint8_t>(v ^ n ^ 0xFF)});
        } else if (lead == 'W') {
            if ((m[1] ^ 0xFF) != m[2]) {
                ackLost_ = presenting_ && m[1] == 255;
                return;
            }
            writes_.push_back(m[1]);
            if (m[1] == 255 && lastWrite_ == 127) presenting_ = false;
            lastWrite_ = m[1];
        } else if (v2 && lead == 'K') {
            if ((m[1] ^ 0xFF) != m[2])
                ackLost_ = presenting_;
            else if (m[1] == seq_)
                presenting_ = false;
        }  // anything else starts no message
    }
    std::uint8_t portByte() {
        if (presenting_) {
            if (ackLost_) ++repeats;
            ackLost_ = false;
        } else if (!codes_.empty()) {
            current_ = codes_.front();
            codes_.pop_front();
            seq_ = nextSeq_;
            nextSeq_ = nextSeq_ == 255 ? 1 : nextSeq_ + 1;
            presenting_ = true;
        }
        return presenting_ ? static_cast<std::uint8_t>((current_ & 31) | 0x20) : value.load();
    }
    void answer(std::vector<std::uint8_t> a) {
        switch (mode.load()) {
            case Mode::Silent: return;
            case Mode::Garbage: a[0] = 'x'; break;
            case Mode::BadCheck: a.back() ^= 1; break;
            case Mode::Answer: break;
        }
        (void)!::write(master_, a.data(), a.size());
    }

    fs::path link_;
    int master_ = -1;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::mutex m_;
    std::vector<std::uint8_t> writes_;
    std::string requests_;
    std::deque<std::uint8_t> codes_;
    bool presenting_ = false, ackLost_ = false;
    std::uint8_t current_ = 0, seq_ = 0, nextSeq_ = 1, lastWrite_ = 255;
};

class SerialBoardTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("tobrak_serial_" + std::to_string(::getpid()));
        fs::create_directories(dir);
        bridge = std::make_unique<FakeBridge>(dir / "ttyBRIDGE");
        board = std::make_unique<SerialBoard>((dir / "ttyBRIDGE").string(), 115200);
    }
    void TearDown() override {
        board.reset();
        bridge.reset();
        fs::remove_all(dir);
    }
    fs::path dir;
    std::unique_ptr<FakeBridge> bridge;
    std::unique_ptr<SerialBoard> board;
};

using test::pollOnce;

TEST_F(SerialBoardTest, AProtocolOneBridgeCarriesTheHandshake) {
    bridge->speaks2 = false;
    bridge->value = 0x47;  // bit 6 high: nothing new
    test::Polled p = pollOnce(*board);
    for (int i = 0; i < 5 && !p.reachable; ++i) p = pollOnce(*board);  // asked until it answers
    ASSERT_TRUE(p.reachable) << board->problem();
    bridge->queue({0x0B});
    p = pollOnce(*board);
    EXPECT_EQ(p.codes, std::vector<std::uint8_t>{0x0B});
    EXPECT_TRUE(pollOnce(*board).codes.empty());
    const std::vector<std::uint8_t> expected{127, 127, 255, 127};
    for (int i = 0; i < 50 && bridge->writes().size() < expected.size(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    const auto w = bridge->writes();
    ASSERT_GE(w.size(), expected.size());
    EXPECT_EQ(std::vector<std::uint8_t>(w.end() - 4, w.end()), expected) << "127 before each read, 255 after a code";
}

TEST_F(SerialBoardTest, SilenceAndGarbageAreABoardOutOfReach) {
    for (const bool v2 : {false, true}) {
        SCOPED_TRACE(v2 ? "protocol 2" : "protocol 1");
        bridge->speaks2 = v2;
        bridge->mode = FakeBridge::Mode::Answer;
        board = std::make_unique<SerialBoard>((dir / "ttyBRIDGE").string(), 115200);
        bool reachable = false;
        for (int i = 0; i < 5 && !reachable; ++i) reachable = pollOnce(*board).reachable;
        ASSERT_TRUE(reachable);
        bridge->mode = FakeBridge::Mode::Silent;
        const auto t0 = std::chrono::steady_clock::now();
        EXPECT_FALSE(pollOnce(*board).reachable);
        EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::milliseconds(70));  // well within a poll
        for (const auto mode : {FakeBridge::Mode::Garbage, FakeBridge::Mode::BadCheck}) {
            bridge->mode = mode;
            EXPECT_FALSE(pollOnce(*board).reachable);
        }
        // Back to normal: a stale answer is not taken for the next read.
        bridge->mode = FakeBridge::Mode::Answer;
        bridge->queue({3});
        const test::Polled p = pollOnce(*board);
        EXPECT_TRUE(p.reachable);
        EXPECT_EQ(p.codes, std::vector<std::uint8_t>{3});
        EXPECT_TRUE(board->isOpen());
    }
}

void poll(headless::HeadlessApp& app, int times) {
    for (int i = 0; i < times; ++i) app.program.Timer2_Timer();
}
// Polls until `done` (a loaded machine may miss a read window now and then).
template <class Done>
void pollUntil(headless::HeadlessApp& app, Done done) {
    for (int i = 0; i < 50 && !done(); ++i) {
        poll(app, 1);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}
int newestPaid(const PlayRecord& rec) { return medalsOut(rec.Dat_Buf[rec.Dat_Len - 1]); }
// Whether the status label says the board is back; the port is tried again about once a second.
bool waitBack(headless::HeadlessApp& app) {
    for (int i = 0; i < 40 && app.ui.Label1.caption() != " 　ゲームＯＫ"; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(80));
        poll(app, 1);
    }
    return app.ui.Label1.caption() == " 　ゲームＯＫ";
}

// The acknowledge of a payout is damaged on its way: the bridge presents that
// code again, and the program must not pay it twice.
TEST_F(SerialBoardTest, CodeRepeatedAfterAGarbledAcknowledgeIsCountedOnce) {
    headless::HeadlessApp app(board.get());
    bridge->queue({3, 16, 16, 16});
    bridge->garbleAck = 2;  // the first payout's
    pollUntil(app, [&] { return bridge->idle(); });
    poll(app, 2);
    EXPECT_EQ(bridge->repeats, 1) << "the bridge presented the payout again";
    EXPECT_EQ(app.program.rec.games(), 1);
    EXPECT_EQ(newestPaid(app.program.rec), 3);
    EXPECT_EQ(app.ui.Label1.caption(), " 　ゲームＯＫ");
}

// A bridge that ignores the version request is spoken to in protocol 1.
TEST_F(SerialBoardTest, ProtocolOneBridgeIsSpokenToAsOne) {
    bridge->speaks2 = false;
    headless::HeadlessApp app(board.get());
    bridge->queue({3, 16, 16});
    pollUntil(app, [&] { return bridge->idle(); });
    poll(app, 2);
    EXPECT_EQ(app.program.rec.games(), 1);
    EXPECT_EQ(newestPaid(app.program.rec), 2);
    // Asked until answered, then plain reads and the acknowledge by port value.
    EXPECT_TRUE(std::regex_match(bridge->requests(), std::regex("(WVRS)+W(WRW?)+"))) << bridge->requests();
}

// The path is opened again after a hang-up: the device behind it may be another
// bridge, or the same one after a restart, or the same one that kept running.
TEST_F(SerialBoardTest, ReopenedPortIsNegotiatedAgain) {
    enum class Back { ProtocolOne, Restarted, KeptRunning };  // what is behind the path again
    struct Case {
        Back back;
        std::initializer_list<std::uint8_t> before, after;
        int paid;
    };
    const Case cases[] = {
        {Back::ProtocolOne, {3}, {16, 16}, 2},
        // Numbered from the start again: its first payout carries the number
        // of the game the program took last.
        {Back::Restarted, {3}, {16, 16}, 2},
        // The payout was taken, its acknowledge lost with the line.
        {Back::KeptRunning, {3, 16}, {}, 1},
    };
    for (const Case& t : cases) {
        SCOPED_TRACE(static_cast<int>(t.back));
        bridge = std::make_unique<FakeBridge>(dir / "ttyBRIDGE");
        board = std::make_unique<SerialBoard>((dir / "ttyBRIDGE").string(), 115200);
        headless::HeadlessApp app(board.get());
        bridge->queue(t.before);
        if (t.back == Back::KeptRunning) bridge->garbleAck = 2;
        const int paid = static_cast<int>(t.before.size()) - 1;
        pollUntil(app, [&] { return app.program.rec.games() == 1 && newestPaid(app.program.rec) == paid; });
        bridge->unplug();
        poll(app, 1);
        EXPECT_EQ(app.ui.Label1.caption(), " 　ゲーム不可");
        if (t.back != Back::KeptRunning) bridge->restart();
        if (t.back == Back::ProtocolOne) bridge->speaks2 = false;
        bridge->queue(t.after);
        bridge->plugIn();
        EXPECT_TRUE(waitBack(app));
        pollUntil(app, [&] { return bridge->idle(); });
        poll(app, 2);
        EXPECT_EQ(app.program.rec.games(), 1);
        EXPECT_EQ(newestPaid(app.program.rec), t.paid);
    }
}

// The whole program: the status label follows the bridge going away and coming
// back, without a restart.
TEST_F(SerialBoardTest, HangUpAndReturnDriveTheStatusLabel) {
    headless::HeadlessApp app(board.get());
    Program& c = app.program;
    bridge->queue({3});  // a game with 3 medals bet, held until acknowledged
    pollUntil(app, [&] { return c.rec.games() == 1; });
    EXPECT_EQ(app.ui.Label1.caption(), " 　ゲームＯＫ");
    EXPECT_EQ(c.rec.games(), 1);
    bridge->unplug();
    c.Timer2_Timer();
    EXPECT_EQ(app.ui.Label1.caption(), " 　ゲーム不可");
    EXPECT_FALSE(board->isOpen());
    c.Timer2_Timer();  // still gone
    EXPECT_EQ(app.ui.Label1.caption(), " 　ゲーム不可");

    bridge->plugIn();
    EXPECT_TRUE(waitBack(app));
    bridge->queue({2});
    pollUntil(app, [&] { return c.rec.games() == 2; });
    EXPECT_EQ(c.rec.games(), 2);
}

// An edge board on a pseudo-terminal, read without an event loop as the
// command-line tool does: the request goes out, lines come in whole.
TEST(SerialLines, EdgeBoardOverAPseudoTerminal) {
    Pty pty;
    SerialLines link(pty.name);
    EdgeBoard board(link);
    EXPECT_FALSE(pollOnce(board).reachable) << "not before it has said something";
    char req[8] = {};
    pollfd p{pty.master, POLLIN, 0};
    ASSERT_EQ(poll(&p, 1, 1000), 1);
    ASSERT_EQ(::read(pty.master, req, sizeof req), 2);
    EXPECT_STREQ(req, "?\n");
    pty.say("H 1 0 00000 Q\r\nI1 100\nI0 150\nO1 1000\nO0 10");  // the last line still coming
    const test::Polled first = pollOnce(board);
    ASSERT_TRUE(first.reachable) << board.problem();
    // The game of one medal, closed by the OUT edge; the payout settles only once its fall is known.
    EXPECT_EQ(first.codes, std::vector<std::uint8_t>{1});
    pty.say("50\n");
    EXPECT_EQ(pollOnce(board).codes, std::vector<std::uint8_t>{code::Payout});
    EXPECT_EQ(board.note(), "");
}

// Lines over 256 characters are dropped whole, whether they arrive at once or
// in pieces, even when their tail looks like an edge; the next line is read intact.
TEST(SerialLines, AnOverlongLineIsDroppedWhole) {
    Pty pty;
    SerialLines link(pty.name);
    EdgeBoard board(link);
    EXPECT_FALSE(pollOnce(board).reachable);  // opens the port
    std::vector<int> codes;
    const auto poll = [&] {
        const test::Polled p = pollOnce(board);
        ASSERT_TRUE(p.reachable) << board.problem();
        codes.insert(codes.end(), p.codes.begin(), p.codes.end());
    };
    pty.say("H 1 0 00000 Q\n");
    // 280 characters first, the rest of the line (an OUT rise) later.
    pty.say(std::string(280, 'x'));
    poll();
    pty.say("O1 00000000000000200\nO0 250\n");
    // At once: the tail after the 257th character is a whole OUT rise.
    pty.say(std::string(257, 'y') + "O1 00000000000000000000000000000000000000300\nO0 350\nI1 400\nI0 450\n");
    for (int i = 0; i < 15; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(60));
        poll();
    }
    EXPECT_EQ(codes, std::vector<int>{1}) << "one game of one medal, no payout";
    EXPECT_EQ(board.decoder().badLines(), 2) << board.note();
}

// In the window, what the edge board's decoder notices (here its clock jumping
// days ahead) is said on the status label's tip, and the games go on.
TEST(SerialLines, TheWindowTellsAnEdgeBoardsClockJump) {
    Pty pty;
    headless::ScriptedDialogs dialogs;
    TobrakApp app(nullptr, &dialogs);
    app.start();
    ConnectMenu menu(app, SimOptions{}, nullptr);
    ASSERT_TRUE(menu.connectTo(std::string("edges:") + pty.name, false));
    pty.say("H 1 1000 00000 Q\nI1 1100\nI0 1150\n", 0);
    QTest::qWait(800);
    EXPECT_EQ(menu.note(), "");
    pty.say("I1 300000000\nI0 300000050\n", 0);  // three days ahead of the computer's clock
    QTest::qWait(1600);
    EXPECT_NE(menu.note().find("clock jumped"), std::string::npos) << menu.note();
    auto* status = dynamic_cast<QtLabel*>(app.program.ui.main.Label1);
    ASSERT_NE(status, nullptr);
    EXPECT_EQ(status->widget()->toolTip().toStdString(), menu.note());
    EXPECT_EQ(app.program.rec.games(), 2);
}

}  // namespace
}  // namespace tobrak::qt
