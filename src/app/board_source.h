#pragma once
// Transitional: a port-0 board as an event source.
#include "platform/board.h"
#include "platform/board_protocol.h"
#include "session/event_source.h"

namespace tobrak {

class BoardSource final : public EventSource {
public:
    explicit BoardSource(Board* b = nullptr) : b_(b) {}
    void set(Board* b) { b_ = b; }
    Board* board() const { return b_; }
    std::uint8_t value() const { return v_; }
    void poll(EventSink& sink, bool full) override {
        if (!b_) return sink.boardState(false);
        b_->uio_find();
        b_->uio_out(0, kOutRead, 0);
        b_->setRecordFull(full);
        const std::int32_t r = b_->uio_inp(v_, 0, 0);
        sink.boardState(r == 0);
        if (r != 0 || (v_ & 64) == 64) return;
        b_->uio_out(0, kOutAck, 0);
        v_ &= 31;
        sink.arrived(v_);
    }

private:
    Board* b_;
    std::uint8_t v_ = 0;
};

}  // namespace tobrak
