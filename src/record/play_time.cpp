#include "record/play_time.h"

#include <chrono>
#include <cstdio>
#include <ctime>

namespace tobrak {

WallTime wallNow() {
    const auto now = std::chrono::system_clock::now();
    const std::int64_t ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count();
    const std::time_t t = static_cast<std::time_t>(ms / 1000);
    std::tm local{};
    localtime_r(&t, &local);
    return {ms, static_cast<std::int16_t>(local.tm_gmtoff / 60)};
}

std::string isoTime(const WallTime& w) {
    const std::time_t t = static_cast<std::time_t>(w.unixMs / 1000 + w.offsetMin * 60);
    std::tm u{};
    gmtime_r(&t, &u);
    char buf[48];
    const int off = w.offsetMin < 0 ? -w.offsetMin : w.offsetMin;
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:%02d:%02d.%03d%c%02d:%02d", u.tm_year + 1900, u.tm_mon + 1,
                  u.tm_mday, u.tm_hour, u.tm_min, u.tm_sec, static_cast<int>(w.unixMs % 1000),
                  w.offsetMin < 0 ? '-' : '+', off / 60, off % 60);
    return buf;
}

}  // namespace tobrak
