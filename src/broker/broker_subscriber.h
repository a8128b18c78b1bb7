#pragma once
// Follows every logger under a topic prefix on an MQTT broker (libmosquitto):
// each message is handed, as it comes, to a function called on the client's
// own thread. The connection is kept: a broker that is not there or goes away
// is tried again (every 1 to 5 s), and what it tells is kept as lines to show,
// each once.
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

struct mosquitto;

namespace tobrak {

class BrokerSubscriber {
public:
    struct Options {
        std::string url;             // mqtt://… or mqtts://…
        std::string user, password;  // empty user: none
        std::string caFile;
        std::string prefix = "tobrak/";
        std::string who = "tobrak-cli hall";  // how the lines it tells begin
        // A client id kept from run to run: the broker then keeps what it owes
        // this page (QoS 1) while the page or the broker is away. Empty: a new
        // id and a clean session each run.
        std::string clientId;
    };
    using OnMessage = std::function<void(std::string_view topic, std::string_view payload)>;

    // Empty when `o` can be used, else what is wrong (one plain line).
    static std::string check(const Options& o);

    BrokerSubscriber(Options o, OnMessage onMessage);
    ~BrokerSubscriber();
    BrokerSubscriber(const BrokerSubscriber&) = delete;
    BrokerSubscriber& operator=(const BrokerSubscriber&) = delete;

    // Connects (in the background); empty, or why it cannot even begin.
    std::string start();
    std::vector<std::string> takeNotices();
    bool connected() const { return connected_; }
    // The broker refused the login before any connection was made.
    bool refusedAtStart() const { return refused_ && !ever_; }

    // libmosquitto's callbacks.
    void connectedNow(int rc);
    void lost(const std::string& why);
    void message(std::string_view topic, std::string_view payload) { onMessage_(topic, payload); }

private:
    void tell(std::string line);
    void run();
    Options opt_;
    OnMessage onMessage_;
    std::string where_, host_;
    int port_ = 0;
    mosquitto* m_ = nullptr;
    std::thread thread_;
    std::atomic<bool> stop_{false}, connected_{false}, ever_{false}, refused_{false}, away_{false};
    std::mutex noticesM_;
    std::vector<std::string> notices_;
};

}  // namespace tobrak
