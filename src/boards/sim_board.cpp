#include "boards/sim_board.h"

#include <algorithm>
#include <cmath>

namespace tobrak {

namespace {
constexpr std::uint8_t kPayout = code::Payout, kBBStart = code::BBStart, kBBEnd = code::BBEnd, kRBStart = code::RBStart,
                       kRBEnd = code::RBEnd;
constexpr std::uint8_t kBBLamp = 8, kRBLamp = 4;
}  // namespace

SimBoard::SimBoard(SimOptions opt) : opt_(opt), rng_(opt.seed) {}

std::uint32_t SimBoard::roll(std::uint32_t n) {
    // Plain modulo of the engine's output: the same on every platform.
    return static_cast<std::uint32_t>(rng_() % n);
}

void SimBoard::push(double due, std::uint8_t code) {
    queue_.push_back({due, code});
    if (opt_.keepLog) generated_.push_back(code);
}

void SimBoard::startBonus(Mode m, double at) {
    mode_ = m;
    bonusLeft_ = m == Mode::BB ? 25 + static_cast<int>(roll(6)) : 8 + static_cast<int>(roll(5));
    push(at, m == Mode::BB ? kBBStart : kRBStart);
}

void SimBoard::playGame() {
    const double t0 = now_;
    int pay = 0;
    if (mode_ == Mode::Normal) {
        const std::uint8_t bet = replay_ ? 0 : 3;
        replay_ = false;
        push(t0, bet);
        Mode hit = Mode::Normal;
        if (chance(250))
            hit = Mode::BB;
        else if (chance(400))
            hit = Mode::RB;
        if (hit == Mode::Normal) {
            const std::uint32_t r = roll(6000);
            if (r < 820)
                replay_ = true;  // about 1 in 7.3
            else if (r < 820 + 750)
                pay = 8;  // bell, 1 in 8
            else if (r < 1570 + 150)
                pay = 10;
            else if (r < 1720 + 120)
                pay = 2;  // cherry
            else if (r < 1840 + 60)
                pay = 4;
            else if (r < 1900 + 60)
                pay = 15;  // watermelon, 1 in 100
        }
        for (int i = 0; i < pay; ++i) push(t0 + 2000 + 100 * i, kPayout);
        if (hit != Mode::Normal) startBonus(hit, t0 + 3000);
        nextGame_ = t0 + 4100 + roll(1500);
        return;
    }
    // A bonus game: BB games bet 3, RB games bet 1; most of them pay 15.
    const bool bb = mode_ == Mode::BB;
    push(t0, bb ? (kBBLamp | 3) : (kRBLamp | 1));
    const std::uint32_t r = roll(20);
    if (bb)
        pay = r < 14 ? 15 : (r < 16 ? 8 : 0);
    else
        pay = r < 13 ? 15 : 0;
    for (int i = 0; i < pay; ++i) push(t0 + 2000 + 100 * i, kPayout);
    nextGame_ = t0 + 4100 + roll(1000);
    if (--bonusLeft_ > 0) return;
    push(t0 + 3600, bb ? kBBEnd : kRBEnd);
    mode_ = Mode::Normal;
    // Now and then a BB follows an RB with no normal game between.
    if (!bb && chance(8)) startBonus(Mode::BB, t0 + 3700);
}

void SimBoard::poll(EventSink& sink, bool recordFull) {
    sink.boardState(true);
    // A faster machine is as many board polls as fit in this one, each of at most
    // 80 ms of machine time with one code, so speed n hands over what n polls of
    // speed 1 would. A new game ends the poll: the program sees every game on a
    // poll of its own, and a full record is known before the next one starts.
    const int steps = std::max(1, static_cast<int>(std::ceil(opt_.speed)));
    const double step = kPollMs * opt_.speed / steps;
    for (int i = 0; i < steps; ++i) {
        now_ += step;
        if (queue_.empty() && now_ >= nextGame_ && !recordFull) playGame();
        // A game code is a code without the event bit; a full record takes none.
        const bool held = recordFull && !queue_.empty() && (queue_.front().code & 16) == 0;
        if (held || queue_.empty() || queue_.front().due > now_) continue;
        const std::uint8_t c = queue_.front().code;
        queue_.pop_front();
        sink.arrived(c);
        if ((c & 16) == 0) return;
    }
}

}  // namespace tobrak
