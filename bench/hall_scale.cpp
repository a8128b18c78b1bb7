// Many simulated machines publishing to one broker, and the hall page that
// follows them: how long a game takes from the poll that closed it to the
// page's event stream, whether every game reached the page, and what the page's
// process (and the broker's) spent. scripts/hall-scale starts the broker and
// the page, runs this and prints the figures.
//   tobrak_hall_scale BROKER_PORT PAGE_PORT MACHINES SECONDS SPEED QUEUE_DIR HALL_PID BROKER_PID [FIRST LATENCIES]
// FIRST: the number of the first machine (1); LATENCIES: a file for every game's latency in ms.
// libmosquitto's loop waits with select(): one process holds at most about 200 loggers.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <mutex>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include "boards/sim_board.h"
#include "broker/broker_publisher.h"
#include "broker/machine_id.h"
#include "record/counters.h"
#include "session/session.h"

using namespace tobrak;
using Clock = std::chrono::steady_clock;
using Json = nlohmann::json;

namespace {

constexpr std::size_t kMaxGames = 32768;

std::int64_t nowUs() {
    return std::chrono::duration_cast<std::chrono::microseconds>(Clock::now().time_since_epoch()).count();
}

// When each game was closed, for the reader of the page's stream.
struct Stamps final : SessionListener {
    std::unique_ptr<std::atomic<std::int64_t>[]> closed { new std::atomic<std::int64_t>[ kMaxGames + 1 ] };
    void gameClosed(std::int32_t index) override {
        const std::int32_t game = index - kHeaderLen + 1;
        if (game >= 1 && game <= static_cast<std::int32_t>(kMaxGames)) closed[game] = nowUs();
    }
};

struct Logger {
    std::string id;
    SimBoard board;
    Session session;
    Stamps stamps;
    std::unique_ptr<BrokerPublisher> pub;
    explicit Logger(SimOptions o) : board(o) {}
};

// What a hall tile needs of a logger's state; the program's own state carries much more.
std::string stateOf(const Session& s) {
    const Counters& n = s.cnt;
    const std::int64_t normal = normalGames(n);
    const auto hits = std::int64_t{n.BB_Cnt} + n.RB_Cnt;
    Json j = {{"format", 1},
              {"games", s.rec.games()},
              {"balance", static_cast<std::int64_t>(n.Tot_Out) - n.Tot_In},
              {"since_bonus", n.Bonus_IntvCnt},
              {"counters", {{"BB_Cnt", n.BB_Cnt}, {"RB_Cnt", n.RB_Cnt}}},
              {"odds", {{"combined", hits ? Json(static_cast<double>(normal) / hits) : Json()}}},
              {"machine", {{"name", s.machine.name}, {"number", s.machine.number}}}};
    return j.dump();
}

struct Cpu {
    double seconds = 0;
    long hwmKb = 0, rssKb = 0;
};

Cpu cpuOf(int pid) {
    Cpu c;
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    std::getline(stat, line);
    const auto close = line.rfind(')');
    if (close != std::string::npos) {
        std::istringstream in(line.substr(close + 2));
        std::string f;
        long utime = 0, stime = 0;
        for (int i = 3; i <= 15 && in >> f; ++i) {
            if (i == 14) utime = std::stol(f);
            if (i == 15) stime = std::stol(f);
        }
        c.seconds = static_cast<double>(utime + stime) / static_cast<double>(sysconf(_SC_CLK_TCK));
    }
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) c.hwmKb = std::stol(line.substr(6));
        if (line.rfind("VmRSS:", 0) == 0) c.rssKb = std::stol(line.substr(6));
    }
    return c;
}

