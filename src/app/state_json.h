#pragma once
// A session's counters and figures as JSON, as tobrak-cli reports them and the
// live view serves them.
#include <nlohmann/json.hpp>

#include "session/session.h"
#include "stats/stats_engine.h"

namespace tobrak {

// A single-precision figure as the double whose shortest text reads back to the
// same float: 179.93333, not 179.93333435058594.
double shortest(float f);
// Every counter by its name, then the four bonus flags.
nlohmann::ordered_json countersJson(const Session& s);
nlohmann::ordered_json figuresJson(const Figures& f);

}  // namespace tobrak
