#pragma once
// The session journal: every change to the record reaches a file before the next
// poll, so that a crash or a power cut loses at most the game in progress.
// The file is append-only; each entry carries a checksum, and reading stops at
// the first entry that is incomplete or damaged.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "record/play_record.h"

namespace tobrak {

class Journal {
public:
    ~Journal();
    Journal(const Journal&) = delete;
    Journal& operator=(const Journal&) = delete;

    // Opens the journal in `dir` (created if missing) for this program alone.
    // Null with `error` set when the folder cannot be used or another running
    // program holds the journal.
    static std::unique_ptr<Journal> open(const std::string& dir, std::string& error);

    // What the previous session left: its record as a play-data file image,
    // when it holds at least one game.
    const std::optional<std::vector<std::uint8_t>>& recovered() const { return recovered_; }

    // Starts this session's journal with the record as it stands.
    void begin(const PlayRecord& rec, std::uint8_t options);
    // Game byte `index` was appended or its payout grew.
    void byteSet(const PlayRecord& rec, std::int32_t index, std::uint8_t options);
    // The header changed (comment, display options).
    void header(const PlayRecord& rec, std::uint8_t options);
    // The whole record was replaced (load, clear).
    void snapshot(const PlayRecord& rec, std::uint8_t options);
    // A normal end: the journal is removed.
    void closeNormally();

    // False after a write failed; recording goes on, the journal does not.
    bool healthy() const { return fd_ >= 0; }
    // Past this size the journal is rewritten as one snapshot (4 MiB by default).
    void setCompactLimit(std::int64_t bytes) { compactAt_ = bytes; }
    const std::string& path() const { return path_; }

    // Replays a journal's bytes into a play-data file image (for tools and tests).
    static std::optional<std::vector<std::uint8_t>> replay(const std::vector<std::uint8_t>& bytes);

private:
    Journal() = default;
    void append(char type, const std::vector<std::uint8_t>& payload);
    void compactIfLarge(const PlayRecord& rec, std::uint8_t options);

    std::string dir_, path_;
    int fd_ = -1;
    int lockFd_ = -1;
    std::int64_t size_ = 0;
    std::int64_t compactAt_ = 4 << 20;
    std::optional<std::vector<std::uint8_t>> recovered_;
};

// The journal folder: $XDG_STATE_HOME/tobrak, ~/.local/state/tobrak, or on
// Windows %LOCALAPPDATA%\tobrak.
std::string defaultJournalDir();

}  // namespace tobrak
