// The session on its own: a board of the test's own, a clock that moves a second
// each time it is read, and a listener that notes what it is told.
#include <gtest/gtest.h>

#include <cstdio>
#include <optional>

#include "poll_queue.h"
#include "record/slt_file.h"
#include "rig.h"
#include "session/session.h"

namespace tobrak::test {
namespace {

constexpr std::int64_t kEpochMs = 1'765'000'000'000;

class StepClock final : public SessionClock {
public:
    EventTime now() override {
        ms += 1000;
        return {{kEpochMs + ms, 540}, ms};
    }
    std::int64_t ms = 0;
};

WallTime second(int s) { return {kEpochMs + s * 1000, 540}; }

// What the listeners heard, compactly: "ok"/"ng" the board found or lost, "g3"
// game 3 began, "c2" game 2 is final, "p3" a payout on game 3 ("p3*15" fifteen
// in a row), "BB<5" a BB began after 5 games, "BB>36" it ended with 36 medals,
// "full" a game refused, "L" the record replaced, "H" the header changed.
class Log final : public SessionListener {
public:
    std::string str() const {
        std::string out;
        for (const auto& [t, n] : items_) out += (out.empty() ? "" : " ") + t + (n > 1 ? "*" + std::to_string(n) : "");
        return out;
    }
    void clear() { items_.clear(), at.clear(); }
    std::vector<std::int64_t> at;  // the second each timed event was seen
    int polled = 0;

