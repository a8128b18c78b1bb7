#pragma once
// What a hall page shows, gathered from the messages every logger publishes
// under PREFIX/ID/ (online, state, game, bonus): one tile per machine with its
// figures, a small slump graph and whether its logger is online. No network
// here: the subscriber hands each message to take().
//
// Whatever is published to the broker (by a logger, or by anyone allowed to
// publish there), the collector holds a bounded amount: so many machines, so
// large a payload, so many graph points per machine.
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace tobrak::hall {

struct HallLimits {
    std::size_t maxMachines = 1000;
    std::size_t maxPayload = 64 * 1024;  // a state is about 3 KB
    std::size_t graphPoints = 160;       // per tile; older points are thinned, the newest kept
};

// What came for one machine's games: how many distinct games, and how many of
// a run's sequence numbers never came (a queue that overflowed) or came twice
// (sent again after a reconnection).
struct Seen {
    std::uint64_t games = 0, missed = 0, repeated = 0;
    std::int32_t lastGame = 0;
};

class HallCollector {
public:
    explicit HallCollector(std::string prefix, HallLimits limits = {});
    ~HallCollector();
    HallCollector(const HallCollector&) = delete;
    HallCollector& operator=(const HallCollector&) = delete;

    // One message, arrived at `nowMs` (UTC ms). Whether a tile changed.
    // An empty `online` (its retained message cleared) retires the machine.
    bool take(std::string_view topic, std::string_view payload, std::int64_t nowMs);
    // The tiles changed since the last call, as JSON objects; a retired
    // machine is {"id":…,"gone":true}.
    std::vector<std::string> takeChanged();
    // Every tile in the page's order (by number, then name), and whether the
    // broker is there now: {"format":1,"broker":true,"machines":[…]}.
    std::string json();
    // The broker came or went: the page says its tiles may be behind.
    void setBroker(bool connected) { broker_ = connected; }

    std::size_t machines() const { return tiles_.size(); }
    Seen seen(const std::string& id) const;
    // Messages not taken: a topic of no machine, a payload too large or not
    // understood, a machine beyond the limit.
    std::uint64_t refused() const { return refused_; }

    struct Tile;

private:
    Tile* tileFor(const std::string& id);
    const std::string& tileJson(Tile& t);
    std::string prefix_;
    HallLimits limits_;
    std::map<std::string, std::unique_ptr<Tile>> tiles_;
    std::set<std::string> changed_, gone_;
    std::uint64_t refused_ = 0;
    bool broker_ = false;
};

// A machine id as loggers make them: 1 to 64 lowercase letters, digits and '-'.
bool machineIdOk(std::string_view id);

}  // namespace tobrak::hall
