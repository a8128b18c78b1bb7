#include "live/live_server.h"

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/post.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/asio/write.hpp>
#include <boost/beast/core/tcp_stream.hpp>
#include <boost/beast/http/status.hpp>

#include <algorithm>
#include <array>
#include <atomic>
#include <cctype>
#include <cstdio>
#include <map>
#include <mutex>
#include <new>
#include <optional>
#include <random>
#include <thread>

#include "live/live_page.h"

#ifdef __linux__
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif
#ifdef _WIN32
#include <iphlpapi.h>
#else
#include <arpa/inet.h>
#include <ifaddrs.h>
#include <netinet/in.h>
#endif

namespace tobrak::live {

namespace asio = boost::asio;
namespace beast = boost::beast;
using tcp = asio::ip::tcp;
using Clock = std::chrono::steady_clock;

namespace {

constexpr auto kKeepAlive = std::chrono::seconds(2);  // a comment line: a closed client is noticed
constexpr auto kTick = std::chrono::milliseconds(500);
constexpr std::size_t kReadChunk = 4096;
constexpr std::size_t kEventBatch = 64 * 1024;  // events written at once to one slow client
constexpr std::size_t kLingerBytes = 64 * 1024;
constexpr auto kLingerTime = std::chrono::milliseconds(1000);

bool tokenMatches(const std::string& given, const std::string& token) {
    // The same time whatever the first difference.
    if (given.size() != token.size()) return false;
    unsigned char diff = 0;
    for (std::size_t i = 0; i < token.size(); ++i) diff |= static_cast<unsigned char>(given[i] ^ token[i]);
    return diff == 0;
}

// The server's thread gives way to the program's: fifty watchers woken by an
// event must not hold up the poll that made it.
void giveWay() {
#ifdef __linux__
    setpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)), 10);
#endif
}

std::string frame(const LiveEvent& e) { return "id: " + std::to_string(e.seq) + "\ndata: " + e.json + "\n\n"; }

// IPv4 addresses mapped into IPv6 count as what they are.
asio::ip::address plain(const asio::ip::address& a) {
    if (a.is_v6() && a.to_v6().is_v4_mapped()) return asio::ip::make_address_v4(asio::ip::v4_mapped, a.to_v6());
    return a;
}

Reply text(int status, std::string body) { return textReply(status, std::move(body)); }

std::string reason(int status) {
    const auto s = beast::http::obsolete_reason(static_cast<beast::http::status>(status));
    return s.empty() ? std::string("Unknown") : std::string(s);
}

std::string head(const Reply& r, std::size_t length, bool keepAlive) {
    std::string h = "HTTP/1.1 " + std::to_string(r.status) + " " + reason(r.status) + "\r\n";
    if (!r.contentType.empty()) h += "Content-Type: " + r.contentType + "\r\n";
    h += "Content-Length: " + std::to_string(length) + "\r\n";
    for (const auto& [n, v] : r.headers) h += n + ": " + v + "\r\n";
    h += keepAlive ? "Connection: keep-alive\r\n\r\n" : "Connection: close\r\n\r\n";
    return h;
}

// Said to a client when the server itself ran out of memory: made beforehand.
const std::string kOutOfMemory =
    "HTTP/1.1 503 Service Unavailable\r\nContent-Length: 0\r\nRetry-After: 5\r\nConnection: close\r\n\r\n";

}  // namespace

// --- addresses ---------------------------------------------------------------

std::string parseListen(const std::string& text, ListenAddress& out) {
    std::string host = "127.0.0.1", port = text;
    if (!text.empty() && text[0] == '[') {
        const auto close = text.find("]:");
        if (close == std::string::npos) return "--listen takes [ADDR:]PORT, not '" + text + "'";
        host = text.substr(1, close - 1);
        port = text.substr(close + 2);
    } else if (const auto colon = text.rfind(':'); colon != std::string::npos) {
        host = text.substr(0, colon);
        port = text.substr(colon + 1);
    }
    char* end = nullptr;
    const long p = std::strtol(port.c_str(), &end, 10);
    if (host.empty() || port.empty() || *end || p < 0 || p > 65535)
        return "--listen takes [ADDR:]PORT with a port 0-65535, not '" + text + "'";
    out.host = host;
    out.port = static_cast<int>(p);
    return {};
}

