// The edge decoder on recorded edge streams, and the edge board as the poll sees it.
#include <gtest/gtest.h>

#include <cstdio>

#include "platform/edge_board.h"
#include "rig.h"

namespace tobrak::test {
namespace {

using Codes = std::vector<int>;

// An edge stream in the computer's time t (ms); the board's stamps are t + base,
// wrapping as the board's do. Each line arrives at the moment it is stamped.
struct Stream {
    EdgeDecoder d;
    std::uint32_t base = 1000;
    std::int64_t t = 0;

    std::uint32_t stamp(std::int64_t at) const {
        return static_cast<std::uint32_t>((at + base) % EdgeDecoder::kStampPeriod);
    }
    void edge(char line, int level, std::int64_t at) {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%c%d %u", line, level, stamp(at));
        EXPECT_TRUE(d.feed(buf, at)) << buf;
    }
    void wait(std::int64_t ms) { t += ms; }
    void pulses(char line, int n, int on = 50, int off = 50) {
        for (int i = 0; i < n; ++i) {
            edge(line, 1, t);
            edge(line, 0, t + on);
            t += on + off;
        }
    }
    void level(char line, int v) { edge(line, v, t); }
    void hello(const char* levels, char why, std::uint32_t boardMs) {
        char buf[64];
        std::snprintf(buf, sizeof buf, "H 1 %u %s %c", boardMs, levels, why);
        EXPECT_TRUE(d.feed(buf, t)) << buf;
    }
    // A game: its bets, then quiet until its code is due.
    void game(int bets) {
        pulses('I', bets);
        wait(500);
    }
    Codes take() {
        d.advance(t);
        Codes c(d.codes().begin(), d.codes().end());
        d.codes().clear();
        return c;
    }
};

Codes with(Codes a, int n, int code) {
    a.insert(a.end(), n, code);
    return a;
}
Codes operator+(Codes a, const Codes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST(EdgeDecoder, BounceAndGlitchesCountForNothing) {
    Stream s;
    for (int i = 0; i < 4; ++i) s.edge('I', 1 - i % 2, s.t + i);  // contact chatter before the first bet
    s.wait(5);
    s.pulses('I', 3);
    s.wait(300);
    EXPECT_EQ(s.take(), Codes{}) << "still inside the bet burst";
    s.wait(200);
    s.edge('O', 1, s.t);
    s.edge('O', 0, s.t + 3);  // a 3 ms glitch
    s.wait(100);
    s.edge('O', 1, s.t);
    s.edge('O', 0, s.t + 48);
    s.edge('O', 1, s.t + 50);  // bounce on release
    s.edge('O', 0, s.t + 52);
    s.wait(150);
    s.pulses('O', 1);
    s.edge('I', 0, s.t);  // a fall with no rise before it
    EXPECT_EQ(s.take(), (Codes{3, 16, 16}));
}

TEST(EdgeDecoder, BonusStartInsideAPayoutTrainAndTheBonusGames) {
    Stream s;
    s.game(3);
    s.pulses('O', 3);
    s.level('B', 1);
    s.wait(30);
    s.pulses('O', 3);
    s.wait(2000);
    s.game(3);
    s.pulses('O', 15);
    s.level('B', 0);
    s.wait(1000);
    s.game(2);
    s.level('R', 1);
    s.game(1);
    s.level('R', 0);
    s.game(3);
    const Codes bb{3, 16, 16, 16, 25, 16, 16, 16, 8 | 3}, after{24, 2, 21, 4 | 1, 20, 3};
    EXPECT_EQ(s.take(), with(bb, 15, 16) + after);
}

// The next bet while the last payout still runs: every medal paid stays with its game.
TEST(EdgeDecoder, OverlappingInAndOut) {
    Stream s;
    s.game(3);
    for (int i = 0; i < 14; ++i) {
        s.edge('O', 1, s.t);
        if (i >= 4 && i < 7) s.edge('I', 1, s.t + 10);
        s.edge('O', 0, s.t + 50);
        if (i >= 4 && i < 7) s.edge('I', 0, s.t + 60);
        s.wait(100);
    }
    s.wait(500);
    EXPECT_EQ(s.take(), with(Codes{3}, 14, 16) + Codes{3});
}

TEST(EdgeDecoder, ALineStuckActiveGivesOneEventAndTheClockClosesTheGame) {
    Stream s;
    s.level('I', 1);  // never released
    s.wait(399);
    EXPECT_EQ(s.take(), Codes{});
    s.wait(200);  // no further edge: the computer's clock ends the burst
    EXPECT_EQ(s.take(), Codes{1});
    s.wait(3'600'000);
    EXPECT_EQ(s.take(), Codes{});
    s.level('I', 0);
    s.wait(100);
    s.game(2);
    EXPECT_EQ(s.take(), Codes{2});
}

TEST(EdgeDecoder, TimeStampsThatWrap) {
    Stream s;
    s.base = EdgeDecoder::kStampPeriod - 150;  // the board's count wraps inside the burst
    s.game(3);
    s.pulses('O', 2);
    s.wait(100);
    s.edge('O', 1, s.t);
    s.d.feed("O0 " + std::to_string(s.stamp(s.t)) + "\r", s.t);  // CR LF line ends
    s.wait(100);
    s.game(1);
    EXPECT_EQ(s.take(), (Codes{3, 16, 16, 1}));  // the 0 ms pulse is a glitch
    // Two lines whose stamps came out of order (one 5 ms before the other) are
    // not a trip round the whole count: the game stays one game.
    s.pulses('I', 1);
    s.edge('I', 1, s.t);
    s.edge('O', 1, s.t - 5);
    s.edge('O', 0, s.t + 45);
    s.edge('I', 0, s.t + 50);
    s.wait(100);
    s.game(1);
    EXPECT_EQ(s.take(), (Codes{16, 3}));
}

TEST(EdgeDecoder, BoardResetMidGameLosesNothingAndCountsNothingTwice) {
    Stream s;
    s.hello("00100", 'B', 1000);  // BB already running when we connect: no start code
    s.pulses('I', 1);
    s.wait(100);
    s.hello("00100", 'B', 2);  // the board restarts between two bets of a game
    s.base = static_cast<std::uint32_t>(2 - s.t);
    s.pulses('I', 2);
    s.wait(500);
    EXPECT_EQ(s.take(), Codes{8 | 3});
    EXPECT_EQ(s.d.resets(), 1);
    EXPECT_NE(s.d.note().find("restarted"), std::string::npos);
    s.pulses('O', 2);
    s.hello("01000", 'B', 5);  // restarted again: BB fell and OUT rose meanwhile
    s.base = static_cast<std::uint32_t>(5 - s.t);
    s.wait(100);
    s.level('O', 0);
    s.hello("00000", 'Q', s.stamp(s.t));  // an answer to "?": nothing new
    s.game(3);
    EXPECT_EQ(s.take(), (Codes{16, 16, 16, 24, 3}));  // the OUT pulse seen only by the restart counts once
    EXPECT_EQ(s.d.resets(), 2);
}

TEST(EdgeDecoder, LinesNotOfTheProtocolAreCountedAndIgnored) {
    EdgeDecoder d;
    for (const char* bad : {"X1 100", "I2 100", "I1", "I1 12x", "H 2 0 00000 B", "H 1 0 0000 B", "H 1 0 00000 Z"})
        EXPECT_FALSE(d.feed(bad, 0)) << bad;
    EXPECT_TRUE(d.feed("", 0));
    EXPECT_EQ(d.badLines(), 7);
    EXPECT_FALSE(d.note().empty());
    EXPECT_TRUE(d.codes().empty());
}

class FakeLink final : public LineSource {
public:
    bool open() override { return up; }
    Read readLine(std::string& line) override {
        if (lost) {
            lost = false;
            up = false;
            return Read::Lost;
        }
        if (in.empty()) return Read::None;
        line = in.front();
        in.pop_front();
        return Read::Line;
    }
    void writeLine(const std::string& line) override { out.push_back(line); }
    std::string lastError() const override { return "gone"; }
    bool up = true, lost = false;
    std::deque<std::string> in;
    std::vector<std::string> out;
};

TEST(EdgeBoard, ThePollTakesOneCodeAtATimeAndFollowsTheLink) {
    FakeLink link;
    std::int64_t now = 0;
    EdgeBoard board(link, [&] { return now; });
    headless::HeadlessApp app(&board);
    Timer2_Timer(app.core);
    EXPECT_EQ(link.out, std::vector<std::string>{"?"});
    EXPECT_EQ(app.ui.Label1.caption(), " 　ゲーム不可") << "an open port alone is not a board";
    now = 1000;
    Timer2_Timer(app.core);
    EXPECT_EQ(link.out, (std::vector<std::string>{"?", "?"})) << "asked again after a second of silence";
    link.in = {"H 1 0 00000 Q"};
    Timer2_Timer(app.core);
    EXPECT_EQ(app.ui.Label1.caption(), " 　ゲームＯＫ");
    link.in = {"I1 100", "I0 150", "O1 700", "O0 750", "O1 800", "O0 850"};
    now = 1900;
    std::uint8_t v = 0;
    board.uio_out(0, 127, 0);
    ASSERT_EQ(board.uio_inp(v, 0, 0), 0);
    EXPECT_EQ(v, 0x21);
    board.uio_out(0, 0, 0);
    board.uio_out(0, 255, 0);  // not right after a 127: no acknowledge
    ASSERT_EQ(board.uio_inp(v, 0, 0), 0);
    EXPECT_EQ(v, 0x21) << "held until acknowledged";
    for (int i = 0; i < 4; ++i) Timer2_Timer(app.core);
    EXPECT_EQ(app.core.rec.games(), 1);
    EXPECT_EQ(app.core.cnt.Tot_Out, 2);

    link.lost = true;
    Timer2_Timer(app.core);
    EXPECT_EQ(app.ui.Label1.caption(), " 　ゲーム不可");
    link.up = true;
    link.in = {"H 1 2000 00000 Q"};
    Timer2_Timer(app.core);
    EXPECT_EQ(app.ui.Label1.caption(), " 　ゲームＯＫ");
    EXPECT_EQ(link.out.size(), 3u) << "asked again after the link came back";
}

TEST(EdgeBoard, PortOption) {
    std::string path;
    std::int32_t baud = 0;
    ASSERT_TRUE(parsePortOption("edges", "edges:/dev/ttyACM0", path, baud));
    EXPECT_EQ(path, "/dev/ttyACM0");
    EXPECT_EQ(baud, 115200);
    ASSERT_TRUE(parsePortOption("edges", "edges:COM4,9600", path, baud));
    EXPECT_EQ(path, "COM4");
    EXPECT_EQ(baud, 9600);
    for (const char* bad : {"edges:", "edges", "edgesX:/dev/a", "edges:/dev/a,", "edges:/dev/a,-5", "serial:/dev/a"})
        EXPECT_FALSE(parsePortOption("edges", bad, path, baud)) << bad;
}

}  // namespace
}  // namespace tobrak::test
