// Messages from a broker, as anyone allowed to publish under the prefix could
// send them, through the hall page's collector: whatever comes, it keeps at
// most its limits, never crashes, and every tile and list it gives is JSON.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

#include "hall/hall_collector.h"

using namespace tobrak::hall;

namespace {

void require(bool ok) {
    if (!ok) std::abort();
}

bool json(const std::string& s) { return nlohmann::json::accept(s); }

}  // namespace

// Each message: one byte of length for the topic's machine and leaf, then two
// bytes of payload length, then the payload.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    HallLimits limits;
    limits.maxMachines = 8;
    limits.maxPayload = 4096;
    limits.graphPoints = 6;
    HallCollector c("tobrak/", limits);
    static const char* const kLeaves[] = {"online", "state", "game", "bonus", "other"};
    std::size_t at = 0;
    std::int64_t now = 0;
    while (at + 3 <= size) {
        const std::uint8_t head = data[at];
        const std::size_t n = std::size_t{data[at + 1]} | std::size_t{data[at + 2]} << 8;
        at += 3;
        const std::string_view payload(reinterpret_cast<const char*>(data + at), std::min(n, size - at));
        at += payload.size();
        // A few machine ids (some not allowed) and the leaves, from the head byte.
        static const char* const kIds[] = {"a", "b-1", "c", "d", "e", "f", "g", "h", "i", "J", "", "k/l"};
        const std::string topic =
            std::string(head & 0x80 ? "tobrak/" : "other/") + kIds[(head >> 3) % 12] + "/" + kLeaves[head % 5];
        c.take(topic, payload, ++now);
        require(c.machines() <= limits.maxMachines);
        if (head & 0x40)
            for (const std::string& t : c.takeChanged()) require(json(t));
    }
    require(json(c.json()));
    return 0;
}
