// The live view's server against hostile and careless clients over real
// loopback connections: what a client can make it hold, who is let in without
// a token, the port it owns and the addresses it prints.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "live/http_request.h"
#include "live/live_hub.h"
#include "live/live_server.h"

namespace tobrak::live {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// A raw client socket: nothing of HTTP but what the test writes.
class Raw {
public:
    explicit Raw(int port) : fd_(socket(AF_INET, SOCK_STREAM, 0)) {
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(static_cast<std::uint16_t>(port));
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        connected_ = connect(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    }
    ~Raw() { close(fd_); }
    Raw(const Raw&) = delete;
    Raw& operator=(const Raw&) = delete;
    bool connected() const { return connected_; }
    bool send(const std::string& s) {
        return ::send(fd_, s.data(), s.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(s.size());
    }
    // What arrives until the server closes or `wait` passes.
    std::string readAll(std::chrono::milliseconds wait = 3000ms) {
        std::string got;
        const auto until = Clock::now() + wait;
        closed_ = false;
        while (Clock::now() < until) {
            pollfd p{fd_, POLLIN, 0};
            const int left =
                static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now()).count());
            if (poll(&p, 1, std::max(left, 1)) <= 0) break;
            char buf[8192];
            const ssize_t n = recv(fd_, buf, sizeof buf, 0);
            if (n <= 0) {
                closed_ = true;
                break;
            }
            got.append(buf, static_cast<std::size_t>(n));
        }
        return got;
    }
    // Whether the server closed the connection within `wait`.
    bool closedWithin(std::chrono::milliseconds wait) {
        readAll(wait);
        return closed_;
    }

private:
    int fd_;
    bool connected_ = false, closed_ = false;
};

std::string statusOf(const std::string& response) {
    return response.rfind("HTTP/1.1 ", 0) == 0 ? response.substr(9, 3) : "(" + response.substr(0, 20) + ")";
}

// One request on a connection of its own; the answer's status ("200").
std::string ask(int port, const std::string& request, std::chrono::milliseconds wait = 3000ms) {
    Raw c(port);
    if (!c.connected() || !c.send(request)) return "(no connection)";
    return statusOf(c.readAll(wait));
}

std::string get(const std::string& target, const std::string& host = "127.0.0.1") {
    return "GET " + target + " HTTP/1.1\r\nHost: " + host + "\r\nConnection: close\r\n\r\n";
}

struct Served {
    explicit Served(std::string token, ServerLimits limits = {}) : server(hub, std::move(token), limits) {
        hub.setState("{\"games\":7}");
        started = server.start({"127.0.0.1", 0});
    }
    ~Served() { server.stop(); }
    LiveHub hub;
    LiveServer server;
    std::string started;
};

TEST(LiveServer, WhatOneClientSendsIsBoundedBeforeTheTokenIsLookedAt) {
    Served s("sesame");
    ASSERT_EQ(s.started, "");
    const int port = s.server.port();
    const std::string endless(20000, 'a');
    struct Case {
        const char* what;
        std::string request;
        std::string status;
    } cases[] = {
        {"a request line without an end", "GET /" + endless, "414"},
        {"a header line without an end", "GET / HTTP/1.1\r\nX-A: " + endless, "431"},
        {"a header line over 8 KiB", "GET / HTTP/1.1\r\nX-A: " + std::string(8200, 'b') + "\r\n\r\n", "431"},
        {"thousands of header lines",
         [] {
             std::string r = "GET /api/state?token=sesame HTTP/1.1\r\nHost: h\r\n";
             for (int i = 0; i < 3000; ++i) r += "X-" + std::to_string(i) + ": 1\r\n";
             return r + "\r\n";
         }(),
         "431"},
        {"a body", "GET /api/state?token=sesame HTTP/1.1\r\nHost: h\r\nContent-Length: 5\r\n\r\nhello", "413"},
        {"a chunked body", "GET /api/state?token=sesame HTTP/1.1\r\nHost: h\r\nTransfer-Encoding: chunked\r\n\r\n",
         "413"},
        {"two Host headers", "GET /api/state?token=sesame HTTP/1.1\r\nHost: a\r\nHost: b\r\n\r\n", "400"},
        {"no Host header", "GET /api/state?token=sesame HTTP/1.1\r\n\r\n", "400"},
        {"not HTTP", "\x16\x03\x01\x02\x01\x01\x7f\x01\xfc\x03\x03\r\n\r\n", "400"},
        {"a header of 8 KiB and the token",
         "GET /api/state?token=sesame HTTP/1.1\r\nHost: h\r\nConnection: close\r\nX-A: " + std::string(8000, 'c') +
             "\r\n\r\n",
         "200"},
        {"no token", get("/api/state"), "401"},
        {"a POST", "POST /api/state?token=sesame HTTP/1.1\r\nHost: h\r\nContent-Length: 0\r\n\r\n", "405"},
    };
    for (const Case& c : cases) EXPECT_EQ(ask(port, c.request), c.status) << c.what;

    // Held bytes stay near the limit however much a client sends without a line end.
    RequestReader reader;
    RequestReader::Status st = RequestReader::Status::NeedMore;
    std::size_t sent = 0;
    while (st == RequestReader::Status::NeedMore && sent < (1u << 20)) {
        st = reader.feed(std::string(4096, 'x'));
        sent += 4096;
        EXPECT_LE(reader.held(), 80u * 1024);
    }
    EXPECT_EQ(st, RequestReader::Status::Bad);
    EXPECT_EQ(reader.status(), 414);
    EXPECT_LE(sent, 16u * 1024);
}

TEST(LiveServer, AFloodOfSlowAndIdleClientsNeverKeepsATokenClientOut) {
    ServerLimits limits;
    limits.headerTime = 700ms;
    limits.idleTime = 1500ms;
    limits.maxConnections = 40;
    limits.maxPerAddress = 30;
    Served s("sesame", limits);
    ASSERT_EQ(s.started, "");
    const int port = s.server.port();

    // 80 clients trickle a header a byte at a time, 120 more connect and say nothing.
    std::vector<std::unique_ptr<Raw>> slow, idle;
    for (int i = 0; i < 80; ++i) slow.push_back(std::make_unique<Raw>(port));
    std::atomic<bool> trickling{true};
    std::thread trickle([&] {
        const std::string head = "GET /api/state HTTP/1.1\r\nHost: h\r\nX-Slow: ";
        for (std::size_t i = 0; trickling && i < 400; ++i) {
            for (auto& c : slow) c->send(std::string(1, head[i % head.size()]));
            std::this_thread::sleep_for(20ms);
        }
    });
    for (int i = 0; i < 120; ++i) idle.push_back(std::make_unique<Raw>(port));

    // Meanwhile the player's phone asks again and again, and is answered at once.
    int answered = 0;
    std::chrono::milliseconds slowest{0};
    for (int i = 0; i < 15; ++i) {
        const auto t = Clock::now();
        if (ask(port, get("/api/state?token=sesame"), 2000ms) == "200") ++answered;
        slowest = std::max(slowest, std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - t));
        EXPECT_LE(s.server.connections(), limits.maxConnections);
        std::this_thread::sleep_for(100ms);
    }
    EXPECT_EQ(answered, 15);
    EXPECT_LT(slowest, 1000ms);
    // An event stream with the token is kept while the flood goes on.
    Raw events(port);
    ASSERT_TRUE(events.send(get("/api/events?token=sesame")));
    EXPECT_EQ(statusOf(events.readAll(300ms)), "200");
    for (int i = 0; i < 60; ++i) idle.push_back(std::make_unique<Raw>(port));
    s.hub.publish("{\"event\":\"game\"}");
    EXPECT_NE(events.readAll(500ms).find("\"game\""), std::string::npos);

