#include "broker/mqtt_client.h"

#include <mosquitto.h>

#include <cerrno>
#include <cstring>
#include <mutex>

#include "broker/broker_publisher.h"

namespace tobrak {

void initMosquitto() {
    static std::once_flag once;
    std::call_once(once, [] { mosquitto_lib_init(); });
}

std::string prepareClient(mosquitto* m, const BrokerUrl& u, const std::string& user, const std::string& password,
                          const std::string& caFile) {
    mosquitto_int_option(m, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V311);
    if (!user.empty()) mosquitto_username_pw_set(m, user.c_str(), password.c_str());
    if (!u.tls) return {};
    const int rc = mosquitto_tls_set(m, caFile.empty() ? nullptr : caFile.c_str(),
                                     caFile.empty() ? "/etc/ssl/certs" : nullptr, nullptr, nullptr, nullptr);
    return rc == MOSQ_ERR_SUCCESS ? std::string() : std::string("TLS for the broker: ") + mosquitto_strerror(rc);
}

std::string mosquittoFailure(int rc) {
    return rc == MOSQ_ERR_ERRNO ? std::string(std::strerror(errno)) : mosquitto_strerror(rc);
}

std::string checkBrokerChoice(const std::string& url, const std::string& caFile, const std::string& prefix) {
    BrokerUrl u;
    if (std::string why = parseBrokerUrl(url, u); !why.empty()) return why;
    if (!caFile.empty() && !u.tls) return "a CA file is for an mqtts:// broker";
    if (prefix.find_first_of("+#") != std::string::npos) return "the topic prefix may hold neither '+' nor '#'";
    return {};
}

std::string topicPrefix(std::string p) {
    if (!p.empty() && p.back() != '/') p += '/';
    return p;
}

}  // namespace tobrak
