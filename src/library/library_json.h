#pragma once
// The library's rows as JSON, one layout for `tobrak-cli sessions` and the live
// view's /api/sessions.
#include <nlohmann/json.hpp>

#include "library/library.h"

namespace tobrak {

// A time as ISO 8601 local time with its offset; null when not known.
nlohmann::ordered_json timeJson(const std::optional<WallTime>& t);
nlohmann::ordered_json sessionRowJson(const SessionRow& r);
nlohmann::ordered_json totalsRowJson(const TotalsRow& t);
// Today's sessions (the local day of `now`), newest first, and their totals:
// {"format": 1, "library": true, "day": "2026-12-09", "sessions": [...], "totals": {...}}.
std::string todaySessionsJson(Library& lib, const WallTime& now);
// What /api/sessions answers when no library is kept.
std::string noLibraryJson();

}  // namespace tobrak