namespace {

// What `host` resolves to, numeric; empty with `why` set when it resolves to nothing.
std::vector<tcp::endpoint> resolve(const std::string& host, int port, std::string& why) {
    asio::io_context ioc;
    tcp::resolver resolver(ioc);
    boost::system::error_code ec;
    const auto found =
        resolver.resolve(host, std::to_string(port), tcp::resolver::passive | tcp::resolver::numeric_service, ec);
    std::vector<tcp::endpoint> out;
    if (!ec)
        for (const auto& e : found) out.push_back(e.endpoint());
    if (out.empty()) why = "no such address (" + (ec ? ec.message() : std::string("nothing found")) + ")";
    return out;
}

}  // namespace

namespace {
bool allLoopback(const std::vector<tcp::endpoint>& found) {
    return !found.empty() && std::all_of(found.begin(), found.end(),
                                         [](const tcp::endpoint& e) { return plain(e.address()).is_loopback(); });
}
}  // namespace

bool isLoopback(const std::string& host) {
    std::string why;
    return allLoopback(resolve(host, 0, why));
}

std::string randomToken() {
    std::random_device rd;
    std::string t;
    char buf[9];
    for (int i = 0; i < 4; ++i) {
        std::snprintf(buf, sizeof buf, "%08x", static_cast<unsigned>(rd()));
        t += buf;
    }
    return t;
}

namespace {
// An interface address as text; nothing for a family other than IPv4 and IPv6.
std::optional<std::string> addressText(const sockaddr* sa) {
    if (sa->sa_family == AF_INET) {
        const auto* in = reinterpret_cast<const sockaddr_in*>(sa);
        return asio::ip::address_v4(ntohl(in->sin_addr.s_addr)).to_string();
    }
    if (sa->sa_family == AF_INET6) {
        const auto* in6 = reinterpret_cast<const sockaddr_in6*>(sa);
        asio::ip::address_v6::bytes_type b;
        std::copy(std::begin(in6->sin6_addr.s6_addr), std::end(in6->sin6_addr.s6_addr), b.begin());
        return asio::ip::address_v6(b).to_string();
    }
    return std::nullopt;
}
}  // namespace

std::vector<std::string> localAddresses() {
    std::vector<std::string> out;
#ifdef _WIN32
    ULONG size = 16 * 1024;
    std::vector<unsigned char> buf;
    ULONG rc = ERROR_BUFFER_OVERFLOW;
    for (int tries = 0; tries < 3 && rc == ERROR_BUFFER_OVERFLOW; ++tries) {
        buf.resize(size);
        rc = GetAdaptersAddresses(AF_UNSPEC, GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST | GAA_FLAG_SKIP_DNS_SERVER,
                                  nullptr, reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buf.data()), &size);
    }
    if (rc != NO_ERROR) return out;
    for (auto* a = reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buf.data()); a; a = a->Next)
        for (auto* u = a->FirstUnicastAddress; u; u = u->Next)
            if (auto t = addressText(u->Address.lpSockaddr)) out.push_back(*t);
#else
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) return out;
    for (ifaddrs* i = list; i; i = i->ifa_next)
        if (i->ifa_addr)
            if (auto t = addressText(i->ifa_addr)) out.push_back(*t);
    freeifaddrs(list);
#endif
    return out;
}

HostRule::HostRule(std::string listenHost, std::vector<std::string> localAddresses)
    : listen_(hostOfHeader("[" + listenHost + "]")), local_(std::move(localAddresses)) {}

