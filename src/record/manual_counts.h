#pragma once
// What the player counts by hand beside the board's signals (ブドウ, チェリー, a
// setting hint …): up to eight counters, named by the machine profile.
#include <cstdint>
#include <string>
#include <vector>

namespace tobrak {

constexpr std::size_t kMaxCounters = 8;
constexpr std::size_t kMaxCounterName = 64;  // bytes of UTF-8

struct ManualCount {
    std::string name;
    std::int32_t count = 0;
    bool operator==(const ManualCount&) const = default;
};
using ManualCounts = std::vector<ManualCount>;

// Counters named `names` (the first kMaxCounters, each cut to kMaxCounterName
// bytes at a character's start), keeping what `old` counted under the same name.
ManualCounts renamedCounts(const ManualCounts& old, const std::vector<std::string>& names);

}  // namespace tobrak
