#include "broker/broker_subscriber.h"

#include <mosquitto.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <random>
#include <utility>

#include "broker/broker_publisher.h"
#include "broker/mqtt_client.h"

namespace tobrak {

namespace {

void onConnect(mosquitto*, void* obj, int rc) { static_cast<BrokerSubscriber*>(obj)->connectedNow(rc); }
void onDisconnect(mosquitto*, void* obj, int rc) {
    if (rc != 0) static_cast<BrokerSubscriber*>(obj)->lost(mosquitto_strerror(rc));
}

void onMessage(mosquitto*, void* obj, const mosquitto_message* msg) {
    if (!msg || !msg->topic) return;
    const std::string_view payload(static_cast<const char*>(msg->payload), msg->payload ? msg->payloadlen : 0);
    static_cast<BrokerSubscriber*>(obj)->message(msg->topic, payload);
}

}  // namespace

std::string BrokerSubscriber::check(const Options& o) { return checkBrokerChoice(o.url, o.caFile, o.prefix); }

BrokerSubscriber::BrokerSubscriber(Options o, OnMessage onMessage)
    : opt_(std::move(o)), onMessage_(std::move(onMessage)) {
    initMosquitto();
}

BrokerSubscriber::~BrokerSubscriber() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    if (m_) mosquitto_destroy(m_);
}

void BrokerSubscriber::tell(std::string line) {
    std::lock_guard lock(noticesM_);
    notices_.push_back(std::move(line));
}

std::vector<std::string> BrokerSubscriber::takeNotices() {
    std::lock_guard lock(noticesM_);
    return std::exchange(notices_, {});
}

std::string BrokerSubscriber::start() {
    if (m_) return {};
    BrokerUrl u;
    if (std::string why = check(opt_); !why.empty()) return why;
    (void)parseBrokerUrl(opt_.url, u);
    where_ = (u.tls ? "mqtts://" : "mqtt://") + u.host + ":" + std::to_string(u.port);
    std::string id = opt_.clientId;
    if (id.empty()) {
        std::random_device rd;
        char buf[32];
        std::snprintf(buf, sizeof buf, "tobrak-hall-%08x", static_cast<unsigned>(rd()));
        id = buf;
    }
    m_ = mosquitto_new(id.c_str(), opt_.clientId.empty(), this);
    if (!m_) return "the MQTT client could not be made";
    mosquitto_connect_callback_set(m_, onConnect);
    mosquitto_disconnect_callback_set(m_, onDisconnect);
    mosquitto_message_callback_set(m_, onMessage);
    if (std::string why = prepareClient(m_, u, opt_.user, opt_.password, opt_.caFile); !why.empty()) return why;
    host_ = u.host;
    port_ = u.port;
    thread_ = std::thread([this] { run(); });
    return {};
}

void BrokerSubscriber::run() {
    using Clock = std::chrono::steady_clock;
    auto backoff = std::chrono::milliseconds(1000);
    auto nextTry = Clock::now();
    bool begun = false;    // a connection was begun once: later ones are reconnections
    bool pending = false;  // begun, and the broker has not answered or failed yet
    Clock::time_point pendingSince{};
    while (!stop_) {
        if (!connected_ && !pending && Clock::now() >= nextTry) {
            // A TLS handshake or a name that does not resolve fails here; it is tried again like a broker away.
            const int rc = begun ? mosquitto_reconnect(m_) : mosquitto_connect(m_, host_.c_str(), port_, 30);
            if (rc == MOSQ_ERR_SUCCESS) {
                begun = pending = true;
                pendingSince = Clock::now();
            } else {
                lost(mosquittoFailure(rc));
                nextTry = Clock::now() + backoff;
                backoff = std::min(backoff * 2, std::chrono::milliseconds(5000));
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
                continue;
            }
        }
        if (!connected_ && !pending) {
            // Waiting for the next try: there is no connection to serve.
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            continue;
        }
        int rc = mosquitto_loop(m_, 100, 1);
        // Something that listens there but never answers as a broker would: try again later.
        if (rc == MOSQ_ERR_SUCCESS && pending && !connected_ &&
            Clock::now() - pendingSince > std::chrono::seconds(15)) {
            mosquitto_disconnect(m_);
            rc = MOSQ_ERR_CONN_LOST;
        }
        if (rc == MOSQ_ERR_SUCCESS) {
            if (connected_) backoff = std::chrono::milliseconds(1000), pending = false;
        } else {
            pending = false;
            nextTry = Clock::now() + backoff;
            backoff = std::min(backoff * 2, std::chrono::milliseconds(5000));
            connected_ = false;
            if (rc != MOSQ_ERR_CONN_REFUSED) lost(mosquittoFailure(rc));
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    }
    if (connected_) {
        mosquitto_disconnect(m_);
        mosquitto_loop(m_, 20, 1);
    }
}

void BrokerSubscriber::connectedNow(int rc) {
    if (rc != 0) {
        connected_ = false;
        if (!refused_.exchange(true))
            tell(opt_.who + ": the MQTT broker " + where_ + " refused the connection (" + mosquitto_connack_string(rc) +
                 ")");
        return;
    }
    connected_ = true;
    if (away_.exchange(false) || refused_.exchange(false)) tell(opt_.who + ": the MQTT broker " + where_ + " is back");
    ever_ = true;
    const std::string all = opt_.prefix + "#";
    mosquitto_subscribe(m_, nullptr, all.c_str(), 1);
}

void BrokerSubscriber::lost(const std::string& why) {
    connected_ = false;
    if (refused_ || away_.exchange(true)) return;
    tell(opt_.who + ": the MQTT broker " + where_ + " is away (" + why +
         "); the page shows what came until now and is current again once it is back");
}

}  // namespace tobrak