bool HostRule::allows(const std::string& hostHeader) const {
    const std::string h = hostOfHeader(hostHeader);
    if (h.empty()) return false;
    // localhost and its subdomains never leave the machine (browsers do not ask DNS).
    if (h == "localhost" || h == "localhost." || (h.size() > 10 && h.compare(h.size() - 10, 10, ".localhost") == 0))
        return true;
    if (!listen_.empty() && h == listen_) return true;
    boost::system::error_code ec;
    const auto a = asio::ip::make_address(h, ec);
    if (ec) return false;  // another name: a page that renamed itself to us
    const auto p = plain(a);
    if (p.is_loopback()) return true;
    const std::string s = p.to_string();
    return std::find(local_.begin(), local_.end(), s) != local_.end();
}

// --- routes --------------------------------------------------------------------

Reply textReply(int status, std::string body) {
    Reply r;
    r.status = status;
    r.contentType = "text/plain; charset=utf-8";
    r.body = std::move(body);
    return r;
}

bool Gate::admitted(const HttpRequest& r) const {
    if (token_.empty()) return hosts_.allows(r.host);
    std::string given = r.param("token");
    if (given.empty() && r.authorization.rfind("Bearer ", 0) == 0) given = r.authorization.substr(7);
    return tokenMatches(given, token_);
}

Reply Gate::refusal() const {
    if (token_.empty())
        return text(403,
                    "403 this server answers only to the address it listens on, localhost or this "
                    "machine's own addresses\n");
    return text(401, "401 the address needs its token (?token=...)\n");
}

LiveRoutes::LiveRoutes(LiveHub& hub, std::string token, HostRule hosts)
    : hub_(hub), gate_(std::move(token), std::move(hosts)) {}

Reply LiveRoutes::answer(const HttpRequest& r) const {
    const bool in = admitted(r);
    Reply reply = route(r, in);
    reply.admitted = in;
    return reply;
}

Reply LiveRoutes::route(const HttpRequest& r, bool in) const {
    const bool counting = r.path == "/api/count";
    if (counting && r.method != "POST") {
        Reply no = text(405, "405 a count is a POST\n");
        no.headers.emplace_back("Allow", "POST");
        return no;
    }
    if (!counting && r.method != "GET" && r.method != "HEAD") {
        Reply no = text(405, "405 only GET and HEAD are answered here\n");
        no.headers.emplace_back("Allow", "GET, HEAD");
        return no;
    }
    if (!in) return gate_.refusal();
    if (counting) return count(r);
    Reply ok;
    ok.headers = {{"Cache-Control", "no-store"}, {"X-Content-Type-Options", "nosniff"}};
    if (r.path == "/") {
        ok.contentType = "text/html; charset=utf-8";
        ok.body = page();
    } else if (r.path == "/api/state") {
        ok.contentType = "application/json";
        ok.body = hub_.state();
    } else if (r.path == "/api/record") {
        ok.contentType = "application/json";
        ok.body = hub_.record();
    } else if (r.path == "/api/sessions") {
        ok.contentType = "application/json";
        ok.body = hub_.sessions();
    } else if (r.path == "/graph.png") {
        const auto png = hub_.graph();
        if (!png) {
            // The first picture is being made.
            ok.status = 503;
            ok.headers.emplace_back("Retry-After", "1");
        } else {
            ok.contentType = "image/png";
            ok.body = *png;
        }
    } else if (r.path == "/api/events") {
        ok.events = true;
    } else {
        return text(404, "404 nothing here\n");
    }
    return ok;
}

namespace {
// A request id as pages make them: 1 to 64 letters, digits, '-' and '_'.
bool requestId(const std::string& id) {
    return !id.empty() && id.size() <= 64 &&
           std::ranges::all_of(id, [](unsigned char ch) { return std::isalnum(ch) || ch == '-' || ch == '_'; });
}
}  // namespace

