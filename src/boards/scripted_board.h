#pragma once
// A board that answers each poll from a script: the codes that poll hands over
// (none: nothing new), or a poll in which the board is not reachable. An
// exhausted script is a reachable board with nothing new.
#include <cstdint>
#include <deque>
#include <vector>

#include "session/event_source.h"

namespace tobrak {

class ScriptedBoard : public EventSource {
public:
    // One poll: its codes, or (not reachable) a board that could not be read.
    void pushPoll(std::vector<std::uint8_t> codes, bool reachable = true) {
        script_.push_back({reachable, std::move(codes)});
    }
    void pushCode(std::uint8_t code) { pushPoll({code}); }
    void pushIdle() { pushPoll({}); }
    // A read of the I/O board's port: bit 6 high is nothing new; a code is the low five bits.
    // Returns the value as the poll keeps it (a code masked, an idle read as read).
    std::uint8_t pushPort(std::uint8_t v) {
        if (v & 64) {
            pushIdle();
            return v;
        }
        pushCode(v & 31);
        return v & 31;
    }
    void pushFailure() { pushPoll({}, false); }
    std::size_t pending() const { return script_.size(); }

    void poll(EventSink& sink, bool recordFull) override {
        ++polls;
        full = recordFull;
        if (script_.empty()) {
            sink.boardState(true);
            return;
        }
        const Poll p = std::move(script_.front());
        script_.pop_front();
        sink.boardState(p.reachable);
        for (const std::uint8_t c : p.codes) {
            ++taken;
            sink.arrived(c);
        }
    }

    int polls = 0;      // polls answered
    int taken = 0;      // codes handed over
    bool full = false;  // what the last poll said of the record

private:
    struct Poll {
        bool reachable;
        std::vector<std::uint8_t> codes;
    };
    std::deque<Poll> script_;
};

}  // namespace tobrak
