// `hall`: a page over every machine that publishes to a broker, as a hall's
// data display shows them: one tile each, current through server-sent events.
#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif
#include <chrono>
#include <csignal>
#include <iostream>
#include <mutex>
#include <string>
#include <thread>

#include "broker/broker_subscriber.h"
#include "broker/machine_id.h"
#include "broker/mqtt_client.h"
#include "commands.h"
#include "hall/hall_collector.h"
#include "hall/hall_site.h"
#include "live/live_server.h"
#include "mqtt.h"
#include "record/play_time.h"

namespace tobrak::cli {

namespace {
volatile std::sig_atomic_t g_stopHall = 0;
void onHallSignal(int) { g_stopHall = 1; }

// Changed tiles go to the page at most this often: a hall of machines at play
// sends thousands of games a second, a page wants a few updates.
constexpr auto kBatch = std::chrono::milliseconds(100);

std::string hostName() {
#ifdef _WIN32
    char buf[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD n = sizeof buf;
    if (!GetComputerNameA(buf, &n)) return "host";
#else
    char buf[256] = {};
    if (gethostname(buf, sizeof buf - 1) != 0) return "host";
#endif
    return buf;
}
}  // namespace

int hall(const HallArgs& a, Io& io) {
    auto fail = [&](const std::string& why) {
        io.err << "tobrak-cli: hall: " << why << "\n";
        return 2;
    };
    BrokerSubscriber::Options o;
    o.url = a.broker;
    o.caFile = a.mqtt.ca;
    o.prefix = topicPrefix(a.mqtt.prefix);
    if (!a.mqtt.auth.empty())
        if (std::string why = readMqttAuth(a.mqtt.auth, o.user, o.password); !why.empty()) return fail(why);
    if (std::string why = BrokerSubscriber::check(o); !why.empty()) return fail(why);
    live::ListenAddress at;
    if (std::string why = live::parseListen(a.live.listen, at); !why.empty()) return fail(why);
    // One page per port of this computer: its id on the broker stays, and the
    // games sent while it was away come when it is back.
    if (at.port != 0)
        o.clientId = "tobrak-hall-" + machineTopicId(hostName() + ":" + std::to_string(at.port) + ":" + o.prefix);

    hall::HallLimits limits;
    limits.maxMachines = a.maxMachines;
    hall::HallCollector collector(o.prefix, limits);
    std::mutex m;
    BrokerSubscriber sub(o, [&](std::string_view topic, std::string_view payload) {
        std::lock_guard lock(m);
        collector.take(topic, payload, wallNow().unixMs);
    });
    live::LiveHub hub;
    hub.setState(collector.json());
    live::LiveServer server(hub, a.live.token, {}, hall::hallSite());

    g_stopHall = 0;
    const StopSignals stopSignals(onHallSignal);
    if (std::string why = server.start(at); !why.empty()) return fail(why);
    if (std::string why = sub.start(); !why.empty()) return fail(why);
    io.err << "hall page: " << server.url() << "\n" << std::flush;

    bool brokerThere = false;
    while (!g_stopHall) {
        std::this_thread::sleep_for(kBatch);
        for (const std::string& line : sub.takeNotices()) io.err << line << "\n" << std::flush;
        if (sub.refusedAtStart()) {
            io.err << "tobrak-cli: hall: check the user and password in "
                   << (a.mqtt.auth.empty() ? "--mqtt-auth" : a.mqtt.auth) << "\n";
            return 1;
        }
        std::vector<std::string> changed;
        std::string all;
        const bool there = sub.connected(), flipped = there != brokerThere;
        brokerThere = there;
        {
            std::lock_guard lock(m);
            collector.setBroker(there);
            changed = collector.takeChanged();
            if (!changed.empty() || flipped) all = collector.json();
        }
        if (flipped)
            hub.publish(std::string("{\"event\":\"broker\",\"connected\":") + (there ? "true" : "false") + "}");
        if (!all.empty()) hub.setState(std::move(all));
        if (changed.empty()) continue;
        std::string e = "{\"event\":\"tiles\",\"machines\":[";
        for (std::size_t i = 0; i < changed.size(); ++i) e += (i ? "," : "") + changed[i];
        hub.publish(e + "]}");
    }
    return 0;
}

}  // namespace tobrak::cli
