// The live view's hub: events in order per watcher, a watcher that stops
// reading is dropped instead of buffered, and the watcher limit.
#include <gtest/gtest.h>

#include <thread>

#include <nlohmann/json.hpp>

#include "app/headless/headless_app.h"
#include "app/live_feed.h"
#include "boards/sim_board.h"
#include "counts/bonus_history.h"
#include "live/live_hub.h"

namespace tobrak::live {
namespace {

using namespace std::chrono_literals;

TEST(LiveHub, ASlowWatcherIsDroppedWhileOthersKeepTheirEvents) {
    LiveHub hub;
    auto reader = hub.watch();
    auto stalled = hub.watch();
    for (std::size_t i = 0; i < LiveHub::kQueueLimit; ++i) {
        hub.publish("{\"n\":" + std::to_string(i) + "}");
        auto e = reader->next(0ms);
        ASSERT_TRUE(e);
        EXPECT_EQ(e->seq, i + 1);
    }
    EXPECT_FALSE(stalled->gone());  // a full queue is kept...
    hub.publish("{}");              // ...until one more event would overflow it
    EXPECT_TRUE(stalled->gone());
    EXPECT_FALSE(stalled->next(0ms));
    EXPECT_FALSE(reader->gone());
    EXPECT_EQ(reader->next(0ms)->json, "{}");
    EXPECT_EQ(hub.watchers(), 1u);
}

TEST(LiveHub, WatcherLimitAndCloseWakeTheWaiting) {
    LiveHub hub;
    std::vector<std::shared_ptr<LiveHub::Watcher>> all;
    for (std::size_t i = 0; i < LiveHub::kMaxWatchers; ++i) all.push_back(hub.watch());
    EXPECT_FALSE(hub.watch());
    hub.leave(all.back());
    all.back() = hub.watch();
    ASSERT_TRUE(all.back());

    std::thread closer([&] {
        std::this_thread::sleep_for(50ms);
        hub.close();
    });
    const auto t = std::chrono::steady_clock::now();
    EXPECT_FALSE(all.front()->next(10s));
    EXPECT_LT(std::chrono::steady_clock::now() - t, 5s);
    EXPECT_TRUE(all.front()->gone());
    closer.join();
    EXPECT_FALSE(hub.watch());
}

// The rows kept up game by game and payout by payout match the CSV export of
// the finished record, bonus numbers included; every pulse is one event.
TEST(LiveFeed, RowsKeptDuringPlayMatchTheExport) {
    SimBoard sim({.seed = 11, .speed = 50.0});
    headless::HeadlessApp app(&sim);
    app.ui.Picture2s.logging = false;
    LiveHub hub;
    LiveFeed feed(app.program.session, hub);
    auto w = hub.watch();
    std::size_t games = 0, payouts = 0;
    while (app.program.rec.games() < 1500 || app.program.cnt.RB_Cnt < 2) {
        app.run(80);
        while (auto e = w->next(0ms)) {
            const auto j = nlohmann::json::parse(e->json);
            games += j["event"] == "game";
            payouts += j["event"] == "payout";
        }
    }
    EXPECT_EQ(static_cast<std::int32_t>(games), app.program.rec.games());
    EXPECT_EQ(static_cast<std::int32_t>(payouts), app.program.cnt.Tot_Out);
    std::string csv;
    const auto record = nlohmann::json::parse(hub.record());
    for (const auto& r : record["rows"]) {
        csv += std::to_string(r[0].get<int>()) + ',' + r[1].get<std::string>() + ',' + std::to_string(r[2].get<int>()) +
               ',' + std::to_string(r[3].get<int>()) + ',' + std::to_string(r[4].get<int>()) + ',' +
               (r[5].is_null() ? std::string() : std::to_string(r[5].get<int>())) + '\n';
    }
    const std::string expected = gamesCsv(app.program.rec, bonusHistory(app.program.rec));
    EXPECT_TRUE(csv == expected.substr(expected.find('\n') + 1));
    EXPECT_EQ(nlohmann::json::parse(hub.state())["games"], app.program.rec.games());
}

}  // namespace
}  // namespace tobrak::live