// The page's event stream: every tile's newest game as it arrives.
class Reader {
public:
    Reader(int port, std::vector<std::unique_ptr<Logger>>& ms) : ms_(ms) {
        for (std::size_t i = 0; i < ms.size(); ++i) index_[ms[i]->id] = i;
        last_.assign(ms.size(), 0);
        seen_.assign(ms.size(), Json());
        fd_ = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(static_cast<std::uint16_t>(port));
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (connect(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
            std::perror("connect to the hall page");
            std::exit(2);
        }
        const std::string req = "GET /api/events HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n";
        (void)!write(fd_, req.data(), req.size());
        thread_ = std::thread([this] { run(); });
    }
    ~Reader() {
        shutdown(fd_, SHUT_RDWR);
        thread_.join();
        ::close(fd_);
    }
    std::vector<double> latenciesMs() {
        std::lock_guard lock(m_);
        return lat_;
    }
    Json seen(std::size_t i) {
        std::lock_guard lock(m_);
        return seen_[i];
    }
    std::size_t bytes() const { return bytes_; }
    std::int32_t last(std::size_t i) {
        std::lock_guard lock(m_);
        return last_[i];
    }

private:
    void take(const Json& tiles) {
        const std::int64_t now = nowUs();
        std::lock_guard lock(m_);
        for (const Json& t : tiles) {
            const auto it = index_.find(t.value("id", ""));
            if (it == index_.end() || !t.contains("last_game")) continue;
            const std::size_t i = it->second;
            const std::int32_t l = t["last_game"].get<std::int32_t>();
            for (std::int32_t g = last_[i] + 1; g <= l && g <= static_cast<std::int32_t>(kMaxGames); ++g) {
                const std::int64_t at = ms_[i]->stamps.closed[g].load();
                if (at > 0) lat_.push_back(static_cast<double>(now - at) / 1000.0);
            }
            last_[i] = std::max(last_[i], l);
            seen_[i] = t["seen"];
        }
    }
    void run() {
        std::string buf;
        char chunk[65536];
        for (;;) {
            const ssize_t n = read(fd_, chunk, sizeof chunk);
            if (n <= 0) return;
            bytes_ += static_cast<std::size_t>(n);
            buf.append(chunk, static_cast<std::size_t>(n));
            for (std::size_t end; (end = buf.find('\n')) != std::string::npos; buf.erase(0, end + 1)) {
                if (buf.compare(0, 6, "data: ") != 0) continue;
                const Json e =
                    Json::parse(buf.begin() + 6, buf.begin() + static_cast<std::ptrdiff_t>(end), nullptr, false);
                if (!e.is_object()) continue;
                if (e.value("event", "") == "tiles") take(e["machines"]);
                if (e.value("event", "") == "hello") take(e["state"]["machines"]);
            }
        }
    }
    std::vector<std::unique_ptr<Logger>>& ms_;
    std::unordered_map<std::string, std::size_t> index_;
    std::mutex m_;
    std::vector<std::int32_t> last_;
    std::vector<Json> seen_;
    std::vector<double> lat_;
    std::atomic<std::size_t> bytes_{0};
    int fd_ = -1;
    std::thread thread_;
};

double percentile(std::vector<double>& v, double p) {
    if (v.empty()) return 0;
    const auto k = static_cast<std::size_t>(p * static_cast<double>(v.size() - 1));
    std::nth_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(k), v.end());
    return v[k];
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 9 && argc != 11) {
        std::fprintf(stderr,
                     "usage: tobrak_hall_scale BROKER_PORT PAGE_PORT MACHINES SECONDS SPEED QUEUE_DIR HALL_PID "
                     "BROKER_PID [FIRST LATENCIES]\n");
        return 2;
    }
    const int brokerPort = std::atoi(argv[1]), pagePort = std::atoi(argv[2]);
    const auto count = static_cast<std::size_t>(std::atoi(argv[3]));
    const int seconds = std::atoi(argv[4]);
    const double speed = std::atof(argv[5]);
    const std::string queueDir = argv[6];
    const int hallPid = std::atoi(argv[7]), brokerPid = std::atoi(argv[8]);
    const std::size_t first = argc == 11 ? static_cast<std::size_t>(std::atoi(argv[9])) : 1;
    const std::string latFile = argc == 11 ? argv[10] : "";

    std::vector<std::unique_ptr<Logger>> ms;
    for (std::size_t i = 0; i < count; ++i) {
        SimOptions o;
        o.seed = first + i;
        o.speed = speed;
        auto m = std::make_unique<Logger>(o);
        Session& s = m->session;
        s.setBoard(&m->board, "sim");
        s.machine.name = "サンプル機 " + std::to_string(first + i);
        s.machine.number = std::to_string(first + i);
        m->id = machineTopicId(s.machine.name);
        s.listen(m->stamps);
        BrokerPublisher::Options po;
        po.url = "mqtt://127.0.0.1:" + std::to_string(brokerPort);
        po.machineId = m->id;
        po.queuePath = queueDir + "/mqtt-" + m->id + ".queue";
        po.state = [&s] { return stateOf(s); };
        m->pub = std::make_unique<BrokerPublisher>(s, po);
        ms.push_back(std::move(m));
    }
    std::this_thread::sleep_for(std::chrono::seconds(2));  // every publisher connected
    Reader reader(pagePort, ms);
    const Cpu hall0 = cpuOf(hallPid), broker0 = cpuOf(brokerPid);
    const auto t0 = Clock::now();
    auto next = t0;
    std::size_t late = 0, polls = 0;
    while (Clock::now() - t0 < std::chrono::seconds(seconds)) {
        for (auto& m : ms) m->session.poll();
        ++polls;
        next += std::chrono::milliseconds(80);
        if (Clock::now() > next) ++late;
        std::this_thread::sleep_until(next);
    }
    const double secs = std::chrono::duration<double>(Clock::now() - t0).count();
    for (auto& m : ms) m->pub->finish(std::chrono::seconds(10));
    std::size_t games = 0;
    for (auto& m : ms) games += static_cast<std::size_t>(m->session.rec.games());
    // The page catches up with the last games and their states.
    std::size_t reached = 0;
    for (int tries = 0; tries < 100; ++tries) {
        reached = 0;
        for (std::size_t i = 0; i < ms.size(); ++i) reached += reader.last(i) == ms[i]->session.rec.games();
        if (reached == ms.size()) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    const Cpu hall1 = cpuOf(hallPid), broker1 = cpuOf(brokerPid), self = cpuOf(static_cast<int>(getpid()));
    std::uint64_t missed = 0, seenGames = 0;
    for (std::size_t i = 0; i < ms.size(); ++i) {
        const Json s = reader.seen(i);
        if (!s.is_object()) continue;
        missed += s.value("missed", std::uint64_t{0});
        seenGames += s.value("games", std::uint64_t{0});
    }
    std::vector<double> lat = reader.latenciesMs();
    if (!latFile.empty()) {
        std::ofstream out(latFile);
        for (const double v : lat) out << v << "\n";
    }
    std::printf("machines                 %zu at speed %.0f for %.0f s (%zu polls of all, %zu late)\n", count, speed,
                secs, polls, late);
    std::printf("games recorded           %zu (%.0f games/s)\n", games, static_cast<double>(games) / secs);
    std::printf("games the page received  %llu, missed %llu; machines complete %zu of %zu\n",
                static_cast<unsigned long long>(seenGames), static_cast<unsigned long long>(missed), reached, count);
    std::printf("poll to page             p50 %.1f ms, p90 %.1f ms, p99 %.1f ms, max %.1f ms (%zu games)\n",
                percentile(lat, 0.50), percentile(lat, 0.90), percentile(lat, 0.99), percentile(lat, 1.0), lat.size());
    std::printf("one page's stream        %.0f KB/s\n", static_cast<double>(reader.bytes()) / 1024.0 / secs);
    std::printf("hall page process        CPU %.1f %% of one core, memory peak %.1f MB (now %.1f MB)\n",
                100.0 * (hall1.seconds - hall0.seconds) / secs, hall1.hwmKb / 1024.0, hall1.rssKb / 1024.0);
    std::printf("broker                   CPU %.1f %% of one core, memory peak %.1f MB\n",
                100.0 * (broker1.seconds - broker0.seconds) / secs, broker1.hwmKb / 1024.0);
    std::printf("loggers (this process)   CPU %.1f s in all, memory peak %.1f MB\n", self.seconds, self.hwmKb / 1024.0);
    ms.clear();
    return reached == count && missed == 0 ? 0 : 1;
}
