// The USB-IO board's command layer against a fake HID board.
#include <gtest/gtest.h>

#include <deque>

#include "boards/usbio_board.h"
#include "rig.h"
#include "source_probe.h"

namespace tobrak::test {
namespace {

// Answers each 0x20 command as the board does: port 1's inputs, its sequence echoed.
class FakeHid final : public HidLink {
public:
    bool open(const std::string& s) override {
        serialAsked = s;
        opened += present;
        isOpen_ = present;
        return present;
    }
    bool isOpen() const override { return isOpen_; }
    void close() override { isOpen_ = false; }
    bool write(const Report& r) override {
        if (gone) return false;
        sent.push_back(r);
        if (r[1] == 1) port1Out = r[2];
        if (silent) return true;
        Report a{};
        a[0] = r[0];
        a[1] = static_cast<std::uint8_t>(inputs & port1Out);  // inputs read through the pulled-up outputs
        a[63] = static_cast<std::uint8_t>(r[63] + seqSkew);
        if (stale) answers.push_back(Report{0x20, 0x00, 0, 0});  // a late answer to an older command
        answers.push_back(a);
        return true;
    }
    int read(Report& r, int) override {
        if (gone) return -1;
        if (answers.empty()) return 0;
        r = answers.front();
        answers.pop_front();
        return 1;
    }
    std::string lastError() const override { return "fake"; }

    // What port 1 was driven with, command by command (-1: a read that drives nothing).
    std::vector<int> driven() const {
        std::vector<int> d;
        for (const Report& r : sent) d.push_back(r[1] == 1 ? r[2] : -1);
        return d;
    }

    bool present = true, isOpen_ = false, gone = false, silent = false, stale = false;
    int seqSkew = 0, opened = 0;
    std::uint8_t inputs = 0x7F, port1Out = 0xFF;
    std::string serialAsked;
    std::vector<Report> sent;
    std::deque<Report> answers;
};

TEST(UsbIoBoard, EachPollReadsPortOneBetweenTheHandshakesWrites) {
    FakeHid hid;
    UsbIoBoard board(hid, "A1234");
    hid.inputs = 0x2B;  // bit 6 low: a code (bit 5 is not of it)
    hid.stale = true;   // skipped: the answer with this command's sequence is taken
    Polled p = pollOnce(board);
    EXPECT_EQ(hid.serialAsked, "A1234");
    EXPECT_TRUE(p.reachable);
    EXPECT_EQ(p.codes, std::vector<std::uint8_t>{0x0B});
    EXPECT_EQ(hid.driven(), (std::vector<int>{127, -1, 255})) << "127, the read, 255 after a code";
    EXPECT_EQ(hid.sent[0][0], 0x20);
    EXPECT_NE(hid.sent[0][63], hid.sent[1][63]);
    // Bit 6 high: nothing new, and nothing to acknowledge.
    hid.sent.clear();
    hid.inputs = 0x7F;
    p = pollOnce(board);
    EXPECT_TRUE(p.reachable && p.codes.empty());
    EXPECT_EQ(hid.driven(), (std::vector<int>{127, -1}));
    // An answer to another command, or none at all, is a board out of reach.
    hid.stale = false;
    hid.inputs = 0x03;
    for (int skew : {1, 0}) {
        hid.seqSkew = skew;
        hid.silent = skew == 0;
        p = pollOnce(board);
        EXPECT_FALSE(p.reachable);
        EXPECT_TRUE(p.codes.empty());
    }
    EXPECT_TRUE(hid.isOpen()) << "silence alone does not drop the board";
    EXPECT_EQ(board.problem(), "fake");
}

// The whole program on the board: a game code, the board unplugged, looked for
// again once a second (not every poll), and back.
TEST(UsbIoBoard, UnplugAndReturnDriveTheStatusLabel) {
    FakeHid hid;
    UsbIoBoard board(hid, "");
    headless::HeadlessApp app(&board);
    hid.inputs = 0x03;  // bit 6 low: a game with 3 medals bet
    app.program.Timer2_Timer();
    EXPECT_EQ(app.ui.Label1.caption(), " 　ゲームＯＫ");
    EXPECT_EQ(app.program.rec.games(), 1);
    EXPECT_EQ(hid.port1Out, 255) << "acknowledged";
    hid.inputs = 0x7F;
    hid.gone = true;
    hid.present = false;
    for (int i = 0; i < 5; ++i) app.program.Timer2_Timer();
    EXPECT_EQ(app.ui.Label1.caption(), " 　ゲーム不可");
    EXPECT_EQ(hid.opened, 1) << "not opened again on every poll";
    hid.gone = false;
    hid.present = true;
    bool back = false;
    for (int i = 0; i < 40 && !back; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(40));
        app.program.Timer2_Timer();
        back = app.ui.Label1.caption() == " 　ゲームＯＫ";
    }
    EXPECT_TRUE(back);
}

}  // namespace
}  // namespace tobrak::test
