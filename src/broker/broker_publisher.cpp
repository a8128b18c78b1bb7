#include "broker/broker_publisher.h"

#include <mosquitto.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <mutex>
#include <nlohmann/json.hpp>
#include <random>
#include <unordered_map>
#include <utility>

#include "broker/disk_queue.h"
#include "broker/machine_id.h"
#include "broker/mqtt_client.h"
#include "record/play_record.h"
#include "record/play_time.h"
#include "util/paths.h"

namespace tobrak {

namespace {

using Json = nlohmann::ordered_json;

Json timeJson(const WallTime& t) { return writableTime(t) ? Json(isoTime(t)) : Json(); }

std::string dump(const Json& j) { return j.dump(-1, ' ', false, Json::error_handler_t::replace); }

}  // namespace

std::string parseBrokerUrl(const std::string& url, BrokerUrl& out, BrokerUrlFault* fault) {
    const auto wrong = [fault](BrokerUrlFault f, std::string why) {
        if (fault) *fault = f;
        return why;
    };
    if (fault) *fault = BrokerUrlFault::None;
    std::string rest;
    if (url.rfind("mqtt://", 0) == 0) {
        out.tls = false, out.port = 1883, rest = url.substr(7);
    } else if (url.rfind("mqtts://", 0) == 0) {
        out.tls = true, out.port = 8883, rest = url.substr(8);
    } else {
        return wrong(BrokerUrlFault::Scheme, "the broker's address must begin with mqtt:// or mqtts://");
    }
    if (!rest.empty() && rest.back() == '/') rest.pop_back();
    if (rest.find('@') != std::string::npos)
        return wrong(BrokerUrlFault::Login,
                     "no user or password in the broker's address: they come from --mqtt-auth FILE");
    if (rest.find('/') != std::string::npos)
        return wrong(BrokerUrlFault::Path, "the broker's address has no path: mqtt://HOST[:PORT]");
    std::string host = rest;
    // A port follows the last ':' outside an IPv6 address's brackets.
    const auto colon = rest.rfind(':');
    const auto bracket = rest.rfind(']');
    if (colon != std::string::npos && (bracket == std::string::npos || colon > bracket)) {
        host = rest.substr(0, colon);
        const std::string p = rest.substr(colon + 1);
        int port = 0;
        for (const char ch : p) {
            if (ch < '0' || ch > '9' || port > 65535)
                return wrong(BrokerUrlFault::Port, "bad port in the broker's address: " + p);
            port = port * 10 + (ch - '0');
        }
        if (p.empty() || port < 1 || port > 65535)
            return wrong(BrokerUrlFault::Port, "bad port in the broker's address: " + p);
        out.port = port;
    }
    if (host.size() > 2 && host.front() == '[' && host.back() == ']') host = host.substr(1, host.size() - 2);
    if (host.empty()) return wrong(BrokerUrlFault::Host, "no host in the broker's address");
    out.host = host;
    return {};
}

std::string BrokerPublisher::check(const Options& o) {
    if (std::string why = checkBrokerChoice(o.url, o.caFile, o.prefix); !why.empty()) return why;
    if (o.machineId.empty() || o.machineId.find_first_of("/+# ") != std::string::npos) return "bad machine id";
    if (o.queuePath.empty()) return "no file for the broker's queue";
    return {};
}

void BrokerPublisher::setMachine(Options& o, const std::string& name, const std::string& queueDir) {
    o.machineName = name;
    o.machineId = machineTopicId(name);
    std::error_code ec;
    std::filesystem::create_directories(fsPath(queueDir), ec);
    o.queuePath = pathUtf8(fsPath(queueDir) / ("mqtt-" + o.machineId + ".queue"));
}

// The publishing thread's state; libmosquitto calls back into it from mosquitto_loop on that thread.
struct BrokerPublisher::Link {
    explicit Link(BrokerPublisher& pub) : p(pub) {}
    BrokerPublisher& p;
    mosquitto* m = nullptr;
    std::unique_ptr<DiskQueue> q;
    std::unordered_map<int, std::uint64_t> inflight;  // mid → queue entry
    bool connected = false, ever = false, away = false, refused = false;
    std::string where, lastProblem, state;
    bool stateDirty = false;

