#include "live/live_server.h"

#include <httplib.h>

#include <atomic>
#include <cstdio>
#include <random>

#include "live/live_page.h"

#ifdef __linux__
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

namespace tobrak::live {

namespace {

// A connection per event client plus a few for the other routes.
constexpr std::size_t kThreads = LiveHub::kMaxWatchers + 8;
constexpr auto kEventWait = std::chrono::milliseconds(500);
constexpr auto kKeepAlive = std::chrono::seconds(2);  // a comment line: a closed client is noticed

bool tokenMatches(const std::string& given, const std::string& token) {
    // The same time whatever the first difference.
    if (given.size() != token.size()) return false;
    unsigned char diff = 0;
    for (std::size_t i = 0; i < token.size(); ++i) diff |= static_cast<unsigned char>(given[i] ^ token[i]);
    return diff == 0;
}

void noStore(httplib::Response& res) {
    res.set_header("Cache-Control", "no-store");
    res.set_header("X-Content-Type-Options", "nosniff");
}

// The server's threads give way to the program's: fifty watchers woken by an
// event must not hold up the poll that made it.
void giveWay() {
#ifdef __linux__
    static thread_local bool done = false;
    if (done) return;
    done = true;
    setpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)), 10);
#endif
}

std::string frame(const LiveEvent& e) { return "id: " + std::to_string(e.seq) + "\ndata: " + e.json + "\n\n"; }

}  // namespace

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

bool isLoopback(const std::string& host) { return host == "localhost" || host == "::1" || host.rfind("127.", 0) == 0; }

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

LiveServer::LiveServer(LiveHub& hub, std::string token) : hub_(hub), token_(std::move(token)) {}

LiveServer::~LiveServer() { stop(); }

std::string LiveServer::start(const ListenAddress& at) {
    if (!isLoopback(at.host) && token_.empty())
        return "listening on " + at.host + " lets other machines in: give a --token";
    server_ = std::make_unique<httplib::Server>();
    httplib::Server& s = *server_;
    s.new_task_queue = [] { return new httplib::ThreadPool(kThreads); };
    s.set_keep_alive_timeout(2);
    s.set_tcp_nodelay(true);  // an event is a few small writes: none may wait for the previous one's ack
    s.set_write_timeout(2, 0);
    s.set_payload_max_length(4096);

    s.set_pre_routing_handler([this](const httplib::Request& req, httplib::Response& res) {
        giveWay();
        if (req.method != "GET" && req.method != "HEAD") {
            res.status = 405;
            return httplib::Server::HandlerResponse::Handled;
        }
        if (!token_.empty()) {
            std::string given = req.get_param_value("token");
            const std::string auth = req.get_header_value("Authorization");
            if (given.empty() && auth.rfind("Bearer ", 0) == 0) given = auth.substr(7);
            if (!tokenMatches(given, token_)) {
                res.status = 401;
                res.set_content("401 the address needs its token (?token=...)\n", "text/plain; charset=utf-8");
                return httplib::Server::HandlerResponse::Handled;
            }
        }
        // This server version would compress the event stream, holding each
        // event back in the compressor: the stream goes out as it is.
        if (req.path == "/api/events") const_cast<httplib::Request&>(req).headers.erase("Accept-Encoding");
        return httplib::Server::HandlerResponse::Unhandled;
    });

    s.Get("/", [this](const httplib::Request&, httplib::Response& res) {
        noStore(res);
        res.set_content(page(), "text/html; charset=utf-8");
    });
    s.Get("/api/state", [this](const httplib::Request&, httplib::Response& res) {
        noStore(res);
        res.set_content(hub_.state(), "application/json");
    });
    s.Get("/api/record", [this](const httplib::Request&, httplib::Response& res) {
        noStore(res);
        res.set_content(hub_.record(), "application/json");
    });
    s.Get("/graph.png", [this](const httplib::Request&, httplib::Response& res) {
        noStore(res);
        const auto png = hub_.graph();
        if (!png) {
            // The first picture is being made.
            res.status = 503;
            res.set_header("Retry-After", "1");
            return;
        }
        res.set_content(png->data(), png->size(), "image/png");
    });
    s.Get("/api/events", [this](const httplib::Request&, httplib::Response& res) {
        noStore(res);
        auto w = hub_.watch();
        if (!w) {
            res.status = 503;
            res.set_header("Retry-After", "5");
            res.set_content("too many event clients\n", "text/plain");
            return;
        }
        struct Stream {
            bool started = false;
            std::chrono::steady_clock::time_point lastWrite;
        };
        auto st = std::make_shared<Stream>();
        res.set_chunked_content_provider(
            "text/event-stream",
            [this, w, st](std::size_t, httplib::DataSink& sink) {
                auto send = [&](const std::string& text) {
                    st->lastWrite = std::chrono::steady_clock::now();
                    return sink.write(text.data(), text.size());
                };
                if (!st->started) {
                    // The state as it is, so that a page is current at once.
                    st->started = true;
                    const LiveEvent now{hub_.sequence(), "{\"event\":\"hello\",\"state\":" + hub_.state() + "}"};
                    return send("retry: 1000\n" + frame(now));
                }
                const auto e = w->next(kEventWait);
                if (e) return send(frame(*e));
                if (w->gone()) return false;
                if (std::chrono::steady_clock::now() - st->lastWrite > kKeepAlive) return send(":\n\n");
                return true;
            },
            [this, w](bool) { hub_.leave(w); });
    });

    host_ = at.host;
    if (at.port == 0)
        port_ = s.bind_to_any_port(at.host);
    else
        port_ = s.bind_to_port(at.host, at.port) ? at.port : -1;
    if (port_ < 0) {
        server_.reset();
        port_ = 0;
        return "cannot listen on " + at.host + ":" + std::to_string(at.port) + " (in use, or not an address here)";
    }
    auto ended = std::make_shared<std::atomic<bool>>(false);
    thread_ = std::thread([&s, ended] {
        s.listen_after_bind();
        *ended = true;
    });
    // A stop before the loop runs would not reach it: start returns once it runs.
    while (!s.is_running() && !*ended) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return {};
}

void LiveServer::stop() {
    if (!server_) return;
    hub_.close();
    server_->stop();
    if (thread_.joinable()) thread_.join();
    server_.reset();
}

std::string LiveServer::page() const {
    static const std::string_view marker = "/*BOOT*/null";
    const std::string_view whole = kLivePage;
    const auto at = whole.find(marker);
    if (at == std::string_view::npos) return std::string(whole);
    // '<' occurs only inside the JSON's strings, where \u003c means the same: no
    // comment text can end the script.
    std::string boot = "{\"state\":" + hub_.state() + ",\"record\":" + hub_.record() + "}";
    std::string safe;
    safe.reserve(boot.size());
    for (const char ch : boot) {
        if (ch == '<')
            safe += "\\u003c";
        else
            safe += ch;
    }
    return std::string(whole.substr(0, at)) + safe + std::string(whole.substr(at + marker.size()));
}

std::string LiveServer::url(const std::string& host) const {
    std::string h = host.empty() ? host_ : host;
    if (h.find(':') != std::string::npos) h = "[" + h + "]";
    return "http://" + h + ":" + std::to_string(port_) + "/" + (token_.empty() ? "" : "?token=" + token_);
}

}  // namespace tobrak::live
