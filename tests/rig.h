#pragma once
// A started headless program on a scripted board, with the graph calls recorded.
#include <string>
#include <vector>

#include "acquisition/rs232.h"
#include "platform/headless/memory_ui.h"
#include "platform/headless/recording_surface.h"
#include "platform/headless/scripted_board.h"

namespace tobrak::test {

// A text drawn on a recording surface.
struct Text {
    float x, y;
    std::string text;
    bool operator==(const Text&) const = default;
};

inline std::vector<Text> textsOf(const headless::RecordingSurface& s) {
    std::vector<Text> out;
    for (const std::string& op : s.ops) {
        if (op.rfind("text ", 0) != 0) continue;
        Text t{};
        char buf[256] = {};
        std::sscanf(op.c_str(), "text %f %f \"%255[^\"]", &t.x, &t.y, buf);
        t.text = buf;
        out.push_back(t);
    }
    return out;
}

inline std::vector<std::string> linesOf(const headless::RecordingSurface& s) {
    std::vector<std::string> out;
    for (const auto& op : s.ops)
        if (op.rfind("line ", 0) == 0) out.push_back(op);
    return out;
}

inline long countOps(const headless::RecordingSurface& s, const std::string& kind) {
    long n = 0;
    for (const std::string& op : s.ops) n += op.rfind(kind, 0) == 0;
    return n;
}

struct Rig {
    headless::ScriptedBoard board;
    headless::HeadlessApp app{&board};
    Core& c = app.core;
    headless::HeadlessUi& ui = app.ui;

    // One poll reading `v` from the board.
    void poll(std::uint8_t v) {
        board.pushByte(v);
        Timer2_Timer(c);
    }
    void failedPoll() {
        board.pushFailure();
        Timer2_Timer(c);
    }
    // A game code (0..15) as the board presents it: bit 6 low.
    void game(int code) { poll(static_cast<std::uint8_t>(code & 15)); }
    void pulses(int n) {
        for (int i = 0; i < n; ++i) poll(code::Payout);
    }
    void games(int code, int n, int payEach = 0) {
        for (int i = 0; i < n; ++i) {
            game(code);
            pulses(payEach);
        }
    }
    bool tick() { return ui.Timer8.fire(); }
};

}  // namespace tobrak::test