Reply LiveRoutes::count(const HttpRequest& r) const {
    // Only a token says who taps: without one, any page the phone opens could count.
    if (!gate_.hasToken()) return text(403, "403 counting from a page needs the live view's token (--token)\n");
    const std::string counter = r.param("counter"), by = r.param("by").empty() ? "1" : r.param("by");
    const std::string id = r.param("id");
    if (counter.size() != 1 || counter[0] < '1' || counter[0] > '0' + kMaxPageCounters)
        return text(400, "400 counter=N is a counter from 1 to 8\n");
    if (by != "1" && by != "-1") return text(400, "400 by=1 counts one, by=-1 takes one back\n");
    if (!requestId(id)) return text(400, "400 id=R names the tap: 1 to 64 letters, digits, - and _\n");
    Reply ok;
    ok.headers = {{"Cache-Control", "no-store"}, {"X-Content-Type-Options", "nosniff"}};
    ok.contentType = "application/json";
    switch (hub_.command(id, {counter[0] - '1', by == "1" ? 1 : -1})) {
        case LiveHub::Taken::Queued: ok.body = R"({"taken":true})"; break;
        case LiveHub::Taken::Repeated: ok.body = R"({"taken":false,"repeated":true})"; break;
        case LiveHub::Taken::Busy:
            ok = text(503, "503 too many taps wait: try again\n");
            ok.headers.emplace_back("Retry-After", "1");
            break;
    }
    return ok;
}

std::string LiveRoutes::page() const {
    return withBoot(kLivePage, "{\"state\":" + hub_.state() + ",\"record\":" + hub_.record() + "}");
}

std::string withBoot(std::string_view page, const std::string& json) {
    static const std::string_view marker = "/*BOOT*/null";
    const auto at = page.find(marker);
    if (at == std::string_view::npos) return std::string(page);
    // '<' occurs only inside the JSON's strings, where \u003c means the same: no
    // comment text can end the script.
    std::string safe;
    safe.reserve(json.size());
    for (const char ch : json) {
        if (ch == '<')
            safe += "\\u003c";
        else
            safe += ch;
    }
    return std::string(page.substr(0, at)) + safe + std::string(page.substr(at + marker.size()));
}

// --- the server ------------------------------------------------------------

namespace {
struct Connection;
}

struct LiveServer::Core {
    Core(LiveHub& h, const ServerLimits& l, std::unique_ptr<Site> s) : hub(h), limits(l), routes(std::move(s)) {}

    void acceptNext();
    void admit(tcp::socket s);
    void tick();
    void pumpAll();
    void run();

    LiveHub& hub;
    ServerLimits limits;
    std::unique_ptr<Site> routes;
    asio::io_context ioc{1};
    tcp::acceptor acceptor{ioc};
    asio::steady_timer ticker{ioc};
    asio::steady_timer acceptPause{ioc};
    std::map<std::uint64_t, std::shared_ptr<Connection>> conns;  // by age: the oldest first
    std::uint64_t nextId = 0;
    std::atomic<std::size_t> open{0};
    std::atomic<bool> pumpPosted{false};
    std::thread thread;
};

namespace {

struct Connection : std::enable_shared_from_this<Connection> {
    enum class Phase { Reading, Writing, Streaming };

    Connection(LiveServer::Core& c, tcp::socket s, std::uint64_t i, std::string addr)
        : core(c), stream(std::move(s)), id(i), address(std::move(addr)), reader(c.limits.http), since(Clock::now()) {}

    // One step of this connection, guarded: whatever goes wrong ends this
    // connection only, never the server's thread.
    template <class F>
    void guarded(F&& f) {
        try {
            f();
        } catch (const std::bad_alloc&) {
            outOfMemory();
        } catch (...) {
            close();
        }
    }

