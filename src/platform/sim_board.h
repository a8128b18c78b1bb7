#pragma once
// A simulated machine behind the board interface. It plays like a real machine
// (mostly 3-medal games, replays, small wins, BB and RB runs) and hands over one
// event code at a time exactly as the board does: the code is presented with
// bit 6 low and held until the program acknowledges it (255 written after the
// 127 of the poll); between codes bit 6 is high. Time advances by one poll
// period (times the speed) on every read, so a seed replays exactly.
#include <cstdint>
#include <deque>
#include <random>
#include <vector>

#include "platform/board.h"

namespace tobrak {

struct SimOptions {
    std::uint64_t seed = 1;
    double speed = 1.0;    // machine time per poll = 80 ms x speed
    bool keepLog = false;  // remember every generated code (tests)
};

class SimBoard final : public Board {
public:
    explicit SimBoard(SimOptions opt = {});

    std::int32_t uio_find() override { return 0; }
    std::int32_t uio_out(std::int32_t port, std::int32_t value, std::int32_t flags) override;
    std::int32_t uio_inp(std::uint8_t& value, std::int32_t port, std::int32_t flags) override;

    // Codes in the order the machine produced them (with keepLog).
    const std::vector<std::uint8_t>& generated() const { return generated_; }
    // Codes the program has acknowledged, in order (with keepLog).
    const std::vector<std::uint8_t>& taken() const { return taken_; }
    // A full record: the player stands up. The last game's payouts still come;
    // no new game starts until there is room again.
    void setRecordFull(bool full) override { full_ = full; }

private:
    enum class Mode { Normal, BB, RB };
    struct Event {
        double due;
        std::uint8_t code;
    };

    void push(double due, std::uint8_t code);
    void playGame();
    void startBonus(Mode m, double at);
    std::uint32_t roll(std::uint32_t n);  // 0 .. n-1
    bool chance(std::uint32_t oneIn) { return roll(oneIn) == 0; }

    SimOptions opt_;
    std::mt19937_64 rng_;
    std::deque<Event> queue_;
    double now_ = 0.0;
    double nextGame_ = 300.0;  // the first game starts at once
    Mode mode_ = Mode::Normal;
    int bonusLeft_ = 0;
    bool replay_ = false;
    bool presenting_ = false;
    bool full_ = false;
    bool seen_ = false;  // the presented code has been read
    std::uint8_t current_ = 0;
    std::int32_t lastOut_ = 255;
    std::vector<std::uint8_t> generated_, taken_;
};

}  // namespace tobrak
