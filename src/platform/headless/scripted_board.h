#pragma once
// A board that answers each read from a script: a byte with a successful read,
// or a failed read. An exhausted script reads as idle (0x7F).
#include <cstdint>
#include <deque>
#include <vector>

#include "platform/board.h"

namespace tobrak::headless {

class ScriptedBoard final : public Board {
public:
    void pushByte(std::uint8_t v) { reads_.push_back({0, v}); }
    void pushFailure() { reads_.push_back({1, 0}); }
    std::size_t pending() const { return reads_.size(); }

    std::int32_t uio_find() override { return 0; }
    std::int32_t uio_out(std::int32_t port, std::int32_t value, std::int32_t) override {
        outs.push_back(static_cast<std::uint8_t>(value));
        if (port == 0 && value == 255) ++acks;
        return 0;
    }
    std::int32_t uio_inp(std::uint8_t& value, std::int32_t, std::int32_t) override {
        ++reads;
        if (reads_.empty()) {
            value = 0x7F;
            return 0;
        }
        const Read r = reads_.front();
        reads_.pop_front();
        if (r.result == 0) value = r.byte;
        return r.result;
    }

    int acks = 0;
    int reads = 0;
    std::vector<std::uint8_t> outs;

private:
    struct Read {
        std::int32_t result;
        std::uint8_t byte;
    };
    std::deque<Read> reads_;
};

}  // namespace tobrak::headless
