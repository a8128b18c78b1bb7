#pragma once
// Where a session's events come from: an I/O board, the simulated machine, a
// recording. Every poll the session asks its source what arrived since the last
// one; how a board hands its codes over (a port handshake, a line protocol, a
// queue of decoded edges) stays inside that board.
#include <cstdint>
#include <string>

namespace tobrak {

// Event codes as the machine's signal lines give them. A code below 16 is a game
// start: bits 1..0 the medals bet, bits 3..2 the bonus lamps.
namespace code {
constexpr int Payout = 16;
constexpr int BBStart = 25;
constexpr int BBEnd = 24;
constexpr int RBStart = 21;
constexpr int RBEnd = 20;
}  // namespace code

constexpr int kPollMs = 80;  // the session polls its source every 80 ms

// What a source tells on each poll.
class EventSink {
public:
    virtual ~EventSink() = default;
    // Said first on every poll: whether the board could be read this time.
    virtual void boardState(bool reachable) = 0;
    // This code (0..31) arrived; codes come oldest first, only after a reachable state.
    virtual void arrived(std::uint8_t code) = 0;
};

class EventSource {
public:
    virtual ~EventSource() = default;
    // One poll: the board's state, then every code that arrived since the last poll.
    // `recordFull`: the record takes no further game (a simulated player stands up).
    virtual void poll(EventSink& sink, bool recordFull) = 0;
    // Why the board cannot be reached now; empty when nothing is known.
    virtual std::string problem() const { return {}; }
    // Something unusual the board's decoder noticed lately, for the user; empty when all is well.
    virtual std::string note() const { return {}; }
};

// No board at all: never reachable.
class NoSource final : public EventSource {
public:
    void poll(EventSink& sink, bool) override { sink.boardState(false); }
};

}  // namespace tobrak
