#pragma once
// Publishing a recording to an MQTT broker: --mqtt URL, --mqtt-auth FILE,
// --mqtt-ca FILE, --mqtt-prefix P and --ha-discovery of `record`.
#include <memory>
#include <ostream>
#include <string>

#include "live/live_hub.h"
#include "session/session.h"

namespace CLI {
class App;
}

namespace tobrak {
class BrokerPublisher;
class LiveFeed;
}  // namespace tobrak

namespace tobrak::cli {

struct MqttArgs {
    std::string url;  // empty: no broker
    std::string auth, ca;
    std::string prefix = "tobrak/";
    bool haDiscovery = false;  // Home Assistant finds the machine's sensors
};
void mqttOptions(CLI::App* cmd, MqttArgs& a);
// --mqtt-auth, --mqtt-ca and --mqtt-prefix alone (for a command that names its broker otherwise).
void mqttLoginOptions(CLI::App* cmd, MqttArgs& a);
// The user (first line) and password (second line) of a login file; empty, or why not.
std::string readMqttAuth(const std::string& path, std::string& user, std::string& password);

// The publisher while `record` runs.
class MqttLink {
public:
    MqttLink();
    ~MqttLink();
    MqttLink(const MqttLink&) = delete;
    MqttLink& operator=(const MqttLink&) = delete;
    // Starts publishing `s` when a broker is set (`hub`: the live view's, whose
    // state is published; null: one of its own). The queue on disk stands in
    // `journalDir`, or beside the library. Empty on success, else what is wrong.
    std::string start(Session& s, const MqttArgs& a, const std::string& machine, const std::string& journalDir,
                      live::LiveHub* hub);
    // What the publisher has to tell, each line once.
    void tell(std::ostream& err);
    // The last game and "offline"; waits a little for the broker.
    void finish(std::ostream& err);

private:
    std::unique_ptr<live::LiveHub> hub_;
    std::unique_ptr<LiveFeed> feed_;
    std::unique_ptr<BrokerPublisher> pub_;
};

}  // namespace tobrak::cli
