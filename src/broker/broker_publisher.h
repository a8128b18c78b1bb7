#pragma once
// Publishes a live session to an MQTT broker (libmosquitto), under
// PREFIX/ID/: `state` (retained, the live view's state JSON), `game` (each
// finished game with its time and a sequence number, QoS 1), `bonus` (each
// bonus start and end, QoS 1) and `online` (retained "online"; the broker's
// last will says "offline"). With Home Assistant discovery, it also tells
// Home Assistant (retained, under homeassistant/sensor/) how to read the state as
// a device of sensors.
//
// The poll never waits on the network: the listener only queues small records
// (a lock held for a push); a thread of its own keeps the connection, writes
// games and bonuses to a queue on disk and cuts it once the broker acknowledged
// them. A broker that is away is told once; what came meanwhile is sent when it
// is back, with its sequence number, so a subscriber sees any gap.
//
// Hook-up (tobrak-cli record):
//     BrokerPublisher::Options o; … o.url, o.queuePath, o.state = [&hub] { return hub.state(); };
//     if (auto why = BrokerPublisher::check(o); !why.empty()) refuse(why);
//     publisher = std::make_unique<BrokerPublisher>(session, o);
//     … every poll or so: for (auto& n : publisher->takeNotices()) tell(n.line);
//     … at the end: publisher->finish();  // the last game, "offline", waits for the broker a little
// The publisher must go before the session does.
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "session/session.h"

namespace tobrak {

struct BrokerUrl {
    bool tls = false;
    std::string host;
    int port = 0;
};
// What is wrong with a broker's address, for a front end that says it in its own words.
enum class BrokerUrlFault { None, Scheme, Login, Path, Port, Host };
// mqtt://HOST[:PORT] (1883) or mqtts://HOST[:PORT] (8883); a user or password
// in the address is refused (they come from a file). Empty on success, else why
// (and, with `fault`, which kind of wrong).
std::string parseBrokerUrl(const std::string& url, BrokerUrl& out, BrokerUrlFault* fault = nullptr);

class BrokerPublisher final : public SessionListener {
public:
    struct Options {
        std::string url;             // mqtt://… or mqtts://…
        std::string user, password;  // empty user: none
        std::string caFile;          // the certificates an mqtts broker is checked against
        std::string prefix = "tobrak/";
        std::string machineId;  // machineTopicId(the machine's name)
        std::string queuePath;  // the queue on disk
        std::size_t queueLimit = 100000;
        // The state JSON, called on the poll's thread (at most every stateMs).
        std::function<std::string()> state;
        int stateMs = 250;
        // Home Assistant discovery: a sensor each for the games, the balance, BB, RB and
        // the games since the last bonus, on one device named `machineName`.
        bool haDiscovery = false;
        std::string machineName;
        std::string teller = "tobrak-cli";  // who speaks in the notices' lines
    };
    struct Notice {
        enum Kind : std::uint8_t { Away, Back, Refused, Problem } kind;
        std::string line;  // one plain line, never the password
    };
    // Empty when `o` can be used, else what is wrong (one plain line).
    static std::string check(const Options& o);
    // The machine `name` goes by on the broker: its id, and its queue file
    // (mqtt-ID.queue) in `queueDir`, which is made when missing.
    static void setMachine(Options& o, const std::string& name, const std::string& queueDir);

    BrokerPublisher(Session& s, Options o);
    ~BrokerPublisher() override;  // finish() if not done
    BrokerPublisher(const BrokerPublisher&) = delete;
    BrokerPublisher& operator=(const BrokerPublisher&) = delete;

    // The session ended: its last game and state are sent, "offline" is said,
    // and what is queued is waited for until `wait` passes.
    void finish(std::chrono::milliseconds wait = std::chrono::seconds(3));
    // Lines to tell (the broker away, back, refusing the login, the queue's file); each once.
    std::vector<Notice> takeNotices();
    // Games and bonuses the broker has not acknowledged yet (tests, the end's report).
    std::size_t unacknowledged() const;
    bool connected() const;  // the broker took the connection and has not lost it since
    std::string topic(const char* leaf) const { return opt_.prefix + opt_.machineId + "/" + leaf; }
    // Home Assistant's discovery messages for this machine: topic and retained payload.
    std::vector<std::pair<std::string, std::string>> discovery() const;

    void gameClosed(std::int32_t index) override;
    void bonusStarted(Bonus k, std::int32_t interval, const EventTime& t) override;
    void bonusEnded(Bonus k, std::int32_t gain, const EventTime& t) override;
    void boardPolled(bool reachable, bool changed) override;
    void gameStarted(std::int32_t, const EventTime&) override { dirty_ = true; }
    void payout(std::int32_t, const EventTime&) override { dirty_ = true; }
    void recordReplaced() override;
    void headerChanged() override { dirty_ = true; }
    void manualCounted(int) override { dirty_ = true; }

    struct Link;  // the thread's side (libmosquitto's callbacks)

private:
    struct Item {
        enum Kind : std::uint8_t { Queued, State, Stop } kind;
        std::string topic, payload;
    };
    void push(Item&& it);
    void pushState();
    void publishGame(std::int32_t game);
    void startAt(std::int32_t game);  // the next game to publish, and the balance before it
    // A bonus's start (with its interval) or end (with its gain).
    void publishBonus(Bonus k, const char* event, const char* figure, std::int32_t value, const EventTime& t);
    void run();

    Session& s_;
    Options opt_;
    BrokerUrl url_;
    // The poll thread's own.
    std::int64_t run_ = 0;  // when this run began (UTC ms): seq counts from 1 in each run
    std::uint64_t gameSeq_ = 0, bonusSeq_ = 0;
    std::int32_t published_ = 0;  // games published so far (the record's first ones)
    std::int64_t balance_ = 0;    // the medals' balance after the games before published_
    bool dirty_ = true;
    bool finished_ = false;
    std::chrono::steady_clock::time_point lastState_{};

    mutable std::mutex m_;
    std::condition_variable cv_;
    std::vector<Item> queue_;
    std::vector<Notice> notices_;
    std::size_t unacked_ = 0;
    bool connected_ = false;
    bool stopped_ = false;  // the thread has finished
    std::chrono::milliseconds wait_{0};
    std::thread thread_;
};

}  // namespace tobrak