    trickling = false;
    trickle.join();
    // A header that takes longer than the header time is cut off, however steady its trickle.
    Raw late(port);
    ASSERT_TRUE(late.send("GET /api/state HTTP/1.1\r\n"));
    EXPECT_TRUE(late.closedWithin(limits.headerTime + 600ms));
}

TEST(LiveServer, WithoutATokenOnlyThisMachinesOwnNamesAreAnswered) {
    Served s("");
    ASSERT_EQ(s.started, "");
    const int port = s.server.port();
    const std::string p = ":" + std::to_string(port);
    EXPECT_EQ(ask(port, get("/api/state", "127.0.0.1" + p)), "200");
    EXPECT_EQ(ask(port, get("/api/state", "localhost" + p)), "200");
    EXPECT_EQ(ask(port, get("/api/record", "LOCALHOST")), "200");
    EXPECT_EQ(ask(port, get("/api/state", "[::1]" + p)), "200");
    // A page of another site whose name now leads here (DNS rebinding).
    EXPECT_EQ(ask(port, get("/api/state", "evil.example" + p)), "403");
    EXPECT_EQ(ask(port, get("/api/record", "127.0.0.1.evil.example")), "403");
    EXPECT_EQ(ask(port, get("/", "")), "403");

    // Loopback is what the name resolves to, never how it is spelled.
    for (const char* name : {"127.0.0.1", "127.3.4.5", "::1", "localhost", "::ffff:127.0.0.1"})
        EXPECT_TRUE(isLoopback(name)) << name;
    for (const char* name : {"127.0.0.1.example", "0.0.0.0", "::", "10.1.2.3"}) EXPECT_FALSE(isLoopback(name)) << name;
    LiveHub hub;
    LiveServer named(hub, "");
    EXPECT_NE(named.start({"127.0.0.1.example", 0}), "");
    EXPECT_EQ(named.port(), 0);
}

