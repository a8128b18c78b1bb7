#pragma once
// One poll of an event source, as the session would see it.
#include <gtest/gtest.h>

#include <vector>

#include "session/event_source.h"

namespace tobrak::test {

struct Polled final : EventSink {
    int states = 0;  // boardState calls
    bool reachable = false;
    std::vector<std::uint8_t> codes;
    void boardState(bool r) override {
        ++states;
        reachable = r;
    }
    void arrived(std::uint8_t code) override {
        EXPECT_TRUE(states == 1 && reachable) << "a code before a reachable state";
        codes.push_back(code);
    }
};

inline Polled pollOnce(EventSource& source, bool recordFull = false) {
    Polled p;
    source.poll(p, recordFull);
    EXPECT_EQ(p.states, 1) << "the state is said once a poll";
    return p;
}

}  // namespace tobrak::test
