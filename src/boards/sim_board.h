#pragma once
// A simulated machine as an event source. It plays like a real machine (mostly
// 3-medal games, replays, small wins, BB and RB runs) and hands over at most one
// event code per board poll, as a real board's handshake allows. Time advances by
// one poll period times the speed on every poll, so a seed replays exactly.
#include <cstdint>
#include <deque>
#include <random>
#include <vector>

#include "session/event_source.h"

namespace tobrak {

struct SimOptions {
    std::uint64_t seed = 1;
    double speed = 1.0;    // machine time per poll = 80 ms x speed (0 < speed <= 100)
    bool keepLog = false;  // remember every generated code (tests)
};

class SimBoard final : public EventSource {
public:
    explicit SimBoard(SimOptions opt = {});

    // Always reachable. A full record: the player stands up; the last game's
    // payouts still come, no new game starts until there is room again.
    void poll(EventSink& sink, bool recordFull) override;

    // Codes in the order the machine produced them (with keepLog).
    const std::vector<std::uint8_t>& generated() const { return generated_; }

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
    std::vector<std::uint8_t> generated_;
};

}  // namespace tobrak