    void readMore() {
        phase = Phase::Reading;
        // Idle until a request begins; then its whole header within the header time.
        stream.expires_at(reader.started() ? headerDue : Clock::now() + core.limits.idleTime);
        stream.async_read_some(asio::buffer(buf), [self = shared_from_this()](beast::error_code ec, std::size_t n) {
            self->guarded([&] { self->onRead(ec, n); });
        });
    }

    void onRead(beast::error_code ec, std::size_t n) {
        if (ec || !isOpen) return close();
        if (!reader.started()) headerDue = Clock::now() + core.limits.headerTime;
        handle(reader.feed(std::string_view(buf.data(), n)));
    }

    void handle(RequestReader::Status st) {
        if (st == RequestReader::Status::NeedMore) return readMore();
        if (st == RequestReader::Status::Bad) {
            Reply r = text(reader.status(), std::to_string(reader.status()) + " " + reason(reader.status()) + "\n");
            return respond(r, false, false);
        }
        const HttpRequest& req = reader.request();
        Reply r = core.routes->answer(req);
        admitted = admitted || r.admitted;
        if (r.events) return startEvents();
        const bool keep = req.keepAlive && r.status != 401 && r.status != 403 && r.status != 405;
        respond(r, keep, req.method == "HEAD");
    }

    void respond(const Reply& r, bool keep, bool headOnly) {
        out = head(r, r.body.size(), keep);
        if (!headOnly) out += r.body;
        write([self = shared_from_this(), keep] {
            if (!keep) return self->lingerClose();
            self->since = Clock::now();                                    // idle from now
            self->headerDue = self->since + self->core.limits.headerTime;  // for a request already begun
            self->handle(self->reader.feed({}));
        });
    }

    template <class Then>
    void write(Then then) {
        if (phase != Phase::Streaming) phase = Phase::Writing;
        writing = true;
        lastWrite = Clock::now();
        stream.expires_after(core.limits.writeTime);
        asio::async_write(stream, asio::buffer(out),
                          [self = shared_from_this(), then](beast::error_code ec, std::size_t) {
                              self->guarded([&] {
                                  self->writing = false;
                                  std::string().swap(self->out);
                                  if (ec || !self->isOpen) return self->close();
                                  then();
                              });
                          });
    }

    void startEvents() {
        watcher = core.hub.watch();
        if (!watcher) {
            Reply busy = text(503, "too many event clients\n");
            busy.headers.emplace_back("Retry-After", "5");
            return respond(busy, false, false);
        }
        phase = Phase::Streaming;
        // The state as it is, so that a page is current at once.
        const LiveEvent now{core.hub.sequence(), "{\"event\":\"hello\",\"state\":" + core.hub.state() + "}"};
        out =
            "HTTP/1.1 200 OK\r\nContent-Type: text/event-stream\r\nCache-Control: no-store\r\n"
            "X-Content-Type-Options: nosniff\r\nConnection: close\r\n\r\nretry: 1000\n" +
            frame(now);
        write([self = shared_from_this()] { self->pump(); });
    }

    // The events waiting for this stream, or a comment line now and then.
    void pump() {
        if (phase != Phase::Streaming || writing || !isOpen) return;
        if (watcher->gone()) return close();
        std::string batch;
        while (batch.size() < kEventBatch) {
            const auto e = watcher->next(std::chrono::milliseconds(0));
            if (!e) break;
            batch += frame(*e);
        }
        if (batch.empty()) {
            if (Clock::now() - lastWrite < kKeepAlive) return;
            batch = ":\n\n";
        }
        out = std::move(batch);
        write([self = shared_from_this()] { self->pump(); });
    }

    // The answer is out; what the client still sends is read and thrown away for
    // a moment, so that closing does not reset the connection before the client
    // has read why.
    void lingerClose() {
        closing = true;
        beast::error_code ec;
        stream.socket().shutdown(tcp::socket::shutdown_send, ec);
        lingerLeft = kLingerBytes;
        drain();
    }