TEST(LiveServer, ThePortIsOwnedAndTheTokenSurvivesTheAddress) {
    Served first("");
    ASSERT_EQ(first.started, "");
    LiveHub hub;
    LiveServer second(hub, "");
    const std::string why = second.start({"127.0.0.1", first.server.port()});
    EXPECT_NE(why.find("in use"), std::string::npos) << why;
    // The first still answers alone.
    EXPECT_EQ(ask(first.server.port(), get("/api/state")), "200");

    const std::string token = "a+b%c&d#e f/\xe3\x81\x82";
    Served odd(token);
    ASSERT_EQ(odd.started, "");
    const std::string url = odd.server.url();
    const std::string query = url.substr(url.find('?'));
    EXPECT_EQ(query.find_first_of("+&# /\x80"), std::string::npos) << url;
    EXPECT_EQ(ask(odd.server.port(), get("/api/state" + query)), "200") << url;
    // The address as it was printed before: a browser sends it up to the '#'.
    EXPECT_EQ(ask(odd.server.port(), get("/api/state?token=a+b%c&d")), "401");
    for (int i = 0; i < 20; ++i) {
        const std::string t = randomToken();
        EXPECT_EQ(t.size(), 32u);
        EXPECT_EQ(percentEncode(t), t);
    }
}

TEST(LiveServer, RequestsAreReadAsTheyComeAndOneAfterAnother) {
    RequestReader reader;
    const std::string two =
        "GET /api/state?token=a%2Bb&x HTTP/1.1\r\nHost: [::1]:80\r\n\r\n"
        "HEAD / HTTP/1.0\r\n\r\n";
    // Byte by byte: nothing is ready before the header ends.
    for (std::size_t i = 0; i + 1 < two.find("HEAD"); ++i)
        ASSERT_EQ(reader.feed(two.substr(i, 1)), RequestReader::Status::NeedMore) << i;
    ASSERT_EQ(reader.feed(two.substr(two.find("HEAD") - 1)), RequestReader::Status::Ready);
    EXPECT_EQ(reader.request().path, "/api/state");
    EXPECT_EQ(reader.request().param("token"), "a+b");
    EXPECT_EQ(hostOfHeader(reader.request().host), "::1");
    ASSERT_EQ(reader.feed({}), RequestReader::Status::Ready);
    EXPECT_EQ(reader.request().method, "HEAD");
    EXPECT_FALSE(reader.request().keepAlive);
    EXPECT_FALSE(reader.started());
    EXPECT_EQ(hostOfHeader("Example.COM:8080"), "example.com");
}

}  // namespace
}  // namespace tobrak::live