    void gameClosed(std::int32_t i) override { add("c", i - kHeaderLen); }
    void gameStarted(std::int32_t i, const EventTime& t) override { add("g", i - kHeaderLen, &t); }
    void payout(std::int32_t i, const EventTime& t) override { add("p", i - kHeaderLen, &t); }
    void bonusStarted(Bonus k, std::int32_t n, const EventTime& t) override { add(kind(k) + "<", n, &t); }
    void bonusEnded(Bonus k, std::int32_t n, const EventTime& t) override { add(kind(k) + ">", n, &t); }
    void boardPolled(bool reachable, bool changed) override {
        ++polled;
        if (changed) add(reachable ? "ok" : "ng");
    }
    void recordFull() override { add("full"); }
    void recordReplaced() override { add("L"); }
    void headerChanged() override { add("H"); }

private:
    static std::string kind(Bonus k) { return k == Bonus::BB ? "BB" : "RB"; }
    void add(std::string t, std::optional<int> n = {}, const EventTime* time = nullptr) {
        if (n) t += std::to_string(*n);
        if (time) at.push_back(time->steadyMs / 1000);
        if (!items_.empty() && items_.back().first == t)
            ++items_.back().second;
        else
            items_.emplace_back(t, 1);
    }
    std::vector<std::pair<std::string, int>> items_;
};

struct Sitting {
    Sitting() {
        s.setBoard(&board);
        s.listen(log);
    }
    void poll(const std::string& script, bool reachable = true) {
        board.push(script, reachable);
        s.poll();
    }
    std::string record() const {
        std::string out;
        char hex[3];
        for (int i = 0; i < s.rec.games(); ++i) out += (std::snprintf(hex, sizeof hex, "%02x", s.rec.game(i)), hex);
        return out;
    }
    std::string flags() const {
        std::string out;
        for (auto [on, name] :
             {std::pair{s.BBGame_On, "BBGame"}, {s.RBGame_On, "RBGame"}, {s.DaiBB_On, "DaiBB"}, {s.DaiRB_On, "DaiRB"}})
            if (on) out += (out.empty() ? "" : " ") + std::string(name);
        return out;
    }
    StepClock clock;
    Session s{&clock};
    PollQueue board;
    Log log;
};

std::string dots(int n) { return n ? "･" + dots(n - 1) : ""; }

TEST(Session, EachEventCarriesTheTimeItsCodeArrived) {
    Sitting t;
    t.poll("3 p2");
    t.poll("2 25");
    t.poll("11 p1");
    t.poll("24 3");  // the end mark is timed too, though it tells nobody
    EXPECT_EQ(t.log.str(), "ok g0 p0*2 c0 g1 BB<2 c1 g2 p2 BB>-2 c2 g3");
    EXPECT_EQ(t.log.at, (std::vector<std::int64_t>{1, 2, 3, 4, 5, 6, 7, 9, 9}));
    EXPECT_EQ(t.s.times(), (GameTimes{second(1), second(4), second(6), second(9)}));
    // The saved image: the game bytes masked, the display options in byte 43.
    const auto image = t.s.image();
    ASSERT_EQ(image.size(), 48u + 4u);
    EXPECT_EQ(image[43], 0x0B);
    EXPECT_EQ(image[48], 0x32 ^ kGameMask);
    EXPECT_EQ(image[50], 0xB1 ^ kGameMask);
    t.s.mark.Mark_BBe = false;
    EXPECT_EQ(t.s.image()[43], 0x09);
}

// One poll's codes from a fresh session: the record, what was told, the monitor
// line, the flags and the counters they leave.
TEST(Session, DecodingOfTheBoardsCodes) {
    struct Case {
        const char* what;
        const char* codes;
        const char* record;
        const char* log;
        std::string monitor;
        const char* flags;
        const char* counters;
    } cases[] = {
        {"bits 1..0 the medals bet, bit 5 masked", "34 48", "21", "ok g0 p0", " II･", "", "Tot_In=2 Tot_Out=1"},
        {"unknown codes are taken and ignored", "3 17 18 19 22 23 26 27 31", "30", "ok g0", " III", "",
         "Tot_Out=0 BB_Cnt=0 RB_Cnt=0"},
        {"a payout before any game only marks the monitor", "16 p2", "", "ok", " " + dots(3), "", "Tot_Out=0"},
        {"the payout nibble stops at 15", "3 p16", "3f", "ok g0 p0*15", " III" + dots(16), "", "Tot_Out=15"},
        {"the start code lights the bonus before its games", "3 25", "30", "ok g0 BB<1", " IIIBo", "DaiBB",
         "BB_Cnt=1 Bonus_IntvCnt=0"},
        {"the end code marks the monitor and closes nothing", "3 25 11 p15 24", "30bf", "ok g0 BB<1 c0 g1 p1*15",
         " III" + dots(15) + "Bx", "BBGame DaiBB", "BB_GameCnt=1 BB_Gain=12 BB_EndCnt=0"},
        {"the next normal game closes the bonus", "3 3 25 11 p15 11 p15 24 3", "3030bfbf30",
         "ok g0 c0 g1 BB<2 c1 g2 p2*15 c2 g3 p3*15 BB>24 c3 g4", " III", "",
         "BB_Cnt=1 BB_EndCnt=1 BB_GainSum=24 BB_GameSum=2 BB_IntvMin=2"},
        {"a start code while its games run is ignored whole", "11 25 20", "b0", "ok g0", " III", "BBGame",
         "BB_Cnt=0 BB_GameCnt=1"},
        // An RB straight into a BB: both stay open, and the next normal game ends
        // the BB first, then the RB.
        {"RB then BB, closed in that order", "3 21 5 p15 20 25 11 p15 3", "305fbf30",
         "ok g0 RB<1 c0 g1 p1*15 BB<0 c1 g2 p2*15 BB>12 RB>14 c2 g3", " III", "",
         "RB_EndCnt=1 BB_EndCnt=1 RB_GainSum=14 BB_GainSum=12 BB_IntvMin=1"},
        {"a game with both lamps is a BB game", "15 p15 3", "ff30", "ok g0 p0*15 BB>12 c0 g1", " III", "",
         "BB_GameSum=1 BB_GainSum=12"},
    };
    for (const Case& k : cases) {
        Sitting t;
        t.poll(k.codes);
        EXPECT_EQ(t.record(), k.record) << k.what;
        EXPECT_EQ(t.log.str(), k.log) << k.what;
        EXPECT_EQ(t.s.monitor, k.monitor) << k.what;
        EXPECT_EQ(t.flags(), k.flags) << k.what;
        EXPECT_COUNTERS(t.s.cnt, k.counters) << k.what;
    }
}

TEST(Session, CodesOfABoardThatCannotBeReadAreIgnored) {
    Sitting t;
    t.poll("3", false);  // unreachable from the start: no change to tell
    EXPECT_EQ(t.log.str(), "");
    t.poll("3");
    t.poll("16 3", false);
    t.poll("");
    EXPECT_EQ(t.log.str(), "ok g0 ng ok");
    EXPECT_EQ(t.log.polled, 4);  // every poll is told
    EXPECT_EQ(t.record(), "30");
    EXPECT_EQ(t.log.at.size(), 1u);
}

TEST(Session, AFullRecordRefusesGamesAndPayouts) {
    Sitting t;
    std::string games;
    for (int i = 0; i < 31001; ++i) games += "3 ";
    t.poll(games + "p2");  // the newest game fills the record: its payouts are dropped too
    ASSERT_EQ(t.s.rec.games(), 31001);
    EXPECT_EQ(t.s.rec.game(31000), 0x30);
    EXPECT_EQ(t.log.str().find("full"), std::string::npos);
    EXPECT_FALSE(t.board.full);
    t.log.clear();
    const Counters before = t.s.cnt;
    t.poll("3 p1 7");
    EXPECT_TRUE(t.board.full);  // the board hears that no game is taken
    EXPECT_EQ(t.log.str(), "full*2");
    EXPECT_EQ(t.s.rec.games(), 31001);
    EXPECT_EQ(t.s.rec.Dat_Buf[31049], 0);
    EXPECT_EQ(t.s.times().size(), 31001u);
    EXPECT_EQ(countersOf(t.s.cnt), countersOf(before));
    EXPECT_EQ(t.s.image().size(), 31049u);
}

// A listener that polls from inside a change, as the timer does while a message
// box is open: the inner poll is skipped, the codes wait for the next one.
TEST(Session, APollInsideAPollIsSkipped) {
    Sitting t;
    struct Reentrant final : SessionListener {
        Session* s = nullptr;
        void gameStarted(std::int32_t, const EventTime&) override { s->poll(); }
    } inner;
    inner.s = &t.s;
    t.s.listen(inner);
    t.board.push("3 p1");
    t.board.push("2");
    t.s.poll();
    EXPECT_EQ(t.log.str(), "ok g0 p0");
    EXPECT_EQ(t.board.polls, 1);
    EXPECT_EQ(t.board.pending(), 1u);
    t.s.poll();
    EXPECT_EQ(t.log.str(), "ok g0 p0 c0 g1");
    EXPECT_EQ(t.board.polls, 2);
}

TEST(Session, ListenersHearInTheOrderTheyWereAdded) {
    // Each notes the game count it sees: the counters are taken before anyone hears.
    struct Tag final : SessionListener {
        Tag(const Session& s, std::string& o, char c) : s(s), out(o), tag(c) {}
        void gameStarted(std::int32_t, const EventTime&) override { out += tag + std::to_string(s.cnt.Game_Cnt); }
        const Session& s;
        std::string& out;
        char tag;
    };
    Sitting t;
    std::string heard;
    Tag a(t.s, heard, 'a'), b(t.s, heard, 'b');
    t.s.listen(a);
    t.s.listen(b);
    t.poll("3 3");
    t.s.forget(a);
    t.poll("3");
    EXPECT_EQ(heard, "a1b1a2b2b3");
}

// A loaded record: the times known of it, and play going on from where it ends.
TEST(Session, AReplacedRecordKeepsWhatIsKnownOfItsTimesAndGoesOnLive) {
    Sitting t;
    t.poll("3 p1 2");
    t.s.rec = recordOf({0x31, 0x30, 0xBF});
    t.s.replaced();
    EXPECT_EQ(t.s.times(), (GameTimes{std::nullopt, std::nullopt, std::nullopt}));
    t.s.replaced({second(7), std::nullopt, second(8), second(9)});  // more than the record holds
    EXPECT_EQ(t.s.times(), (GameTimes{second(7), std::nullopt, second(8)}));
    t.s.replaced({second(7)});
    EXPECT_EQ(t.s.times(), (GameTimes{second(7), std::nullopt, std::nullopt}));
    t.s.headerChanged();
    EXPECT_EQ(t.log.str(), "ok g0 p0 c0 g1 L*3 H");

    // It ends inside a BB: rebuilt, the bonus runs on and the next normal game ends it.
    t.s.clearFlags();
    t.s.cnt.reset();
    t.s.recount();
    EXPECT_EQ(t.flags(), "BBGame");
    t.s.resumeBonus();
    EXPECT_EQ(t.flags(), "BBGame DaiBB");
    t.log.clear();
    t.poll("3");
    EXPECT_EQ(t.log.str(), "BB>12 c2 g3");
    EXPECT_EQ(t.s.times().back(), second(4));
    EXPECT_EQ(t.record(), "3130bf30");
    EXPECT_COUNTERS(t.s.cnt, "Game_Cnt=4 BB_EndCnt=1 BB_GainSum=12");
    t.poll("3 25");
    t.s.clearFlags();
    EXPECT_EQ(t.flags(), "");
    EXPECT_EQ(t.s.monitor, " ");
}

}  // namespace
}  // namespace tobrak::test