    void drain() {
        stream.expires_after(kLingerTime);
        stream.async_read_some(asio::buffer(buf), [self = shared_from_this()](beast::error_code ec, std::size_t n) {
            self->guarded([&] {
                if (ec || !self->isOpen || n >= self->lingerLeft) return self->close();
                self->lingerLeft -= n;
                self->drain();
            });
        });
    }

    void outOfMemory() {
        if (!isOpen) return;
        // The answer was made beforehand; the connection ends after it.
        beast::error_code ec;
        stream.socket().non_blocking(true, ec);
        stream.socket().write_some(asio::buffer(kOutOfMemory), ec);
        close();
    }

    void close() {
        if (!isOpen) return;
        isOpen = false;
        if (watcher) core.hub.leave(watcher);
        watcher.reset();
        beast::error_code ec;
        stream.socket().shutdown(tcp::socket::shutdown_both, ec);
        stream.close();
        core.conns.erase(id);  // may drop the last owner but for the handler now running
        core.open = core.conns.size();
    }

    // May go to make room for a new connection: never sent a request that was
    // let in, or waiting idle between requests.
    bool evictable() const {
        return closing || !admitted || (phase == Phase::Reading && !reader.started() && !writing);
    }

    LiveServer::Core& core;
    beast::tcp_stream stream;
    std::uint64_t id;
    std::string address;
    RequestReader reader;
    std::array<char, kReadChunk> buf{};
    Phase phase = Phase::Reading;
    bool admitted = false, writing = false, isOpen = true, closing = false;
    std::size_t lingerLeft = 0;
    Clock::time_point since, headerDue{}, lastWrite{};
    std::string out;
    std::shared_ptr<LiveHub::Watcher> watcher;
};

}  // namespace

void LiveServer::Core::acceptNext() {
    acceptor.async_accept([this](beast::error_code ec, tcp::socket s) {
        if (!acceptor.is_open()) return;
        if (ec) {
            // Out of file descriptors, say: try again shortly rather than spin.
            acceptPause.expires_after(std::chrono::milliseconds(100));
            acceptPause.async_wait([this](beast::error_code) {
                if (acceptor.is_open()) acceptNext();
            });
            return;
        }
        try {
            admit(std::move(s));
        } catch (...) {
            // This client is not served; the others are.
        }
        acceptNext();
    });
}

void LiveServer::Core::admit(tcp::socket s) {
    beast::error_code ec;
    const auto peer = s.remote_endpoint(ec);
    if (ec) return;
    std::string addr = plain(peer.address()).to_string();
    // Room is made from the oldest that asked for nothing it was let in for, or
    // that waits idle; a client with the token is never pushed out by them.
    for (;;) {
        std::size_t fromHere = 0;
        for (const auto& [id, c] : conns) fromHere += c->address == addr;
        const bool perAddress = fromHere >= limits.maxPerAddress;
        if (!perAddress && conns.size() < limits.maxConnections) break;
        Connection* victim = nullptr;
        for (const auto& [id, c] : conns) {
            if (!c->evictable() || (perAddress && c->address != addr)) continue;
            if (!victim || c->since < victim->since) victim = c.get();
        }
        if (!victim) {
            s.close(ec);  // full of clients that were let in
            return;
        }
        victim->close();
    }
    s.set_option(tcp::no_delay(true), ec);  // an event is a few small writes: none may wait for an ack
    auto c = std::make_shared<Connection>(*this, std::move(s), nextId++, std::move(addr));
    conns.emplace(c->id, c);
    open = conns.size();
    c->readMore();
}

void LiveServer::Core::pumpAll() {
    pumpPosted = false;
    // A copy: a stream that ends leaves the map.
    std::vector<std::shared_ptr<Connection>> streams;
    for (const auto& [id, c] : conns)
        if (c->phase == Connection::Phase::Streaming) streams.push_back(c);
    for (const auto& c : streams) c->guarded([&] { c->pump(); });
}

