#include "record/play_time.h"

#include <chrono>
#include <cstdio>
#include <ctime>

namespace tobrak {

namespace {

constexpr std::int64_t kDayMs = 86'400'000;
// Far beyond the years isoTime writes, far from overflowing when an offset is added.
constexpr std::int64_t kFarMs = std::int64_t{400'000} * 366 * kDayMs;

std::int64_t floorDiv(std::int64_t a, std::int64_t b) { return a / b - (a % b != 0 && (a < 0) != (b < 0)); }

struct Civil {
    std::int64_t year;
    int month, day;
};

// The proleptic Gregorian date of a day counted from 1970-01-01.
Civil civilFromDays(std::int64_t days) {
    days += 719468;  // from 0000-03-01, so that a leap day ends its year
    const std::int64_t era = floorDiv(days, 146097);
    const std::int64_t doe = days - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    const int day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    const int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    return {yoe + era * 400 + (month <= 2), month, day};
}

// The local time in milliseconds since 1970-01-01 local, when it is writable.
std::optional<std::int64_t> localMs(const WallTime& t) {
    if (t.offsetMin < -kMaxOffsetMin || t.offsetMin > kMaxOffsetMin) return std::nullopt;
    if (t.unixMs < -kFarMs || t.unixMs > kFarMs) return std::nullopt;
    const std::int64_t local = t.unixMs + std::int64_t{t.offsetMin} * 60'000;
    const std::int64_t year = civilFromDays(floorDiv(local, kDayMs)).year;
    if (year < 0 || year > 9999) return std::nullopt;
    return local;
}

}  // namespace

WallTime wallNow() {
    using namespace std::chrono;
    return wallAt(duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count());
}

WallTime wallAt(std::int64_t unixMs) {
    WallTime t;
    t.unixMs = unixMs;
    // Read the zone again each time: the computer's clock may have been set to
    // another zone while the session runs.
    std::tm tm{};
    long offsetSec = 0;
#ifdef _WIN32
    _tzset();
    const __time64_t secs = floorDiv(t.unixMs, 1000);
    if (_localtime64_s(&tm, &secs) == 0) {
        // The local calendar time read back as if it were UTC is ahead of UTC by the offset.
        const __time64_t asUtc = _mkgmtime64(&tm);
        if (asUtc != -1) offsetSec = static_cast<long>(asUtc - secs);
    }
#else
    tzset();
    const std::time_t secs = static_cast<std::time_t>(floorDiv(t.unixMs, 1000));
    if (localtime_r(&secs, &tm)) offsetSec = tm.tm_gmtoff;
#endif
    const long minutes = offsetSec / 60;
    if (minutes >= -kMaxOffsetMin && minutes <= kMaxOffsetMin) t.offsetMin = static_cast<std::int16_t>(minutes);
    return t;
}

bool writableTime(const WallTime& t) { return localMs(t).has_value(); }

std::string isoTime(const WallTime& t) {
    const std::optional<std::int64_t> local = localMs(t);
    if (!local) return {};
    const std::int64_t days = floorDiv(*local, kDayMs);
    const std::int64_t msOfDay = *local - days * kDayMs;
    const Civil c = civilFromDays(days);
    const int off = t.offsetMin < 0 ? -t.offsetMin : t.offsetMin;
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03d%c%02d:%02d", static_cast<int>(c.year), c.month,
                  c.day, static_cast<int>(msOfDay / 3'600'000), static_cast<int>(msOfDay / 60'000 % 60),
                  static_cast<int>(msOfDay / 1000 % 60), static_cast<int>(msOfDay % 1000), t.offsetMin < 0 ? '-' : '+',
                  off / 60, off % 60);
    return text;
}

std::string japaneseTime(const WallTime& t) {
    const std::optional<std::int64_t> local = localMs(t);
    if (!local) return {};
    const std::int64_t days = floorDiv(*local, kDayMs);
    const std::int64_t minuteOfDay = (*local - days * kDayMs) / 60'000;
    const Civil c = civilFromDays(days);
    char text[24];
    std::snprintf(text, sizeof text, "%04d/%02d/%02d %02d:%02d", static_cast<int>(c.year), c.month, c.day,
                  static_cast<int>(minuteOfDay / 60), static_cast<int>(minuteOfDay % 60));
    return text;
}

std::string clockTime(const WallTime& t) {
    const std::string s = japaneseTime(t);
    return s.empty() ? s : s.substr(s.size() - 5);
}

}  // namespace tobrak
