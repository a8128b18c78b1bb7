#pragma once
// The scripted board with polls written as text, for the session's tests. An empty
// script reads as a reachable board on which nothing happened.
#include <sstream>
#include <string>
#include <vector>

#include "boards/scripted_board.h"

namespace tobrak::test {

class PollQueue final : public ScriptedBoard {
public:
    // One poll: "3 p8 25" is code 3, eight payouts, then code 25.
    void push(const std::string& script, bool reachable = true) {
        std::vector<std::uint8_t> codes;
        std::istringstream in(script);
        for (std::string t; in >> t;) {
            if (t[0] == 'p')
                codes.insert(codes.end(), static_cast<std::size_t>(std::stoi(t.substr(1))), code::Payout);
            else
                codes.push_back(static_cast<std::uint8_t>(std::stoi(t)));
        }
        pushPoll(std::move(codes), reachable);
    }
};

}  // namespace tobrak::test