void LiveServer::Core::tick() {
    ticker.expires_after(kTick);
    ticker.async_wait([this](beast::error_code ec) {
        if (ec) return;
        pumpAll();
        tick();
    });
}

void LiveServer::Core::run() {
    giveWay();
    for (;;) {
        try {
            ioc.run();
            return;
        } catch (...) {
            // A handler that threw ended its own connection; the rest go on.
        }
    }
}

LiveServer::LiveServer(LiveHub& hub, std::string token, ServerLimits limits, SiteMaker site)
    : hub_(hub), token_(std::move(token)), limits_(limits), site_(std::move(site)) {}

LiveServer::~LiveServer() { stop(); }

std::string LiveServer::start(const ListenAddress& at) {
    if (core_) return {};
    std::string why;
    const auto endpoints = resolve(at.host, at.port, why);
    if (endpoints.empty()) return "cannot listen on " + at.host + ": " + why;
    if (!allLoopback(endpoints) && token_.empty())
        return "listening on " + at.host + " lets other machines in: give a --token";

    HostRule hosts(at.host, localAddresses());
    std::unique_ptr<Site> site =
        site_ ? site_(hub_, Gate(token_, hosts)) : std::make_unique<LiveRoutes>(hub_, token_, std::move(hosts));
    auto core = std::make_shared<Core>(hub_, limits_, std::move(site));
    const tcp::endpoint where = endpoints.front();
    beast::error_code ec;
    core->acceptor.open(where.protocol(), ec);
#ifdef _WIN32
    // Windows would let another program bind the same port beside us.
    if (!ec) core->acceptor.set_option(asio::detail::socket_option::boolean<SOL_SOCKET, SO_EXCLUSIVEADDRUSE>(true), ec);
#else
    // A restart may bind at once after a stop; two servers never share the port.
    if (!ec) core->acceptor.set_option(tcp::acceptor::reuse_address(true), ec);
#endif
    if (!ec) core->acceptor.bind(where, ec);
    if (!ec) core->acceptor.listen(asio::socket_base::max_listen_connections, ec);
    if (ec) {
        const std::string place = at.host + ":" + std::to_string(at.port);
        if (ec == asio::error::address_in_use)
            return "port " + std::to_string(at.port) + " on " + at.host + " is in use (another program listens there)";
        if (ec == asio::error::access_denied) return "cannot listen on " + place + ": permission denied";
        return "cannot listen on " + place + ": " + ec.message();
    }
    host_ = at.host;
    port_ = core->acceptor.local_endpoint().port();

    // Each event wakes the streams on the server's thread; many events before
    // it runs wake them once.
    std::weak_ptr<Core> weak = core;
    hub_.onChange([weak] {
        // The posted step holds no owner: it runs only while the server does.
        if (auto c = weak.lock())
            if (!c->pumpPosted.exchange(true)) asio::post(c->ioc, [raw = c.get()] { raw->pumpAll(); });
    });
    core->acceptNext();
    core->tick();
    core->thread = std::thread([c = core.get()] { c->run(); });
    core_ = std::move(core);
    return {};
}

void LiveServer::stop() {
    if (!core_) return;
    hub_.onChange({});
    hub_.close();
    core_->ioc.stop();
    if (core_->thread.joinable()) core_->thread.join();
    // Connections hold the core by reference: they go first.
    for (auto& [id, c] : core_->conns) c->isOpen = false;
    core_->conns.clear();
    core_->acceptor.close();
    core_.reset();
}

std::size_t LiveServer::connections() const { return core_ ? core_->open.load() : 0; }

std::string LiveServer::url(const std::string& host) const {
    std::string h = host.empty() ? host_ : host;
    if (h.find(':') != std::string::npos) h = "[" + h + "]";
    return "http://" + h + ":" + std::to_string(port_) + "/" +
           (token_.empty() ? "" : "?token=" + percentEncode(token_));
}

}  // namespace tobrak::live