    void tell(Notice::Kind kind, const std::string& line) {
        std::lock_guard lock(p.m_);
        p.notices_.push_back({kind, p.opt_.teller + ": " + line});
    }
    void noteAway(const std::string& why) {
        if (away || refused) return;
        away = true;
        tell(Notice::Away,
             "the MQTT broker " + where + " is away (" + why + "); games wait in " + q->path() + " until it is back");
    }
    void up(bool now) {
        connected = now;
        std::lock_guard lock(p.m_);
        p.connected_ = now;
    }
    void countUnacked() {
        std::lock_guard lock(p.m_);
        p.unacked_ = q->size();
    }
    void send(const DiskQueue::Entry& e) {
        int mid = 0;
        const int rc =
            mosquitto_publish(m, &mid, e.topic.c_str(), static_cast<int>(e.payload.size()), e.payload.data(), 1, false);
        if (rc == MOSQ_ERR_SUCCESS) inflight[mid] = e.id;
    }
    void sendState() {
        if (!connected || state.empty()) return;
        if (mosquitto_publish(m, nullptr, p.topic("state").c_str(), static_cast<int>(state.size()), state.data(), 0,
                              true) == MOSQ_ERR_SUCCESS)
            stateDirty = false;
    }
    void connectedNow(int rc) {
        if (rc != 0) {
            up(false);
            if (!refused) {
                refused = true;
                tell(Notice::Refused, "the MQTT broker " + where + " refused the connection (" +
                                          mosquitto_connack_string(rc) + "); recording goes on without it");
            }
            return;
        }
        up(true);
        if (away || refused)
            tell(Notice::Back,
                 "the MQTT broker " + where + " is back; " + std::to_string(q->size()) + " queued messages are sent");
        away = refused = false;
        ever = true;
        static const char kOnline[] = "online";
        mosquitto_publish(m, nullptr, p.topic("online").c_str(), 6, kOnline, 1, true);
        // Retained: Home Assistant finds the sensors whenever it starts.
        if (p.opt_.haDiscovery)
            for (const auto& [topic, config] : p.discovery())
                mosquitto_publish(m, nullptr, topic.c_str(), static_cast<int>(config.size()), config.data(), 1, true);
        // Whatever was in flight on the last connection goes again: the subscriber knows repeats by their seq.
        inflight.clear();
        for (const DiskQueue::Entry& e : q->pending()) send(e);
        sendState();
    }
    void published(int mid) {
        const auto it = inflight.find(mid);
        if (it == inflight.end()) return;
        q->ack(it->second);
        inflight.erase(it);
        countUnacked();
    }
};

namespace {

void onConnect(mosquitto*, void* obj, int rc) { static_cast<BrokerPublisher::Link*>(obj)->connectedNow(rc); }
void onDisconnect(mosquitto*, void* obj, int rc) {
    auto* l = static_cast<BrokerPublisher::Link*>(obj);
    l->up(false);
    if (rc != 0) l->noteAway(mosquitto_strerror(rc));
}
void onPublish(mosquitto*, void* obj, int mid) { static_cast<BrokerPublisher::Link*>(obj)->published(mid); }

}  // namespace

BrokerPublisher::BrokerPublisher(Session& s, Options o) : s_(s), opt_(std::move(o)) {
    (void)parseBrokerUrl(opt_.url, url_);
    run_ = wallNow().unixMs;
    initMosquitto();
    startAt(s_.rec.games() > 0 ? s_.rec.games() - 1 : 0);  // an open record's games before now are not sent
    s_.listen(*this);
    thread_ = std::thread([this] { run(); });
    pushState();
}

BrokerPublisher::~BrokerPublisher() {
    finish();
    s_.forget(*this);
}

void BrokerPublisher::push(Item&& it) {
    {
        std::lock_guard lock(m_);
        queue_.push_back(std::move(it));
    }
    cv_.notify_one();
}

void BrokerPublisher::pushState() {
    dirty_ = false;
    lastState_ = std::chrono::steady_clock::now();
    if (opt_.state) push({Item::State, {}, opt_.state()});
}

void BrokerPublisher::startAt(std::int32_t game) {
    published_ = game;
    balance_ = 0;
    for (std::int32_t i = 0; i < game; ++i) balance_ += medalsOut(s_.rec.game(i)) - medalsIn(s_.rec.game(i));
}

void BrokerPublisher::publishGame(std::int32_t game) {
    const std::uint8_t b = s_.rec.game(game);
    // Each game carries the balance after it: a subscriber that missed some
    // still draws the rest of the slump where it belongs.
    balance_ += medalsOut(b) - medalsIn(b);
    Json j = Json::object();
    j["run"] = run_;
    j["seq"] = ++gameSeq_;
    j["game"] = game + 1;
    j["byte"] = b;
    j["state"] = bonusStateName(bonusState(b));
    j["in"] = medalsIn(b);
    j["out"] = medalsOut(b);
    j["balance"] = balance_;
    const GameTimes& times = s_.times();
    const auto i = static_cast<std::size_t>(game);
    if (i < times.size() && times[i]) {
        j["time"] = timeJson(*times[i]);
        j["ms"] = times[i]->unixMs;
    } else {
        j["time"] = nullptr;
    }
    push({Item::Queued, topic("game"), dump(j)});
}

void BrokerPublisher::gameClosed(std::int32_t index) {
    const std::int32_t game = index - kHeaderLen;
    // Games closed out of order never happen; a record replaced starts over in recordReplaced.
    while (published_ <= game) publishGame(published_++);
    dirty_ = true;
}

void BrokerPublisher::publishBonus(Bonus k, const char* event, const char* figure, std::int32_t value,
                                   const EventTime& t) {
    Json j = Json::object();
    j["run"] = run_;
    j["seq"] = ++bonusSeq_;
    j["kind"] = k == Bonus::BB ? "BB" : "RB";
    j["event"] = event;
    j["game"] = s_.rec.games();
    j[figure] = value;
    j["time"] = timeJson(t.wall);
    j["ms"] = t.wall.unixMs;
    push({Item::Queued, topic("bonus"), dump(j)});
    dirty_ = true;
}

void BrokerPublisher::bonusStarted(Bonus k, std::int32_t interval, const EventTime& t) {
    publishBonus(k, "start", "interval", interval, t);
}

void BrokerPublisher::bonusEnded(Bonus k, std::int32_t gain, const EventTime& t) {
    publishBonus(k, "end", "gain", gain, t);
}

void BrokerPublisher::boardPolled(bool, bool changed) {
    if (changed) dirty_ = true;
    if (dirty_ && std::chrono::steady_clock::now() - lastState_ >= std::chrono::milliseconds(opt_.stateMs)) pushState();
}

void BrokerPublisher::recordReplaced() {
    // A load or a clear: the games from now on are a new record's, numbered from its end.
    startAt(s_.rec.games());
    dirty_ = true;
}

void BrokerPublisher::finish(std::chrono::milliseconds wait) {
    if (finished_) return;
    finished_ = true;
    // The last game never closed: as the record holds it now, it is final.
    while (published_ < s_.rec.games()) publishGame(published_++);
    pushState();
    {
        std::lock_guard lock(m_);
        wait_ = wait;
        queue_.push_back({Item::Stop, {}, {}});
    }
    cv_.notify_one();
    if (thread_.joinable()) thread_.join();
}

std::vector<std::pair<std::string, std::string>> BrokerPublisher::discovery() const {
    struct Sensor {
        const char* field;  // the object id's last part
        const char* name;
        const char* value;  // where the state JSON holds it
        const char* unit;
    };
    static const Sensor kSensors[] = {
        {"games", "ゲーム数", "value_json.games", "G"},
        {"balance", "差枚", "value_json.balance", "枚"},
        {"bb", "BB", "value_json.counters.BB_Cnt", "回"},
        {"rb", "RB", "value_json.counters.RB_Cnt", "回"},
        {"since_bonus", "ボーナス間", "value_json.since_bonus", "G"},
    };
    const std::string device = "tobrak_" + opt_.machineId;
    std::vector<std::pair<std::string, std::string>> out;
    for (const Sensor& x : kSensors) {
        const std::string id = device + "_" + x.field;
        Json j = Json::object();
        j["name"] = x.name;
        j["unique_id"] = id;
        j["state_topic"] = topic("state");
        j["value_template"] = std::string("{{ ") + x.value + " }}";
        j["unit_of_measurement"] = x.unit;
        j["state_class"] = "measurement";
        j["availability_topic"] = topic("online");
        j["payload_available"] = "online";
        j["payload_not_available"] = "offline";
        j["device"] = {{"identifiers", Json::array({device})},
                       {"name", opt_.machineName.empty() ? opt_.machineId : opt_.machineName},
                       {"manufacturer", "Tobrak"}};
        out.emplace_back("homeassistant/sensor/" + id + "/config", dump(j));
    }
    return out;
}

std::vector<BrokerPublisher::Notice> BrokerPublisher::takeNotices() {
    std::lock_guard lock(m_);
    return std::exchange(notices_, {});
}

bool BrokerPublisher::connected() const {
    std::lock_guard lock(m_);
    return connected_;
}

std::size_t BrokerPublisher::unacknowledged() const {
    std::lock_guard lock(m_);
    return unacked_;
}

void BrokerPublisher::run() {
    Link l(*this);
    l.where = (url_.tls ? "mqtts://" : "mqtt://") + url_.host + ":" + std::to_string(url_.port);
    l.q = std::make_unique<DiskQueue>(opt_.queuePath, opt_.queueLimit);
    if (!l.q->problem().empty()) l.tell(Notice::Problem, "the broker's queue: " + l.q->problem());
    l.countUnacked();
    // A client id of its own for each run: two runs for one machine do not throw each other off.
    std::random_device rd;
    char suffix[9];
    std::snprintf(suffix, sizeof suffix, "%08x", static_cast<unsigned>(rd()));
    const std::string clientId = "tobrak-" + opt_.machineId.substr(0, 20) + "-" + suffix;
    l.m = mosquitto_new(clientId.c_str(), true, &l);
    if (!l.m) {
        l.tell(Notice::Problem, "the MQTT client could not be made; nothing is published");
        std::unique_lock lock(m_);
        cv_.wait(lock, [&] { return !queue_.empty() && queue_.back().kind == Item::Stop; });
        return;
    }
    mosquitto_connect_callback_set(l.m, onConnect);
    mosquitto_disconnect_callback_set(l.m, onDisconnect);
    mosquitto_publish_callback_set(l.m, onPublish);
    if (std::string why = prepareClient(l.m, url_, opt_.user, opt_.password, opt_.caFile); !why.empty())
        l.tell(Notice::Problem, why);
    const std::string online = topic("online");
    mosquitto_will_set(l.m, online.c_str(), 7, "offline", 1, true);

    using Clock = std::chrono::steady_clock;
    auto nextTry = Clock::now();
    auto backoff = std::chrono::milliseconds(500);
    // A connection begun waits for the broker's answer: a busy broker (hundreds of
    // loggers connecting at once) answers late, and a new try would only start over.
    bool pending = false;
    Clock::time_point pendingSince{};
    bool stopping = false;
    Clock::time_point deadline{};
    std::vector<Item> batch;
    for (;;) {
        {
            std::unique_lock lock(m_);
            batch.swap(queue_);
        }
        for (Item& it : batch) {
            switch (it.kind) {
                case Item::Queued: {
                    bool kept = true;
                    l.q->push(std::move(it.topic), std::move(it.payload), &kept);
                    if (!kept && l.lastProblem != l.q->problem()) {
                        l.lastProblem = l.q->problem();
                        l.tell(Notice::Problem, "the broker's queue: " + l.lastProblem);
                    }
                    if (l.connected) l.send(l.q->pending().back());
                    break;
                }
                case Item::State:
                    l.state = std::move(it.payload);
                    l.stateDirty = true;
                    break;
                case Item::Stop:
                    stopping = true;
                    deadline = Clock::now() + wait_;
                    break;
            }
        }
        batch.clear();
        l.countUnacked();
        if (l.connected && l.stateDirty) l.sendState();
        // At the end: until the broker has everything, while it is there or still being connected to.
        if (stopping && ((l.connected && l.q->size() == 0) || l.away || l.refused || Clock::now() >= deadline)) break;
        if (pending && (l.connected || Clock::now() - pendingSince > std::chrono::seconds(15))) {
            if (!l.connected) mosquitto_disconnect(l.m);  // something there that never answers as a broker
            pending = false;
        }
        if (!l.connected && !pending && Clock::now() >= nextTry) {
            const int rc = l.ever ? mosquitto_reconnect(l.m) : mosquitto_connect(l.m, url_.host.c_str(), url_.port, 30);
            if (rc != MOSQ_ERR_SUCCESS) {
                l.noteAway(mosquittoFailure(rc));
                backoff = std::min(backoff * 2, std::chrono::milliseconds(5000));
            } else {
                backoff = std::chrono::milliseconds(500);
                l.ever = pending = true;
                pendingSince = Clock::now();
            }
            nextTry = Clock::now() + backoff;
            if (rc != MOSQ_ERR_SUCCESS && !stopping) {
                std::unique_lock lock(m_);
                cv_.wait_for(lock, std::chrono::milliseconds(100), [&] { return !queue_.empty(); });
                continue;
            }
        }
        if (l.ever) {
            const int rc = mosquitto_loop(l.m, 20, 1);
            if (rc != MOSQ_ERR_SUCCESS) {
                l.noteAway(mosquittoFailure(rc));
                l.up(false);
                pending = false;
                if (!stopping) {
                    std::unique_lock lock(m_);
                    cv_.wait_for(lock, std::chrono::milliseconds(100), [&] { return !queue_.empty(); });
                }
            }
        }
        if (stopping && !l.connected && Clock::now() >= deadline) break;
    }
    if (l.connected) {
        // A clean goodbye: the will is not sent, so "offline" is said here.
        int mid = 0;
        mosquitto_publish(l.m, &mid, online.c_str(), 7, "offline", 1, true);
        for (int i = 0; i < 20 && l.connected; ++i) mosquitto_loop(l.m, 20, 1);
        mosquitto_disconnect(l.m);
        mosquitto_loop(l.m, 20, 1);
    }
    l.countUnacked();
    mosquitto_destroy(l.m);
    {
        std::lock_guard lock(m_);
        stopped_ = true;
        connected_ = false;
    }
}

}  // namespace tobrak
