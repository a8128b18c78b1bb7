#pragma once
// Puts a live session into the library from its first game: the session's row
// at the first game, then each game's byte and time, the payouts, the bonuses
// and the end time as games come.
//
// The poll never waits on the disk: the listener only appends small records to
// a queue (a lock held for a push); one writer thread takes the queue every
// half second (or at 200 records) and writes it in one transaction. A write that
// fails is tried again with the next batch; a full disk stops the writes (told
// once) while the session and its journal go on.
//
// Hook-up (the window or tobrak-cli record):
//     LibraryOpen o = openLibrary(path);
//     if (o.library && !o.library->readOnly())
//         recorder = std::make_unique<LibraryRecorder>(session, std::move(o.library));
//     … after a journal restore put the record into the session: recorder->resumeFrom();
//     … after a past session was opened from the list to play on: recorder->continueSession(id);
//     … the 投資 buttons: library.edit(recorder->currentId(), {.investYen = …});
//     … every poll or so: if (auto n = recorder->takeNotice(); !n.empty()) show(n);
// The recorder must go before the session does.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "library/library.h"
#include "session/session.h"

namespace tobrak {

class LibraryRecorder final : public SessionListener {
public:
    struct Options {
        int flushMs = 500;        // the longest a game waits for the disk
        std::size_t batch = 200;  // or this many records, whichever comes first
    };
    // `library`: opened for this recorder alone (a connection of its own); a
    // null or read-only one keeps nothing.
    LibraryRecorder(Session& s, std::unique_ptr<Library> library, Options o);
    LibraryRecorder(Session& s, std::unique_ptr<Library> library) : LibraryRecorder(s, std::move(library), Options{}) {}
    // Finishes the session being recorded (its end and counts) and writes what is queued.
    ~LibraryRecorder() override;
    LibraryRecorder(const LibraryRecorder&) = delete;
    LibraryRecorder& operator=(const LibraryRecorder&) = delete;

    // The session now holds a record restored from the journal after a crash:
    // the library's newest unfinished session is brought up to it and recorded
    // into, when its games are the restored record's beginning; otherwise the
    // restored record becomes a new session. Call after Session::replaced.
    void resumeFrom();
    // The session now holds the record of the library's session `id` (opened
    // from the list, Session::replaced done) and the player goes on with it:
    // the next games go into that session instead of a new one, as long as the
    // record is still that session's games followed by new ones.
    void continueSession(std::int64_t id);
    // Writes everything queued and waits until it is written (tests, before a report).
    void flush();
    // The library's id of the session being recorded (0: none yet).
    std::int64_t currentId() const { return current_.load(); }
    // A problem the writer met (a full disk, a failed write), once; empty when none.
    LibraryNotice takeNotice();
    const std::string& path() const { return path_; }
    // `f` is called on the writer's thread with the writer's connection: once
    // soon, after every batch written and after refresh(). The live view's list of
    // today's sessions is made there, never on the poll's thread. Null stops the
    // calls; one under way ends before watch() returns.
    void watch(std::function<void(Library&)> f);
    // The library changed through another connection (投資, an edit): watchers are called again.
    void refresh();

    void gameStarted(std::int32_t index, const EventTime& t) override;
    void payout(std::int32_t index, const EventTime& t) override;
    void recordReplaced() override;
    void headerChanged() override;
    void manualCounted(int counter) override;

private:
    struct Snapshot;
    struct Item {
        enum Kind : std::uint8_t { Start, Game, Byte, Header, Counts, Close, Resume } kind;
        std::uint8_t byte = 0;
        std::int32_t index = 0;
        WallTime time;
        std::shared_ptr<const Snapshot> snap;
        std::int64_t target = 0;  // Start: the library's session it continues (0: a new one)
    };
    void push(Item&& it);
    std::shared_ptr<const Snapshot> snapshot(bool withGames) const;
    void run();
    void tellWatcher();
    void write(std::vector<Item>& batch);
    void apply(const Item& it);
    void begin(const Snapshot& s, const WallTime& at, bool resume, std::int64_t target);
    bool store(bool close);  // writeOpen() in a transaction of its own; false: dropped
    void writeOpen();        // the open session's new games, header, end and counts
    void finishOpen();       // … and it is finished

    Session& session_;
    std::unique_ptr<Library> lib_;
    Options opt_;
    std::string path_;
    bool needStart_ = true;       // the next game starts a new session (poll thread)
    std::int64_t continues_ = 0;  // … or continues this one (poll thread)

    std::mutex m_;
    std::condition_variable cv_, done_;
    std::vector<Item> queue_;
    bool stop_ = false, flushNow_ = false, refresh_ = false;
    std::mutex watchM_;  // held while the watcher runs
    std::function<void(Library&)> watcher_;
    std::uint64_t pushed_ = 0, written_ = 0;  // records, for flush()
    LibraryNotice notice_;
    std::atomic<bool> hasNotice_{false};
    std::atomic<std::int64_t> current_{0};

    // The writer's own: the record as the library should hold it.
    std::unique_ptr<PlayRecord> rec_;
    GameTimes times_;
    bool active_ = false;         // a session is being recorded
    bool resume_ = false;         // it may continue the library's newest unfinished one
    std::int64_t target_ = 0;     // … or this session
    bool failing_ = false;        // the last batch failed (its notice told)
    std::int64_t id_ = 0;         // its id once written
    NewSession info_;             // its row, written with its first transaction
    std::int32_t dirtyFrom_ = 0;  // games from here on are not written yet
    bool headerDirty_ = false;
    ManualCounts counts_;  // the hand counters as last counted
    bool countsDirty_ = false;
    std::thread writer_;
};

// A recorder's watcher for as long as this lives: what the watcher uses must
// outlive it (declare it after them). A null recorder watches nothing.
class RecorderWatch {
public:
    RecorderWatch(LibraryRecorder* r, std::function<void(Library&)> f) : r_(r) {
        if (r_) r_->watch(std::move(f));
    }
    ~RecorderWatch() { release(); }
    // Ends the watch now (before the recorder goes).
    void release() {
        if (r_) r_->watch(nullptr);
        r_ = nullptr;
    }
    RecorderWatch(const RecorderWatch&) = delete;
    RecorderWatch& operator=(const RecorderWatch&) = delete;

private:
    LibraryRecorder* r_;
};

}  // namespace tobrak
