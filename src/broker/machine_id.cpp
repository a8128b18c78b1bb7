#include "broker/machine_id.h"

#include <cstdint>
#include <cstdio>

namespace tobrak {

std::string machineTopicId(const std::string& name) {
    std::string slug;
    bool gap = false;
    for (const char ch : name) {
        const auto c = static_cast<unsigned char>(ch);
        const bool letter = (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
        const bool upper = c >= 'A' && c <= 'Z';
        if (!letter && !upper) {
            gap = !slug.empty();
            continue;
        }
        if (slug.size() >= 24) break;
        if (gap) slug += '-';
        gap = false;
        slug += upper ? static_cast<char>(c - 'A' + 'a') : static_cast<char>(c);
    }
    if (slug.size() > 24) slug.resize(24);
    while (!slug.empty() && slug.back() == '-') slug.pop_back();
    if (slug.empty()) slug = "machine";
    // FNV-1a over the UTF-8 bytes: the same on every computer and compiler.
    std::uint32_t h = 2166136261u;
    for (const char ch : name) {
        h ^= static_cast<unsigned char>(ch);
        h *= 16777619u;
    }
    char hex[9];
    std::snprintf(hex, sizeof hex, "%08x", static_cast<unsigned>(h));
    return slug + "-" + hex;
}

std::string machineBrokerName(const std::string& name, const std::string& hall, const std::string& number) {
    std::string out;
    const auto add = [&out](const std::string& part) {
        if (!part.empty()) out += (out.empty() ? "" : " ") + part;
    };
    add(name);
    add(hall);
    static const std::string kBan = "番台";
    add(number.empty() || number.ends_with(kBan) ? number : number + kBan);
    return out;
}

}  // namespace tobrak
