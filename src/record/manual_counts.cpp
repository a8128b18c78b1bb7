#include "record/manual_counts.h"

#include <algorithm>

namespace tobrak {

namespace {
std::string fitName(const std::string& s) {
    if (s.size() <= kMaxCounterName) return s;
    std::size_t n = kMaxCounterName;
    while (n > 0 && (static_cast<unsigned char>(s[n]) & 0xC0) == 0x80) --n;  // not inside a character
    return s.substr(0, n);
}
}  // namespace

ManualCounts renamedCounts(const ManualCounts& old, const std::vector<std::string>& names) {
    ManualCounts out;
    for (const std::string& raw : names) {
        if (out.size() == kMaxCounters) break;
        const std::string name = fitName(raw);
        const auto was = std::ranges::find(old, name, &ManualCount::name);
        out.push_back({name, was == old.end() ? 0 : was->count});
    }
    return out;
}

}  // namespace tobrak
