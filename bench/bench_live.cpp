// The live view under load: how long an event takes from the poll that saw the
// game to a client reading the stream over loopback, with 0 or 50 other
// watchers connected.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

#include "acquisition/status_view.h"
#include "app/live_feed.h"
#include "fixture.h"
#include "live/live_server.h"

namespace tobrak::bench {

namespace {

using Clock = std::chrono::steady_clock;

// An event client on a real loopback socket, reading on a thread of its own and
// noting when each event's id arrives.
class EventClient {
public:
    explicit EventClient(int port) : fd_(socket(AF_INET, SOCK_STREAM, 0)) {
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(static_cast<std::uint16_t>(port));
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (connect(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) return;
        const std::string req = "GET /api/events HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n";
        if (send(fd_, req.data(), req.size(), 0) != static_cast<ssize_t>(req.size())) return;
        thread_ = std::thread([this] { run(); });
    }
    ~EventClient() {
        shutdown(fd_, SHUT_RDWR);
        if (thread_.joinable()) thread_.join();
        close(fd_);
    }
    // When event `seq` (or a later one) arrived; waits up to a second for it.
    Clock::time_point waitFor(std::uint64_t seq) {
        std::unique_lock lock(m_);
        cv_.wait_for(lock, std::chrono::seconds(1), [&] { return last_ >= seq; });
        return last_ >= seq ? at_ : Clock::time_point{};
    }

private:
    void run() {
        std::string pending;
        char buf[65536];
        for (;;) {
            const ssize_t n = recv(fd_, buf, sizeof buf, 0);
            if (n <= 0) return;
            pending.append(buf, static_cast<std::size_t>(n));
            std::size_t at;
            while ((at = pending.find("id: ")) != std::string::npos) {
                const std::size_t end = pending.find('\n', at);
                if (end == std::string::npos) break;
                const std::uint64_t seq = std::stoull(pending.substr(at + 4, end - at - 4));
                pending.erase(0, end);
                {
                    std::lock_guard lock(m_);
                    last_ = seq;
                    at_ = Clock::now();
                }
                cv_.notify_all();
            }
            if (pending.size() > (1 << 20)) pending.erase(0, pending.size() - 16);
        }
    }
    int fd_;
    std::thread thread_;
    std::mutex m_;
    std::condition_variable cv_;
    std::uint64_t last_ = 0;
    Clock::time_point at_;
};

}  // namespace

// The live view on a program, with `clients` event clients connected.
struct LiveWatchers {
    LiveWatchers(Program& c, int clients) : feed(c.session, hub), server(hub, "") {
        if (!server.start({"127.0.0.1", 0}).empty()) return;
        for (int i = 0; i < clients; ++i) this->clients.push_back(std::make_unique<EventClient>(server.port()));
        const auto deadline = Clock::now() + std::chrono::seconds(10);
        while (hub.watchers() < static_cast<std::size_t>(clients) && Clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        ok = hub.watchers() == static_cast<std::size_t>(clients);
    }
    ~LiveWatchers() { server.stop(); }
    live::LiveHub hub;
    LiveFeed feed;
    live::LiveServer server;
    std::vector<std::unique_ptr<EventClient>> clients;
    bool ok = false;
};

std::shared_ptr<LiveWatchers> watchLive(benchmark::State& st, Program& c, int clients) {
    auto w = std::make_shared<LiveWatchers>(c, clients);
    if (!w->ok) st.SkipWithError("the event clients did not connect");
    return w;
}

std::uint64_t liveEvents(const LiveWatchers& w) { return w.hub.sequence(); }

void settle(const LiveWatchers& w) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(80);
    while (!w.hub.drained() && Clock::now() < deadline) std::this_thread::sleep_for(std::chrono::microseconds(200));
    std::this_thread::sleep_for(std::chrono::milliseconds(1));  // their last writes
}

namespace {

// A game polled with one watcher reading plus `range(0)` others; the time is
// from before the poll to the reading client holding the game's event.
void BM_EventLatency(benchmark::State& st) {
    Started p(Surfaces::Recording);
    if (!p.load(st, 3000)) return;
    Program& c = p.program();
    const auto w = watchLive(st, c, 1 + static_cast<int>(st.range(0)));
    if (!w->ok) return;
    const auto& games = longRecordGames();
    std::size_t next = 3000;
    for (auto _ : st) {
        if (c.rec.Dat_Len >= kDatMax - 10) {
            st.SkipWithError("the record filled up");
            return;
        }
        const std::uint8_t b = games[next++ % games.size()];
        settle(*w);
        const std::uint64_t before = w->hub.sequence();
        const auto t0 = Clock::now();
        p.board.pushCode(static_cast<std::uint8_t>(b >> 4));
        c.Timer2_Timer();
        if (w->hub.sequence() == before) {
            st.SkipWithError("the poll took no game");
            return;
        }
        const auto t1 = w->clients.front()->waitFor(w->hub.sequence());
        if (t1 == Clock::time_point{}) {
            st.SkipWithError("an event did not arrive within a second");
            return;
        }
        st.SetIterationTime(std::chrono::duration<double>(t1 - t0).count());
    }
    st.SetLabel(std::to_string(st.range(0)) + " other watchers");
}
BENCHMARK(BM_EventLatency)->Arg(0)->Arg(50)->UseManualTime()->Unit(benchmark::kMicrosecond);

}  // namespace

}  // namespace tobrak::bench
