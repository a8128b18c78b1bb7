#pragma once
// JSON pieces shared by the subcommands.
#include <array>

#include <nlohmann/json.hpp>

#include "app/program.h"
#include "app/state_json.h"
#include "stats/stats_engine.h"

namespace tobrak::cli {

using Json = nlohmann::ordered_json;

// Every JSON report starts with the version of its layout ("format": 1), so that
// scripts can tell a changed layout from a changed record.
constexpr int kJsonFormat = 1;
Json newReport();
using tobrak::countersJson;
using tobrak::figuresJson;
using tobrak::shortest;
Json markersJson(const Markers& m);
// Shows panel pages 0, 1 and 2 in that order, as three clicks from page 4 do,
// and returns the value texts of each.
std::array<PageTexts, 3> showPages(Program& c);
Json pagesJson(const std::array<PageTexts, 3>& pages);
// "RRGGBB", uppercase.
std::string hexColour(Rgb c);

}  // namespace tobrak::cli
