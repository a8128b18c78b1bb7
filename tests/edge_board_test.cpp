// The edge decoder on recorded edge streams, and the edge board as the poll sees it.
#include <gtest/gtest.h>

#include <functional>

#include "boards/edge_board.h"
#include "rig.h"
#include "source_probe.h"

namespace tobrak::test {
namespace {

using Codes = std::vector<int>;

// An edge stream in the computer's time t (ms); the board's stamps are t + base,
// wrapping as the board's do. Each line arrives at the moment it is stamped.
struct Stream {
    EdgeDecoder d;
    std::uint32_t base = 1000;
    std::int64_t t = 0;
    std::int64_t arrive = -1;       // when set, every line arrives then (lines held up on the way)
    std::vector<std::string> said;  // each new note, as tobrak-cli record prints it

    std::uint32_t stamp(std::int64_t at) const {
        return static_cast<std::uint32_t>((at + base) % EdgeDecoder::kStampPeriod);
    }
    bool send(const std::string& l, std::int64_t at) {
        const bool ok = d.feed(l, arrive >= 0 ? arrive : at);
        if (!d.note().empty() && (said.empty() || said.back() != d.note())) said.push_back(d.note());
        return ok;
    }
    void line(const std::string& l, std::int64_t at) { EXPECT_TRUE(send(l, at)) << l; }
    void edge(char l, int v, std::int64_t at) { line(l + std::to_string(v) + " " + std::to_string(stamp(at)), at); }
    void pulses(char l, int n, int on = 50) {
        for (int i = 0; i < n; ++i, t += 100) {
            edge(l, 1, t);
            edge(l, 0, t + on);
        }
    }
    void game(int bets) {  // its bets, then quiet until its code is due
        pulses('I', bets);
        t += 500;
    }
    Codes take() {
        d.advance(std::max(t, arrive));
        Codes c(d.codes().begin(), d.codes().end());
        d.codes().clear();
        return c;
    }
};

Codes operator+(Codes a, const Codes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}
Codes times(int n, int code) { return Codes(static_cast<std::size_t>(n), code); }

TEST(EdgeDecoder, BounceGlitchesAndAStuckLine) {
    Stream s;
    for (int i = 0; i < 4; ++i) s.edge('I', 1 - i % 2, i);  // contact chatter before the first bet
    s.t = 5;
    s.pulses('I', 3);
    s.t += 300;
    EXPECT_EQ(s.take(), Codes{}) << "still inside the bet burst";
    s.t += 200;
    s.pulses('O', 1, 3);  // a 3 ms glitch
    s.edge('O', 1, s.t);
    s.edge('O', 0, s.t + 48);
    s.edge('O', 1, s.t + 50);  // bounce on release
    s.edge('O', 0, s.t + 52);
    s.t += 150;
    s.edge('I', 0, s.t);  // a fall with no rise before it
    EXPECT_EQ(s.take(), (Codes{3, 16}));
    // IN stuck active: one bet, and with no further edge the computer's clock ends the game.
    s.edge('I', 1, s.t);
    s.t += 599;
    EXPECT_EQ(s.take(), Codes{1});
    s.t += 3'600'000;
    s.edge('I', 0, s.t);
    s.t += 100;
    s.game(2);
    EXPECT_EQ(s.take(), Codes{2});
}

TEST(EdgeDecoder, BonusStartInsideAPayoutTrainAndTheBonusGames) {
    Stream s;
    s.game(3);
    s.pulses('O', 3);
    s.edge('B', 1, s.t);
    s.t += 30;
    s.pulses('O', 3);
    s.t += 2000;
    s.game(3);
    s.pulses('O', 15);
    s.edge('B', 0, s.t += 1000);
    s.game(2);
    s.edge('R', 1, s.t);
    s.game(1);
    s.edge('R', 0, s.t);
    s.game(3);
    EXPECT_EQ(s.take(), (Codes{3, 16, 16, 16, 25, 16, 16, 16, 8 | 3} + times(15, 16) + Codes{24, 2, 21, 4 | 1, 20, 3}));
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
        s.t += 100;
    }
    s.t += 500;
    EXPECT_EQ(s.take(), (Codes{3} + times(14, 16) + Codes{3}));
}

TEST(EdgeDecoder, TimeStampsThatWrap) {
    Stream s;
    s.base = EdgeDecoder::kStampPeriod - 150;  // the board's count wraps inside the burst
    s.game(3);
    s.pulses('O', 2);
    s.edge('O', 1, s.t += 100);
    s.line("O0 " + std::to_string(s.stamp(s.t)) + "\r", s.t);  // CR LF line ends
    s.t += 100;
    s.game(1);
    EXPECT_EQ(s.take(), (Codes{3, 16, 16, 1}));  // the 0 ms pulse is a glitch
    // Two lines whose stamps came out of order (one 5 ms before the other) are
    // not a trip round the whole count: the game stays one game.
    s.pulses('I', 1);
    s.edge('I', 1, s.t);
    s.edge('O', 1, s.t - 5);
    s.edge('O', 0, s.t + 45);
    s.edge('I', 0, s.t + 50);
    s.t += 100;
    s.game(1);
    EXPECT_EQ(s.take(), (Codes{16, 3}));
}

TEST(EdgeDecoder, BoardResetMidGameLosesNothingAndCountsNothingTwice) {
    Stream s;
    s.line("H 1 1000 00100 B", 0);  // BB already running when we connect: no start code
    s.pulses('I', 1);
    s.line("H 1 2 00100 B", s.t += 100);  // the board restarts between two bets of a game
    s.base = static_cast<std::uint32_t>(2 - s.t);
    s.pulses('I', 2);
    s.t += 500;
    EXPECT_EQ(s.take(), Codes{8 | 3});
    EXPECT_EQ(s.d.resets(), 1);
    EXPECT_NE(s.d.note().find("restarted"), std::string::npos);
    s.pulses('O', 2);
    s.line("H 1 5 01000 B", s.t);  // restarted again: BB fell and OUT rose meanwhile
    s.base = static_cast<std::uint32_t>(5 - s.t);
    s.edge('O', 0, s.t += 100);
    s.line("H 1 " + std::to_string(s.stamp(s.t)) + " 00000 Q", s.t);  // an answer to "?": nothing new
    s.game(3);
    EXPECT_EQ(s.take(), (Codes{16, 16, 16, 24, 3}));  // the OUT pulse seen only by the restart counts once
    EXPECT_EQ(s.d.resets(), 2);
}

// The board's clock disturbed between two games: the games after it are still
// counted, and a jump is said once.
TEST(EdgeDecoder, AClockThatJumpsLosesNoLaterGame) {
    constexpr std::int64_t kDays3 = 3 * 86'400'000;
    const auto noisyPayout = [](std::int64_t shift) {
        return [shift](Stream& s) {  // one pulse whose rise is stamped wrong
            const std::int64_t wrong = static_cast<std::int64_t>(s.stamp(s.t)) + shift;
            s.line("O1 " + std::to_string((wrong + EdgeDecoder::kStampPeriod) % EdgeDecoder::kStampPeriod), s.t);
            s.edge('O', 0, s.t + 50);
            s.t += 100;
        };
    };
    const auto replug = [](Stream& s) {  // unplugged for 3 s; the boot hello is missed
        s.t += 3000;
        s.base = static_cast<std::uint32_t>(1500 - s.t);
        s.line("H 1 " + std::to_string(s.stamp(s.t)) + " 00000 Q", s.t);
    };
    struct Case {
        const char* what;
        std::uint32_t base;  // the board's time when play begins
        std::function<void(Stream&)> disturb;
        Codes codes;  // what the disturbance itself makes
        int jumps;    // notes of a clock jump
    };
    const Case cases[] = {
        {"replug after 10 minutes up", 600'000, replug, {}, 1},
        {"replug after 20 seconds up", 20'000, replug, {}, 1},
        {"replug, the new clock just below the old", 1550, replug, {}, 1},
        {"a stamp 800 s ahead", 5000, noisyPayout(800'000), {16}, 1},
        {"a stamp 3 days ahead", 5000, noisyPayout(kDays3), {16}, 1},
        {"a stamp 10 minutes back", 3'600'000, noisyPayout(-600'000), {16}, 1},
        {"the count wraps", EdgeDecoder::kStampPeriod - 1000, [](Stream&) {}, {}, 0},
        {"lines held up 5 s and delivered together", 5000, [](Stream& s) { s.arrive = s.t + 5000; }, {}, 0},
        {"a line of 300 characters",
         5000,
         [](Stream& s) {
             const std::string ms = std::to_string(s.stamp(s.t));
             EXPECT_FALSE(s.send("O1 " + std::string(297 - ms.size(), '0') + ms, s.t));
             s.t += 100;
         },
         {},
         0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Stream s;
        s.base = c.base;
        s.game(3);
        c.disturb(s);
        for (int i = 0; i < 3; ++i) {
            s.game(3);
            s.pulses('O', 1);
        }
        s.t += 1000;
        EXPECT_EQ(s.take(), (Codes{3} + c.codes + Codes{3, 16, 3, 16, 3, 16}));
        const auto jumps = std::count_if(s.said.begin(), s.said.end(),
                                         [](const std::string& n) { return n.find("jumped") != std::string::npos; });
        EXPECT_EQ(jumps, c.jumps);
        EXPECT_EQ(s.d.resets(), 0);
    }
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

TEST(EdgeBoard, APollHandsOverEveryCodeDecodedAndFollowsTheLink) {
    FakeLink link;
    std::int64_t now = 0;
    EdgeBoard board(link, [&] { return now; });
    headless::HeadlessApp app(&board);
    app.program.Timer2_Timer();
    EXPECT_EQ(link.out, std::vector<std::string>{"?"});
    EXPECT_EQ(app.ui.Label1.caption(), " 　ゲーム不可") << "an open port alone is not a board";
    now = 1000;
    EXPECT_FALSE(pollOnce(board).reachable);
    EXPECT_EQ(link.out, (std::vector<std::string>{"?", "?"})) << "asked again after a second of silence";
    link.in = {"H 1 0 00000 Q"};
    app.program.Timer2_Timer();
    EXPECT_EQ(app.ui.Label1.caption(), " 　ゲームＯＫ");
    link.in = {"I1 100", "I0 150", "O1 700", "O0 750", "O1 800", "O0 850"};
    now = 1900;
    const Polled p = pollOnce(board);
    EXPECT_TRUE(p.reachable);
    EXPECT_EQ(p.codes, (std::vector<std::uint8_t>{1, code::Payout, code::Payout})) << "oldest first, in one poll";
    EXPECT_TRUE(pollOnce(board).codes.empty()) << "each code once";
    link.in = {"I1 2000", "I0 2050", "O1 2600", "O0 2650", "bogus"};
    now = 3000;
    app.program.Timer2_Timer();
    EXPECT_EQ(app.program.rec.games(), 1);
    EXPECT_EQ(app.program.cnt.Tot_Out, 1);
    EXPECT_NE(board.note().find("\"bogus\""), std::string::npos) << board.note();

    link.lost = true;
    app.program.Timer2_Timer();
    EXPECT_EQ(app.ui.Label1.caption(), " 　ゲーム不可");
    EXPECT_EQ(board.problem(), "gone");
    link.up = true;
    link.in = {"H 1 2000 00000 Q"};
    app.program.Timer2_Timer();
    EXPECT_EQ(app.ui.Label1.caption(), " 　ゲームＯＫ");
    EXPECT_EQ(link.out.size(), 3u) << "asked again after the link came back";
}

}  // namespace
}  // namespace tobrak::test
