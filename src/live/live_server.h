#pragma once
// The live view's HTTP server: the page, the state, the record, the graph and
// the event stream, read-only, from a LiveHub. Bound to this machine unless an
// address is given; an address beyond it needs a token.
#include <memory>
#include <string>
#include <thread>

#include "live/live_hub.h"

namespace httplib {
class Server;
}

namespace tobrak::live {

struct ListenAddress {
    std::string host = "127.0.0.1";
    int port = 0;  // 0: any free port
};

// "[ADDR:]PORT" ("8080", "0.0.0.0:8080", "[::1]:8080"); empty on success,
// otherwise what is wrong with it.
std::string parseListen(const std::string& text, ListenAddress& out);
// 127.0.0.0/8, ::1 and "localhost".
bool isLoopback(const std::string& host);
// A token for a phone's address: 128 random bits as hexadecimal.
std::string randomToken();

class LiveServer {
public:
    // An empty token lets any request in (this machine only).
    LiveServer(LiveHub& hub, std::string token);
    ~LiveServer();
    LiveServer(const LiveServer&) = delete;
    LiveServer& operator=(const LiveServer&) = delete;

    // Binds and serves on threads of its own; empty on success, otherwise why not.
    std::string start(const ListenAddress& at);
    // Ends the event streams (through the hub) and the server.
    void stop();
    int port() const { return port_; }
    // The page's address for a host name (the bound address by default), token included.
    std::string url(const std::string& host = {}) const;

private:
    // The page with the state and the record written in.
    std::string page() const;
    LiveHub& hub_;
    std::string token_;
    std::string host_;
    int port_ = 0;
    std::unique_ptr<httplib::Server> server_;
    std::thread thread_;
};

}  // namespace tobrak::live
