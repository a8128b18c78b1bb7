#pragma once
// When something was seen: the wall-clock time with the computer's offset from
// UTC at that moment, so a session played across a change of clock keeps its order
// as the player saw it.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tobrak {

struct WallTime {
    std::int64_t unixMs = 0;     // milliseconds since 1970-01-01 UTC
    std::int16_t offsetMin = 0;  // local time minus UTC, in minutes
    bool operator==(const WallTime&) const = default;
};

// Each game's time, game 0 first; empty where nothing is known (a loaded file,
// an older journal).
using GameTimes = std::vector<std::optional<WallTime>>;

// The widest offset written as ±HH:MM: 23:59.
constexpr std::int16_t kMaxOffsetMin = 23 * 60 + 59;

// Now, with the local offset (0 when the computer does not say it).
WallTime wallNow();
// That moment with the local offset the computer gives it (a file's time).
WallTime wallAt(std::int64_t unixMs);
// Whether isoTime can write `t`: an offset within ±23:59 and a local date in the
// years 0000 to 9999. A time read from a file that is not writable is none.
bool writableTime(const WallTime& t);
// "2026-12-09T21:04:05.120+09:00" (local time, then the offset); empty for a
// time that is not writable.
std::string isoTime(const WallTime& t);
// "2026/12/09 21:04", the local time as the player saw it; empty for a time
// that is not writable.
std::string japaneseTime(const WallTime& t);
// "21:04", the local time of day; empty for a time that is not writable.
std::string clockTime(const WallTime& t);

}  // namespace tobrak
