#pragma once
// The live view's one reader of a session: it hears every change of the record
// and publishes the state, the rows and the graph to a LiveHub, on the session's
// thread.
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "live/live_hub.h"
#include "session/session.h"
#include "stats/stats_engine.h"

namespace tobrak {

class LiveFeed : public SessionListener {
public:
    // Makes the graph's PNG from the record as a play-data file; empty when it cannot.
    using GraphPainter = std::function<std::string(const std::vector<std::uint8_t>& slt)>;

    // Listens to s from now on and publishes the state as it is.
    LiveFeed(Session& s, live::LiveHub& hub, GraphPainter painter = {});
    ~LiveFeed() override;
    LiveFeed(const LiveFeed&) = delete;
    LiveFeed& operator=(const LiveFeed&) = delete;

    void gameStarted(std::int32_t, const EventTime&) override { send("game"); }
    void payout(std::int32_t, const EventTime&) override { send("payout"); }
    void bonusStarted(Bonus k, std::int32_t, const EventTime&) override {
        send(k == Bonus::BB ? "bb_start" : "rb_start");
    }
    void bonusEnded(Bonus k, std::int32_t, const EventTime&) override { send(k == Bonus::BB ? "bb_end" : "rb_end"); }
    void recordReplaced() override;
    void headerChanged() override { send("comment"); }
    void manualCounted(int) override { send("count"); }

    // From the program's loop: the page's counter taps are applied, and the graph picture is made again at most once a
    // second, when the record changed and someone fetched it lately.
    void tick(std::chrono::steady_clock::time_point now = std::chrono::steady_clock::now());
    // The picture is made again at the next tick though the record did not change
    // (an option of the window's graph did).
    void graphChanged() { graphStale_ = true; }
    // The state as JSON, as /api/state serves it.
    std::string stateJson() const;

private:
    struct Tally {
        std::int64_t balance = 0;
        std::int32_t bonuses = 0;  // bonuses begun up to this game
        std::uint8_t state = 0;    // BonusState
    };
    void send(const char* event);
    // Rows from the first that may have changed to the newest; true when the newest moved.
    void syncRows(bool whole);
    std::string row(std::size_t i) const;

    Session& s_;
    live::LiveHub& hub_;
    mutable Figures fig_;  // worked out as the panel works them out, kept between states
    GraphPainter painter_;
    std::vector<Tally> tallies_;
    bool graphStale_ = true;
    std::chrono::steady_clock::time_point lastPaint_{};
};

}  // namespace tobrak
