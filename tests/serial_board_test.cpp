// The serial bridge board against a device played on a pseudo-terminal.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QLabel>
#include <QTest>
#include <atomic>
#include <filesystem>
#include <mutex>
#include <thread>

#include "acquisition/rs232.h"
#include "app/headless/headless_app.h"
#include "app/qt/connect_menu.h"
#include "app/qt/tobrak_app.h"
#include "platform/headless/memory_ui.h"
#include "platform/qt/qt_controls.h"
#include "platform/qt/serial_board.h"
#include "platform/qt/serial_lines.h"

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

// The bridge's side of a pseudo-terminal, reachable by a stable link path so
// that it can "come back" on a new terminal after a hang-up.
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

    std::atomic<std::uint8_t> value{0x7F};
    std::atomic<Mode> mode{Mode::Answer};
    std::atomic<int> reads{0};
    std::vector<std::uint8_t> writes() {
        std::lock_guard<std::mutex> g(m_);
        return writes_;
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
                if (pending[0] == 'R') {
                    pending.erase(pending.begin());
                    ++reads;
                    answer();
                } else if (pending[0] == 'W') {
                    if (pending.size() < 3) break;
                    if ((pending[1] ^ 0xFF) == pending[2]) {
                        std::lock_guard<std::mutex> g(m_);
                        writes_.push_back(pending[1]);
                    }
                    pending.erase(pending.begin(), pending.begin() + 3);
                } else {
                    pending.erase(pending.begin());
                }
            }
        }
    }
    void answer() {
        const std::uint8_t v = value;
        std::uint8_t a[3] = {'A', v, static_cast<std::uint8_t>(v ^ 0xFF)};
        switch (mode.load()) {
            case Mode::Silent: return;
            case Mode::Garbage: a[0] = 'x'; break;
            case Mode::BadCheck: a[2] ^= 1; break;
            case Mode::Answer: break;
        }
        (void)!::write(master_, a, 3);
    }

    fs::path link_;
    int master_ = -1;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::mutex m_;
    std::vector<std::uint8_t> writes_;
};

class SerialBoardTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("tobrak_serial_" + std::to_string(::getpid()));
        fs::create_directories(dir);
        bridge = std::make_unique<FakeBridge>(dir / "ttyBRIDGE");
        board = std::make_unique<SerialBoard>(QString::fromStdString((dir / "ttyBRIDGE").string()), 115200);
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

