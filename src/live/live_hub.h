#pragma once
// What the live view serves, as the program last published it: the state, the
// record's rows, the graph picture and the stream of events. The program's
// thread publishes; the server's threads only read. Each event client has a
// bounded queue: a client that falls too far behind is dropped, never buffered
// without bound, so a stalled phone costs the program nothing.
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_set>
#include <vector>

namespace tobrak::live {

constexpr int kMaxPageCounters = 8;  // the hand counters a page can tap

// A tap on a hand counter of the page, for the program's thread to apply.
struct CountCommand {
    int counter = 0;  // 0-based
    int by = 1;       // +1, or -1 to take one back
};

struct LiveEvent {
    std::uint64_t seq = 0;
    std::string json;
};

class LiveHub {
public:
    static constexpr std::size_t kMaxWatchers = 64;
    static constexpr std::size_t kQueueLimit = 256;
    static constexpr std::size_t kMaxCommands = 64;      // taps waiting for the program
    static constexpr std::size_t kRememberedIds = 1024;  // request ids a retry is known by

    // One event client.
    class Watcher {
    public:
        // The next event, waiting at most `wait`; null when none came (or the
        // watcher is gone: see gone()).
        std::shared_ptr<const LiveEvent> next(std::chrono::milliseconds wait);
        // Dropped for falling behind, or the hub closed.
        bool gone() const;

    private:
        friend class LiveHub;
        explicit Watcher(LiveHub& hub) : hub_(hub) {}
        LiveHub& hub_;
        std::vector<std::shared_ptr<const LiveEvent>> queue_;  // oldest first
        std::size_t head_ = 0;
        bool gone_ = false;
    };

    // A new event client, or null when kMaxWatchers are connected already.
    std::shared_ptr<Watcher> watch();
    void leave(const std::shared_ptr<Watcher>& w);
    std::size_t watchers() const;
    // Every watcher has taken every event.
    bool drained() const;

    // The program's side.
    void setState(std::string json);
    void publish(std::string eventJson);
    // The record: `head` opens the JSON object whose last member is the rows' array.
    void setRecord(std::string head, std::vector<std::string> rows);
    // Row i replaced, or appended when i is the row count.
    void putRow(std::size_t i, std::string row);
    void setGraph(std::string png);
    // Today's sessions of the library, as /api/sessions answers; from any thread.
    void setSessions(std::string json);
    // Whether someone fetched the graph lately: the picture is made only then.
    bool graphWanted(std::chrono::steady_clock::time_point now) const;
    // The taps that came since the last call, oldest first.
    std::vector<CountCommand> takeCommands();
    // Wakes every watcher and ends their streams.
    void close();
    // Called after every event and on close, on the thread that caused it and
    // outside the hub's lock: the server wakes its streams with it.
    void onChange(std::function<void()> f);
    bool closed() const;

    // The server's side.
    std::string state() const;
    std::string record() const;
    std::string sessions() const;
    std::shared_ptr<const std::string> graph();  // null before the first picture
    std::uint64_t sequence() const;
    // A tap from a page. A request id seen lately is a retry of a tap already
    // taken: Repeated, nothing queued. Busy: kMaxCommands wait already.
    enum class Taken { Queued, Repeated, Busy };
    Taken command(const std::string& requestId, CountCommand c);

private:
    mutable std::mutex m_;
    std::condition_variable cv_;
    std::vector<std::shared_ptr<Watcher>> watchers_;
    std::string state_ = "{}";
    // Until a library says otherwise, none is kept.
    std::string sessions_ = R"({"format":1,"library":false,"sessions":[],"totals":null})";
    std::string recordHead_ = "{\"rows\":";
    std::vector<std::string> rows_;
    mutable std::shared_ptr<const std::string> recordText_;  // made on demand, until the next change
    std::shared_ptr<const std::string> graph_;
    std::chrono::steady_clock::time_point graphAsked_{};
    std::uint64_t seq_ = 0;
    std::vector<CountCommand> commands_;
    std::deque<std::string> idOrder_;  // oldest first, for forgetting
    std::unordered_set<std::string> ids_;
    bool closed_ = false;
    std::shared_ptr<const std::function<void()>> onChange_;
};

}  // namespace tobrak::live
