#pragma once
// The digital I/O board, exactly as the poll uses it: port 0 only.
#include <cstdint>

namespace tobrak {

class Board {
public:
    virtual ~Board() = default;
    // Looks for the board; the result is not used by the poll.
    virtual std::int32_t uio_find() = 0;
    // Drives `value` on `port`; the result is not used by the poll.
    virtual std::int32_t uio_out(std::int32_t port, std::int32_t value, std::int32_t flags) = 0;
    // Reads `port` into `value`; 0 means a valid read, anything else: board not reachable.
    // On a failed read `value` may be left as it was.
    virtual std::int32_t uio_inp(std::uint8_t& value, std::int32_t port, std::int32_t flags) = 0;
    // Told before every read whether the record can take another game. A real
    // machine plays on regardless; a simulated one stops starting games.
    virtual void setRecordFull(bool) {}
};

// No board at all: every read fails.
class NoBoard final : public Board {
public:
    std::int32_t uio_find() override { return -1; }
    std::int32_t uio_out(std::int32_t, std::int32_t, std::int32_t) override { return -1; }
    std::int32_t uio_inp(std::uint8_t&, std::int32_t, std::int32_t) override { return -1; }
};

}  // namespace tobrak
