#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>

#include "hall/hall_collector.h"

namespace tobrak::hall {
namespace {

using Json = nlohmann::json;

std::string state(int games, int balance, const std::string& number, const std::string& name = "サンプル機", int bb = 1,
                  int rb = 2, const char* bonus = nullptr) {
    Json j = {{"format", 1},
              {"games", games},
              {"balance", balance},
              {"since_bonus", 7},
              {"counters", {{"BB_Cnt", bb}, {"RB_Cnt", rb}}},
              {"odds", {{"combined", 33.5}}},
              {"bonus", bonus ? Json{{"kind", bonus}} : Json()},
              {"machine", {{"name", name}, {"hall", "駅前"}, {"number", number}}}};
    return j.dump();
}

std::string game(long long run, int seq, int g, int balance) {
    return Json{{"run", run}, {"seq", seq}, {"game", g}, {"in", 3}, {"out", 0}, {"balance", balance}}.dump();
}

Json tiles(HallCollector& c) { return Json::parse(c.json())["machines"]; }

TEST(HallCollector, TilesFromStateOnlineAndOrderByNumber) {
    HallCollector c("tobrak/");
    EXPECT_TRUE(c.take("tobrak/m-112/state", state(500, -120, "112", "B機", 2, 1, "BB"), 1));
    EXPECT_TRUE(c.take("tobrak/m-12/state", state(40, 60, "12"), 2));
    EXPECT_TRUE(c.take("tobrak/m-none/online", "online", 3));
    EXPECT_TRUE(c.take("tobrak/m-x/state", state(1, 0, "A-3"), 4));
    const Json t = tiles(c);
    ASSERT_EQ(t.size(), 4u);
    // Numbers as numbers ("12" before "112"), then other numbers, then machines without one.
    EXPECT_EQ(t[0]["number"], "12");
    EXPECT_EQ(t[1]["number"], "112");
    EXPECT_EQ(t[2]["number"], "A-3");
    EXPECT_EQ(t[3]["id"], "m-none");
    EXPECT_EQ(t[1]["name"], "B機");
    EXPECT_EQ(t[1]["games"], 500);
    EXPECT_EQ(t[1]["balance"], -120);
    EXPECT_EQ(t[1]["bb"], 2);
    EXPECT_EQ(t[1]["rb"], 1);
    EXPECT_EQ(t[1]["since"], 7);
    EXPECT_EQ(t[1]["combined"], 33.5);
    EXPECT_EQ(t[1]["bonus"], "BB");
    EXPECT_TRUE(t[1]["online"]);  // a state comes from a logger that is there
    EXPECT_TRUE(t[0]["bonus"].is_null());
    EXPECT_FALSE(Json::parse(c.json())["broker"]);
    c.setBroker(true);
    EXPECT_TRUE(Json::parse(c.json())["broker"]);

    c.takeChanged();
    EXPECT_TRUE(c.take("tobrak/m-12/online", "offline", 5));
    const auto changed = c.takeChanged();
    ASSERT_EQ(changed.size(), 1u);
    EXPECT_FALSE(Json::parse(changed[0])["online"]);
    // A retained "online" cleared retires the machine; the page is told it is gone.
    EXPECT_TRUE(c.take("tobrak/m-12/online", "", 6));
    EXPECT_EQ(c.machines(), 3u);
    const auto gone = c.takeChanged();
    ASSERT_EQ(gone.size(), 1u);
    EXPECT_EQ(Json::parse(gone[0]), (Json{{"id", "m-12"}, {"gone", true}}));
    EXPECT_TRUE(c.takeChanged().empty());
}

TEST(HallCollector, GamesCountedWithGapsRepeatsAndRuns) {
    HallCollector c("tobrak/");
    for (int s = 1; s <= 5; ++s) EXPECT_TRUE(c.take("tobrak/m/game", game(100, s, s, -3 * s), s));
    EXPECT_FALSE(c.take("tobrak/m/game", game(100, 3, 3, -9), 9));   // sent again after a reconnection
    EXPECT_TRUE(c.take("tobrak/m/game", game(100, 9, 9, -27), 10));  // 6..8 never came
    // A later run starts its seq at 1: what it sent before the page saw it is not missed.
    EXPECT_TRUE(c.take("tobrak/m/game", game(200, 4, 10, -30), 11));
    // The earlier run's queue may still come after the new run began.
    EXPECT_TRUE(c.take("tobrak/m/game", game(100, 10, 11, -33), 12));
    const Seen s = c.seen("m");
    EXPECT_EQ(s.games, 8u);
    EXPECT_EQ(s.missed, 3u);
    EXPECT_EQ(s.repeated, 1u);
    EXPECT_EQ(s.lastGame, 11);
    const Json t = tiles(c)[0];
    EXPECT_EQ(t["graph"].back(), (Json{11, -33}));
    EXPECT_EQ(t["last_game"], 11);
}

TEST(HallCollector, GraphThinnedAndStartedAgainForANewRecord) {
    HallLimits l;
    l.graphPoints = 10;
    HallCollector c("p/", l);
    for (int g = 1; g <= 1000; ++g) c.take("p/m/game", game(1, g, g, g * 2), g);
    Json graph = tiles(c)[0]["graph"];
    EXPECT_LE(graph.size(), 2 * l.graphPoints);
    EXPECT_GE(graph.size(), l.graphPoints);
    EXPECT_EQ(graph.back(), (Json{1000, 2000}));  // the newest always stays
    EXPECT_EQ(graph.front(), (Json{1, 2}));
    for (const Json& p : graph) EXPECT_EQ(p[1], p[0].get<int>() * 2);  // every point is a real game's
    // The record cleared: its state says 3 games, the old slump goes; new games draw from there.
    c.take("p/m/state", state(3, 5, "1"), 2000);
    c.take("p/m/game", game(2, 1, 3, 5), 2001);
    graph = tiles(c)[0]["graph"];
    ASSERT_EQ(graph.size(), 2u);
    EXPECT_EQ(graph.back(), (Json{3, 5}));
    EXPECT_LE(graph[0][0].get<int>(), 3);
}

TEST(HallCollector, WhateverIsPublishedIsBounded) {
    HallLimits l;
    l.maxMachines = 2;
    l.maxPayload = 2000;
    HallCollector c("tobrak/", l);
    EXPECT_FALSE(c.take("other/m/state", state(1, 0, "1"), 1));
    EXPECT_FALSE(c.take("tobrak/m", "online", 1));
    EXPECT_FALSE(c.take("tobrak/M-UPPER/state", state(1, 0, "1"), 1));
    EXPECT_FALSE(c.take("tobrak/" + std::string(65, 'a') + "/state", state(1, 0, "1"), 1));
    EXPECT_FALSE(c.take("tobrak/m/other", "online", 1));
    EXPECT_FALSE(c.take("tobrak/m/state", "{not json", 1));
    EXPECT_FALSE(c.take("tobrak/m/state", "[1,2]", 1));
    EXPECT_FALSE(c.take("tobrak/m/online", "maybe", 1));
    EXPECT_FALSE(c.take("tobrak/m/game", R"({"run":1,"seq":0,"game":1})", 1));
    EXPECT_FALSE(c.take("tobrak/m/game", R"({"run":1,"seq":"1","game":1})", 1));
    EXPECT_FALSE(c.take("tobrak/m/state", std::string(2001, ' '), 1));
    EXPECT_EQ(c.machines(), 0u);
    // Figures of the wrong type leave the tile as it was; a name is cut, never inside a character.
    EXPECT_TRUE(c.take("tobrak/a/state", state(10, 5, "1", std::string(79, 'x') + "機機"), 1));
    EXPECT_TRUE(c.take("tobrak/a/state", R"({"games":"many","balance":1.5,"counters":[]})", 2));
    const Json t = tiles(c)[0];
    EXPECT_EQ(t["games"], 10);
    EXPECT_EQ(t["balance"], 5);
    EXPECT_EQ(t["name"], std::string(79, 'x'));
    EXPECT_TRUE(c.take("tobrak/b/online", "online", 3));
    EXPECT_FALSE(c.take("tobrak/c/online", "online", 4));  // beyond the limit of machines
    EXPECT_EQ(c.machines(), 2u);
    EXPECT_EQ(c.refused(), 12u);
    EXPECT_NO_THROW(Json::parse(c.json()));
}

}  // namespace
}  // namespace tobrak::hall
