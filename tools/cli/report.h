#pragma once
// JSON pieces shared by the subcommands.
#include <array>

#include <nlohmann/json.hpp>

#include "app/program.h"
#include "stats/stats_engine.h"

namespace tobrak::cli {

using Json = nlohmann::ordered_json;

// Every JSON report starts with the version of its layout ("format": 1), so that
// scripts can tell a changed layout from a changed record.
constexpr int kJsonFormat = 1;
Json newReport();
// A single-precision figure as the double whose shortest text reads back to the
// same float: 179.93333, not 179.93333435058594.
double shortest(float f);

// Every counter by its name, then the four bonus flags.
Json countersJson(const Program& c);
Json figuresJson(const Figures& f);
Json markersJson(const Markers& m);
// Shows panel pages 0, 1 and 2 in that order, as three clicks from page 4 do,
// and returns the value texts of each.
std::array<PageTexts, 3> showPages(Program& c);
Json pagesJson(const std::array<PageTexts, 3>& pages);
// "RRGGBB", uppercase.
std::string hexColour(Rgb c);

}  // namespace tobrak::cli
