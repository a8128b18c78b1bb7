#pragma once
// The messages that must reach the broker, kept on disk until it has them: an
// append-only file of lines "TOPIC\tPAYLOAD", cut when every line in it was
// acknowledged (and, at the end, holding only the entries not acknowledged). A
// run that ends before the broker took everything leaves the file; the next run
// sends it first.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <string>

namespace tobrak {

class DiskQueue {
public:
    struct Entry {
        std::uint64_t id = 0;  // this run's number for the entry, from 1
        std::string topic, payload;
        bool acked = false;
    };
    // Opens (or makes) the file at `path` and reads what an earlier run left;
    // at most `limit` entries are kept: beyond it the oldest go.
    DiskQueue(std::string path, std::size_t limit);
    ~DiskQueue();
    DiskQueue(const DiskQueue&) = delete;
    DiskQueue& operator=(const DiskQueue&) = delete;

    // Appends an entry (on disk at once); its id. False in `kept` when the file
    // could not be written (the entry is still sent from memory).
    std::uint64_t push(std::string topic, std::string payload, bool* kept = nullptr);
    // The broker has entry `id`; once all are acknowledged the file is cut.
    void ack(std::uint64_t id);
    // The entries not acknowledged yet, oldest first (all those left by an earlier run too).
    const std::deque<Entry>& pending() const { return entries_; }
    std::size_t size() const { return entries_.size(); }
    // Entries dropped because the queue was full, since it was opened.
    std::uint64_t dropped() const { return dropped_; }
    const std::string& path() const { return path_; }
    // What went wrong with the file, if anything (empty: nothing).
    const std::string& problem() const { return problem_; }

private:
    void rewrite();  // the file holds exactly the pending entries
    bool append(const Entry& e);

    std::string path_;
    std::size_t limit_;
    std::FILE* f_ = nullptr;
    std::deque<Entry> entries_;
    std::uint64_t next_ = 1, dropped_ = 0;
    std::size_t ackedSinceRewrite_ = 0;
    std::string problem_;
};

}  // namespace tobrak
