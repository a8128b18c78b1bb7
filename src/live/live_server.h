#pragma once
// The live view's HTTP server: the page, the state, the record, the graph and
// the event stream, read-only, from a LiveHub. Bound to this machine unless an
// address is given; an address beyond it needs a token.
//
// Whatever a client sends, the server holds a bounded amount for it (bytes,
// connections, time) before the token is even looked at, and no exception
// leaves its thread: the program that records goes on whatever the network does.
#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "live/http_request.h"
#include "live/live_hub.h"

namespace tobrak::live {

struct ListenAddress {
    std::string host = "127.0.0.1";
    int port = 0;  // 0: any free port
};

// "[ADDR:]PORT" ("8080", "0.0.0.0:8080", "[::1]:8080"); empty on success,
// otherwise what is wrong with it.
std::string parseListen(const std::string& text, ListenAddress& out);
// Whether every address `host` resolves to is a loopback address (127.0.0.0/8,
// ::1, either mapped into IPv6). Decided on the numbers, never on the text; a
// name that does not resolve is not loopback.
bool isLoopback(const std::string& host);
// A token for a phone's address: 128 random bits as hexadecimal (safe in an address).
std::string randomToken();

struct ServerLimits {
    HttpLimits http;
    std::chrono::milliseconds headerTime{5000};  // from a request's first byte to its header's end
    std::chrono::milliseconds idleTime{15000};   // a kept connection waiting for its next request
    std::chrono::milliseconds writeTime{10000};  // one answer, or one event, to go out
    std::size_t maxConnections = 256;            // in all
    std::size_t maxPerAddress = 96;              // from one client address (64 event streams and more)
};

// Who may ask without a token: a request must name, in its Host header, the
// address the server listens on, a localhost name or an address of this
// machine. A page elsewhere that renames its own host to 127.0.0.1 (DNS
// rebinding) names neither.
class HostRule {
public:
    HostRule() = default;
    HostRule(std::string listenHost, std::vector<std::string> localAddresses);
    bool allows(const std::string& hostHeader) const;

private:
    std::string listen_;
    std::vector<std::string> local_;  // numeric, as the parser of addresses writes them
};

// The addresses of this machine's interfaces, numeric.
std::vector<std::string> localAddresses();

// What the server answers to one request, before any connection is involved.
struct Reply {
    int status = 200;
    std::string contentType;
    std::string body;
    std::vector<std::pair<std::string, std::string>> headers;
    bool events = false;    // the event stream: the server takes it from here
    bool admitted = false;  // the request was let in (its token, or its Host without one)
};

// Who is let in: with a token, a request that gives it (?token= or a bearer);
// without one, a request whose Host the rule allows. Refused, a request is
// told 401 (the token) or 403 (this machine only).
class Gate {
public:
    Gate(std::string token, HostRule hosts) : token_(std::move(token)), hosts_(std::move(hosts)) {}
    bool admitted(const HttpRequest& r) const;
    Reply refusal() const;
    bool hasToken() const { return !token_.empty(); }

private:
    std::string token_;
    HostRule hosts_;
};

// What one site answers (the live view's, the hall page's). Its event stream
// is its hub's: a Reply with `events` set, the server takes from there.
class Site {
public:
    virtual ~Site() = default;
    virtual Reply answer(const HttpRequest& r) const = 0;
};
// Makes a server's site once the address it listens on (and so its Gate) is known.
using SiteMaker = std::function<std::unique_ptr<Site>(LiveHub& hub, Gate gate)>;

class LiveRoutes final : public Site {
public:
    LiveRoutes(LiveHub& hub, std::string token, HostRule hosts);
    Reply answer(const HttpRequest& r) const override;
    // Whether the request may see anything (token or, without one, its Host).
    bool admitted(const HttpRequest& r) const { return gate_.admitted(r); }

private:
    Reply route(const HttpRequest& r, bool admitted) const;
    Reply count(const HttpRequest& r) const;  // POST /api/count, admitted
    std::string page() const;
    LiveHub& hub_;
    Gate gate_;
};

// A plain-text answer ("404 nothing here\n").
Reply textReply(int status, std::string body);
// A page with `json` in place of its "/*BOOT*/null" (what the page shows before
// its event stream is open), safe inside the page's script.
std::string withBoot(std::string_view page, const std::string& json);

class LiveServer {
public:
    // An empty token lets any request in (this machine only). Without a site
    // maker the site is the live view's.
    LiveServer(LiveHub& hub, std::string token, ServerLimits limits = {}, SiteMaker site = {});
    ~LiveServer();
    LiveServer(const LiveServer&) = delete;
    LiveServer& operator=(const LiveServer&) = delete;

    // Binds (the port is this server's alone) and serves on a thread of its own;
    // empty on success, otherwise why not ("port 8080 is in use ...").
    std::string start(const ListenAddress& at);
    // Ends the event streams (through the hub) and the server.
    void stop();
    int port() const { return port_; }
    // The page's address for a host name (the bound address by default), token included.
    std::string url(const std::string& host = {}) const;
    // Connections open now (for tests and the curious).
    std::size_t connections() const;

    struct Core;

private:
    LiveHub& hub_;
    std::string token_;
    ServerLimits limits_;
    SiteMaker site_;
    std::string host_;
    int port_ = 0;
    std::shared_ptr<Core> core_;
};

}  // namespace tobrak::live
