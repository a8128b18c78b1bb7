#pragma once
// A board of the test's own: a queue of polls, each one either reachable with the
// codes that arrived since the poll before, or unreachable. An empty queue reads
// as a reachable board on which nothing happened.
#include <deque>
#include <sstream>
#include <string>
#include <vector>

#include "session/event_source.h"

namespace tobrak::test {

class PollQueue final : public EventSource {
public:
    // One poll: "3 p8 25" is code 3, eight payouts, then code 25.
    void push(const std::string& script, bool reachable = true) {
        Poll p{reachable, {}};
        std::istringstream in(script);
        for (std::string t; in >> t;) {
            if (t[0] == 'p')
                p.codes.insert(p.codes.end(), static_cast<std::size_t>(std::stoi(t.substr(1))), code::Payout);
            else
                p.codes.push_back(static_cast<std::uint8_t>(std::stoi(t)));
        }
        queue_.push_back(std::move(p));
    }
    void poll(EventSink& sink, bool recordFull) override {
        ++polls;
        full = recordFull;
        Poll p;
        if (!queue_.empty()) p = queue_.front(), queue_.pop_front();
        sink.boardState(p.reachable);
        for (std::uint8_t c : p.codes) sink.arrived(c);
    }
    std::size_t pending() const { return queue_.size(); }

    int polls = 0;      // polls asked of this board
    bool full = false;  // what the last poll said of the record

private:
    struct Poll {
        bool reachable = true;
        std::vector<std::uint8_t> codes;
    };
    std::deque<Poll> queue_;
};

}  // namespace tobrak::test
