#pragma once
// What the publisher and the subscriber share of a libmosquitto client: the
// library set up once, a client made ready for one broker, the text of a failure.
#include <string>

struct mosquitto;

namespace tobrak {

struct BrokerUrl;

// mosquitto_lib_init, once in the program whichever client comes first.
void initMosquitto();
// MQTT 3.1.1, the login when there is a user, TLS for mqtts:// checked against
// `caFile` (the system's certificates without one). Empty, or why TLS cannot be used.
std::string prepareClient(mosquitto* m, const BrokerUrl& u, const std::string& user, const std::string& password,
                          const std::string& caFile);
// A libmosquitto result as a line: the system's reason for MOSQ_ERR_ERRNO.
std::string mosquittoFailure(int rc);
// The address, CA file and topic prefix both kinds of client are given; empty, or what is wrong.
std::string checkBrokerChoice(const std::string& url, const std::string& caFile, const std::string& prefix);
// "P" as a topic prefix: "P/" (an empty prefix stays empty).
std::string topicPrefix(std::string p);

}  // namespace tobrak
