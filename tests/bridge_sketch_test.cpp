// The serial bridge sketch itself, compiled for the PC against a stand-in for
// the Arduino functions and driven line by line, millisecond by millisecond.
#include <gtest/gtest.h>

#include "arduino_standin.h"

namespace sketch {
#include "../firmware/tobrak_bridge/tobrak_bridge.ino"
}

namespace {

using Codes = std::vector<int>;

class BridgeSketch : public ::testing::Test {
protected:
    void SetUp() override {
        arduino::now = 1000;
        arduino::levels.clear();
        arduino::serial = {};
        sketch::setup();
    }
    void run(int ms) {
        for (int i = 0; i < ms; ++i) {
            ++arduino::now;
            sketch::loop();
        }
    }
    static void set(std::uint8_t pin, bool active) { arduino::levels[pin] = active ? LOW : HIGH; }
    void pulse(std::uint8_t pin, int n, int onMs = 50, int offMs = 50) {
        for (int i = 0; i < n; ++i) {
            set(pin, true);
            run(onMs);
            set(pin, false);
            run(offMs);
        }
    }
    // A bet of `bets` medals, then quiet until its game code is due.
    void game(int bets) {
        pulse(sketch::PIN_IN, bets);
        run(450);
    }
    // A bonus lamp going on or off, and staying so for 100 ms.
    void lamp(std::uint8_t pin, bool on) {
        set(pin, on);
        run(100);
    }
    void send(std::initializer_list<std::uint8_t> bytes) {
        arduino::serial.rx.insert(arduino::serial.rx.end(), bytes);
        run(1);
    }
    // One poll as the program makes it; returns the port byte (or -1 on a bad answer).
    int read() {
        arduino::serial.tx.clear();
        send({'W', 127, 128, 'R'});
        const auto& a = arduino::serial.tx;
        if (a.size() != 3 || a[0] != 'A' || (a[1] ^ 0xFF) != a[2]) return -1;
        return a[1];
    }
    // A protocol-2 answer: lead, a, b, a^b^FF; -1 when it is not one.
    static int pair(std::uint8_t lead, int at, int& b) {
        const auto& a = arduino::serial.tx;
        if (a.size() < static_cast<std::size_t>(at + 4) || a[at] != lead || (a[at + 1] ^ a[at + 2] ^ 0xFF) != a[at + 3])
            return -1;
        b = a[at + 2];
        return a[at + 1];
    }
    // The protocol-2 version answer: the version, and the number presented in `n`.
    int version(int& n) {
        arduino::serial.tx.clear();
        send({'V'});
        return pair('P', 0, n);
    }
    // One numbered read: the port byte, and the code's number in `n`.
    int readNumbered(int& n) {
        arduino::serial.tx.clear();
        send({'S'});
        return arduino::serial.tx.size() == 4 ? pair('N', 0, n) : -1;
    }
    // Polls and acknowledges until nothing is waiting.
    Codes takeAll() {
        Codes got;
        for (int v = read(); v >= 0 && (v & 64) == 0; v = read()) {
            got.push_back(v & 31);
            send({'W', 255, 0});
        }
        return got;
    }
};

TEST_F(BridgeSketch, InBurstsBecomeGamesAndOutPulsesPayouts) {
    // Contact chatter on the first IN edge and a 5 ms glitch count for nothing extra.
    for (int i = 0; i < 6; ++i) {
        set(sketch::PIN_IN, i % 2 == 0);
        run(1);
    }
    pulse(sketch::PIN_IN, 3);
    EXPECT_EQ(takeAll(), Codes{}) << "the burst is still open";
    run(400);
    pulse(sketch::PIN_OUT, 8);
    pulse(sketch::PIN_OUT, 1, 5, 100);  // a glitch, not a medal
    EXPECT_EQ(takeAll(), (Codes{3, 16, 16, 16, 16, 16, 16, 16, 16}));
    // A one-medal bet is a game of its own.
    game(1);
    EXPECT_EQ(takeAll(), Codes{1});
}

TEST_F(BridgeSketch, BonusLevelsGiveStartEndCodesAndLampBits) {
    lamp(sketch::PIN_BB, true);
    game(3);
    pulse(sketch::PIN_OUT, 2);
    lamp(sketch::PIN_BB, false);
    lamp(sketch::PIN_RB, true);
    game(1);
    lamp(sketch::PIN_RB, false);
    game(3);
    EXPECT_EQ(takeAll(), (Codes{25, 8 | 3, 16, 16, 24, 21, 4 | 1, 20, 3}));
}

// The next game's bet while the last payout still runs: every medal paid goes
// to the game that paid it, the game code follows the payout.
TEST_F(BridgeSketch, PayoutOverlappingTheNextBetStaysWithItsGame) {
    game(3);
    for (int i = 0; i < 12; ++i) {
        set(sketch::PIN_OUT, true);
        if (i >= 4 && i < 7) set(sketch::PIN_IN, true);
        run(50);
        set(sketch::PIN_OUT, false);
        set(sketch::PIN_IN, false);
        run(100);
    }
    run(450);
    Codes want(14, 16);  // the game, its 12 medals, the next game
    want.front() = want.back() = 3;
    EXPECT_EQ(takeAll(), want);
}

TEST_F(BridgeSketch, CodeIsHeldUntilAcknowledgedAfterARead) {
    game(2);
    pulse(sketch::PIN_OUT, 1);
    EXPECT_EQ(read(), 0x20 | 2);
    EXPECT_EQ(read(), 0x20 | 2) << "no acknowledge yet";
    send({'W', 255, 1});  // bad check byte: ignored
    EXPECT_EQ(read(), 0x20 | 2);
    send({'W', 255, 0});
    send({'W', 255, 0});  // a second 255 without a 127 between takes nothing more
    EXPECT_EQ(read(), 0x20 | 16);
    send({'x', 'W', 255, 0});  // noise before a message is skipped
    EXPECT_EQ(read(), 0x7F);
}

// Protocol 2: every code carries a number; a damaged acknowledge leaves the code
// presented under the same number, an acknowledge of another number takes nothing.
TEST_F(BridgeSketch, NumberedCodeIsRepeatedUntilItsNumberIsAcknowledged) {
    int n = -1;
    EXPECT_EQ(version(n), 2);
    EXPECT_EQ(n, 0) << "nothing presented yet";
    game(2);
    pulse(sketch::PIN_OUT, 1);
    EXPECT_EQ(readNumbered(n), 0x20 | 2);
    EXPECT_EQ(n, 1);
    send({'K', 1, 0xFF});  // damaged on the way
    EXPECT_EQ(readNumbered(n), 0x20 | 2);
    EXPECT_EQ(n, 1);
    EXPECT_EQ(version(n), 2);
    EXPECT_EQ(n, 1) << "the code already sent";
    send({'K', 2, 0xFD});  // not the number presented
    EXPECT_EQ(readNumbered(n), 0x20 | 2);
    send({'K', 1, 0xFE});
    send({'K', 1, 0xFE});  // a second one takes nothing more
    EXPECT_EQ(readNumbered(n), 0x20 | 16);
    EXPECT_EQ(n, 2);
    send({'K', 2, 0xFD});
    EXPECT_EQ(readNumbered(n), 0x7F);
    EXPECT_EQ(n, 0);
    // A protocol-1 read of the same bridge is answered as before.
    EXPECT_EQ(read(), 0x7F);
}

TEST_F(BridgeSketch, NumbersRunFrom1To255AndOnFrom1) {
    int n = 0, last = 0;
    for (int i = 0; i < 256; ++i) {
        sketch::push(16);
        ASSERT_EQ(readNumbered(n), 0x20 | 16);
        EXPECT_EQ(n, last == 255 ? 1 : last + 1);
        send({'K', static_cast<std::uint8_t>(n), static_cast<std::uint8_t>(n ^ 0xFF)});
        last = n;
    }
    EXPECT_EQ(last, 1);
}

}  // namespace