TEST_F(SerialBoardTest, ReadsAndWritesPortZero) {
    ASSERT_EQ(board->uio_find(), 0) << board->lastError().toStdString();
    EXPECT_EQ(board->uio_out(0, 127, 0), 0);
    bridge->value = 0x0B;
    std::uint8_t v = 0;
    EXPECT_EQ(board->uio_inp(v, 0, 0), 0);
    EXPECT_EQ(v, 0x0B);
    EXPECT_EQ(board->uio_out(0, 255, 0), 0);
    bridge->value = 0x47;
    EXPECT_EQ(board->uio_inp(v, 0, 0), 0);
    EXPECT_EQ(v, 0x47);
    for (int i = 0; i < 50 && bridge->writes().size() < 2; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_EQ(bridge->writes(), (std::vector<std::uint8_t>{127, 255}));
    EXPECT_EQ(board->uio_out(1, 0, 0), -1);  // port 0 only
    QString path;
    qint32 baud = 0;
    EXPECT_TRUE(parseSerialBoard("serial:COM3,9600", path, baud) && path == "COM3" && baud == 9600);
}

TEST_F(SerialBoardTest, SilenceAndGarbageAreFailedReads) {
    ASSERT_EQ(board->uio_find(), 0);
    std::uint8_t v = 0x55;
    bridge->mode = FakeBridge::Mode::Silent;
    const auto t0 = std::chrono::steady_clock::now();
    EXPECT_NE(board->uio_inp(v, 0, 0), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::milliseconds(70));  // well within a poll
    EXPECT_EQ(v, 0x55);
    bridge->mode = FakeBridge::Mode::Garbage;
    EXPECT_NE(board->uio_inp(v, 0, 0), 0);
    bridge->mode = FakeBridge::Mode::BadCheck;
    EXPECT_NE(board->uio_inp(v, 0, 0), 0);
    // Back to normal: a stale answer is not taken for the next read.
    bridge->mode = FakeBridge::Mode::Answer;
    bridge->value = 0x10;
    EXPECT_EQ(board->uio_inp(v, 0, 0), 0);
    EXPECT_EQ(v, 0x10);
    EXPECT_TRUE(board->isOpen());
}

// The whole program: the status label follows the bridge going away and coming
// back, without a restart.
TEST_F(SerialBoardTest, HangUpAndReturnDriveTheStatusLabel) {
    headless::HeadlessApp app(board.get());
    Program& c = app.program;
    bridge->value = 0x03;  // a game with 3 medals bet, held until acknowledged
    c.acq.Timer2_Timer();
    EXPECT_EQ(app.ui.Label1.caption(), " 　ゲームＯＫ");
    EXPECT_EQ(c.rec.games(), 1);
    bridge->value = 0x7F;
    bridge->unplug();
    c.acq.Timer2_Timer();
    EXPECT_EQ(app.ui.Label1.caption(), " 　ゲーム不可");
    EXPECT_FALSE(board->isOpen());
    c.acq.Timer2_Timer();  // still gone
    EXPECT_EQ(app.ui.Label1.caption(), " 　ゲーム不可");

    bridge->plugIn();
    bool back = false;
    for (int i = 0; i < 40 && !back; ++i) {  // the port is tried again about once a second
        std::this_thread::sleep_for(std::chrono::milliseconds(80));
        c.acq.Timer2_Timer();
        back = app.ui.Label1.caption() == " 　ゲームＯＫ";
    }
    EXPECT_TRUE(back);
    bridge->value = 0x02;
    c.acq.Timer2_Timer();
    EXPECT_EQ(c.rec.games(), 2);
}

// An edge board on a pseudo-terminal, read without an event loop as the
// command-line tool does: the request goes out, lines come in whole.
TEST(SerialLines, EdgeBoardOverAPseudoTerminal) {
    char name[256] = {};
    const int master = rawPty(name);
    SerialLines link(QString::fromUtf8(name));
    EdgeBoard board(link);
    ASSERT_EQ(board.uio_find(), 0) << board.lastError();
    char req[8] = {};
    pollfd p{master, POLLIN, 0};
    ASSERT_EQ(poll(&p, 1, 1000), 1);
    ASSERT_EQ(::read(master, req, sizeof req), 2);
    EXPECT_STREQ(req, "?\n");
    const std::string lines = "H 1 0 00000 Q\r\nI1 100\nI0 150\nO1 1000\nO0 10";  // the last one still coming
    ASSERT_EQ(::write(master, lines.data(), lines.size()), static_cast<ssize_t>(lines.size()));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    std::uint8_t v = 0;
    ASSERT_EQ(board.uio_inp(v, 0, 0), 0) << board.lastError();
    EXPECT_EQ(v, 0x21);  // the game of one medal, closed by the OUT edge
    board.uio_out(0, 127, 0);
    board.uio_out(0, 255, 0);
    ASSERT_EQ(board.uio_inp(v, 0, 0), 0);
    EXPECT_EQ(v, 0x7F) << "the payout settles only once its fall is known";
    ASSERT_EQ(::write(master, "50\n", 3), 3);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ASSERT_EQ(board.uio_inp(v, 0, 0), 0);
    EXPECT_EQ(v, 0x30);
    EXPECT_EQ(board.decoder().badLines(), 0);
    ::close(master);
}

// Lines over 256 characters are dropped whole, whether they arrive at once or
// in pieces, even when their tail looks like an edge; the next line is read intact.
TEST(SerialLines, AnOverlongLineIsDroppedWhole) {
    char name[256] = {};
    const int master = rawPty(name);
    SerialLines link(QString::fromUtf8(name));
    EdgeBoard board(link);
    ASSERT_EQ(board.uio_find(), 0) << board.lastError();
    const auto send = [&](const std::string& s) {
        ASSERT_EQ(::write(master, s.data(), s.size()), static_cast<ssize_t>(s.size()));
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    };
    std::vector<int> codes;
    std::uint8_t v = 0;
    const auto poll = [&] {
        ASSERT_EQ(board.uio_inp(v, 0, 0), 0) << board.lastError();
        if (!(v & 0x40)) codes.push_back(v & 0x1F);
        board.uio_out(0, 127, 0);
        board.uio_out(0, 255, 0);
    };
    send("H 1 0 00000 Q\n");
    // 280 characters first, the rest of the line (an OUT rise) later.
    send(std::string(280, 'x'));
    poll();
    send("O1 00000000000000200\nO0 250\n");
    // At once: the tail after the 257th character is a whole OUT rise.
    send(std::string(257, 'y') + "O1 00000000000000000000000000000000000000300\nO0 350\nI1 400\nI0 450\n");
    for (int i = 0; i < 15; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(60));
        poll();
    }
    EXPECT_EQ(codes, std::vector<int>{1}) << "one game of one medal, no payout";
    EXPECT_EQ(board.decoder().badLines(), 2) << board.decoder().note();
    ::close(master);
}

// In the window, what the edge board's decoder notices (here its clock jumping
// days ahead) is said on the status label's tip, and the games go on.
TEST(SerialLines, TheWindowTellsAnEdgeBoardsClockJump) {
    char name[256] = {};
    const int master = rawPty(name);
    headless::ScriptedDialogs dialogs;
    TobrakApp app(nullptr, &dialogs);
    app.start();
    ConnectMenu menu(app, SimOptions{}, nullptr);
    ASSERT_TRUE(menu.connectTo(std::string("edges:") + name, false));
    auto say = [&](const std::string& s) {
        ASSERT_EQ(::write(master, s.data(), s.size()), static_cast<ssize_t>(s.size()));
    };
    say("H 1 1000 00000 Q\nI1 1100\nI0 1150\n");
    QTest::qWait(800);
    EXPECT_EQ(menu.note(), "");
    say("I1 300000000\nI0 300000050\n");  // three days ahead of the computer's clock
    QTest::qWait(1600);
    EXPECT_NE(menu.note().find("clock jumped"), std::string::npos) << menu.note();
    auto* status = dynamic_cast<QtLabel*>(app.program.ui.main.Label1);
    ASSERT_NE(status, nullptr);
    EXPECT_EQ(status->widget()->toolTip().toStdString(), menu.note());
    EXPECT_EQ(app.program.rec.games(), 2);
    ::close(master);
}

}  // namespace
}  // namespace tobrak::qt
