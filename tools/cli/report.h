#pragma once
// JSON pieces shared by the subcommands.
#include <array>

#include <nlohmann/json.hpp>

#include "app/state_json.h"
#include "session/session.h"
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
// The hand counters as [{"name", "count"}], in their keys' order.
Json handCountsJson(const ManualCounts& counts);
// The value texts of pages 0, 1 and 2 as the panel works them out from these
// counters, showing each page in turn; `fig` ends with every page's figures.
std::array<PageTexts, 3> sessionPages(const Counters& cnt, Figures* fig = nullptr);
Json pagesJson(const std::array<PageTexts, 3>& pages);

}  // namespace tobrak::cli
