#include "mqtt.h"

#include <CLI/CLI.hpp>
#include <fstream>

#include "app/live_feed.h"
#include "broker/broker_publisher.h"
#include "broker/mqtt_client.h"
#include "library/library.h"
#include "util/paths.h"

namespace tobrak::cli {

void mqttOptions(CLI::App* cmd, MqttArgs& a) {
    cmd->add_option("--mqtt", a.url, "publish the session to this MQTT broker (mqtt://HOST[:PORT] or mqtts://…)")
        ->type_name("URL");
    mqttLoginOptions(cmd, a);
    cmd->add_flag("--ha-discovery", a.haDiscovery,
                  "tell Home Assistant (MQTT discovery) the machine's games, balance, BB and RB as sensors");
}

void mqttLoginOptions(CLI::App* cmd, MqttArgs& a) {
    cmd->add_option("--mqtt-auth", a.auth, "the broker's user (first line) and password (second line)")
        ->type_name("FILE");
    cmd->add_option("--mqtt-ca", a.ca, "the CA certificates an mqtts:// broker is checked against")->type_name("FILE");
    cmd->add_option("--mqtt-prefix", a.prefix, "the topics' prefix (default tobrak/)")->type_name("P");
}

// The user and the password of --mqtt-auth: the first two lines.
std::string readMqttAuth(const std::string& path, std::string& user, std::string& password) {
    std::ifstream in(fsPath(path), std::ios::binary);
    if (!in) return "cannot read the MQTT login file " + path;
    std::getline(in, user);
    std::getline(in, password);
    for (std::string* s : {&user, &password})
        if (!s->empty() && s->back() == '\r') s->pop_back();
    if (user.empty()) return "the MQTT login file " + path + " has no user on its first line";
    return {};
}

MqttLink::MqttLink() = default;
MqttLink::~MqttLink() {
    pub_.reset();
    feed_.reset();
}

std::string MqttLink::start(Session& s, const MqttArgs& a, const std::string& machine, const std::string& journalDir,
                            live::LiveHub* hub) {
    if (a.url.empty()) {
        if (!a.auth.empty() || !a.ca.empty() || a.haDiscovery)
            return "--mqtt-auth, --mqtt-ca and --ha-discovery are for a broker set with --mqtt";
        return {};
    }
    BrokerPublisher::Options o;
    o.url = a.url;
    o.caFile = a.ca;
    o.prefix = topicPrefix(a.prefix);
    o.haDiscovery = a.haDiscovery;
    if (!a.auth.empty())
        if (std::string why = readMqttAuth(a.auth, o.user, o.password); !why.empty()) return why;
    BrokerPublisher::setMachine(o, machine,
                                journalDir.empty() ? pathUtf8(fsPath(defaultLibraryPath()).parent_path()) : journalDir);
    if (std::string why = BrokerPublisher::check(o); !why.empty()) return why;
    if (!hub) {
        hub_ = std::make_unique<live::LiveHub>();
        feed_ = std::make_unique<LiveFeed>(s, *hub_);
        hub = hub_.get();
    }
    o.state = [hub] { return hub->state(); };
    pub_ = std::make_unique<BrokerPublisher>(s, std::move(o));
    return {};
}

void MqttLink::tell(std::ostream& err) {
    if (!pub_) return;
    for (const BrokerPublisher::Notice& n : pub_->takeNotices()) err << n.line << "\n" << std::flush;
}

void MqttLink::finish(std::ostream& err) {
    if (!pub_) return;
    pub_->finish();
    tell(err);
    if (const std::size_t n = pub_->unacknowledged())
        err << "tobrak-cli: " << n << " messages the MQTT broker did not take wait in its queue for the next run\n";
}

}  // namespace tobrak::cli
