#pragma once
// A started headless program on a scripted board, with the graph calls recorded.
#include <string>
#include <vector>

#include "acquisition/rs232.h"
#include "platform/headless/memory_ui.h"
#include "platform/headless/scripted_board.h"

namespace tobrak::test {

struct GraphCall {
    std::string what;  // "ghp", "zoom", "main", "zoomtext", "clr", "dispall", "redraw", "x4", "x4line", ...
    float x = 0, y = 0;
    int value = 0;
    bool operator==(const GraphCall&) const = default;
};

class RecordingGraph final : public ViewHooks {
public:
    void Ghp1Disp(std::uint8_t b) override { calls.push_back({"ghp", 0, 0, b}); }
    void Zoom1sub(std::uint8_t b) override { calls.push_back({"zoom", 0, 0, b}); }
    void printMain(float x, float y, std::int32_t v) override { calls.push_back({"main", x, y, v}); }
    void printZoom(float x, float y, std::int32_t v) override { calls.push_back({"zoomtext", x, y, v}); }
    void GhpClrInit() override { calls.push_back({"clr"}); }
    void GhpDispAll() override { calls.push_back({"dispall"}); }
    void standardRedraw() override { calls.push_back({"redraw"}); }
    void X4GhpInit() override { calls.push_back({"x4"}); }
    void X4_Line() override { calls.push_back({"x4line"}); }
    void G_zoom_Click(int i) override { calls.push_back({"zoomsel", 0, 0, i}); }
    void Sub_ZoomMove() override { calls.push_back({"zoommove"}); }
    void Kaiseki_Click(int i) override { calls.push_back({"kaiseki", 0, 0, i}); }
    std::vector<GraphCall> of(const std::string& what) const {
        std::vector<GraphCall> r;
        for (const auto& c : calls)
            if (c.what == what) r.push_back(c);
        return r;
    }
    std::vector<GraphCall> calls;
};

struct Rig {
    headless::ScriptedBoard board;
    RecordingGraph graph;
    headless::HeadlessApp app{&board, &graph};
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
