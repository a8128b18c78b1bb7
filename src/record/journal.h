#pragma once
// The session journal: every change to the record reaches a file before the next
// poll, so that a crash or a power cut loses at most the game in progress.
// The file is append-only; each entry carries a checksum. A damaged entry costs
// that entry alone: the reader goes on at the next entry whose checksum holds, a
// game entry also carries the previous game's final byte, and every snapshot is
// written twice. Beside the record it keeps each game's wall-clock time, when the
// caller gives it.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "record/manual_counts.h"
#include "record/play_record.h"
#include "record/play_time.h"
#include "util/durable_file.h"

namespace tobrak {

class Journal {
public:
    ~Journal();
    Journal(const Journal&) = delete;
    Journal& operator=(const Journal&) = delete;

    // The journal in `dir` (created if missing), for this program alone. Never
    // null: when the folder cannot be used or another running program holds the
    // journal, it is not healthy, problem() says why and begin() tries again.
    static std::unique_ptr<Journal> open(const std::string& dir);

    // What the previous session left: its record as a play-data file image,
    // when it holds at least one game.
    const std::optional<std::vector<std::uint8_t>>& recovered() const { return recovered_; }
    // The times of the recovered record's games, one for each (none where the
    // journal had none); empty without a recovered record.
    const GameTimes& recoveredTimes() const { return recoveredTimes_; }
    // What the player had counted by hand in it.
    const ManualCounts& recoveredCounts() const { return recoveredCounts_; }
    // Where a left journal that could not be read whole was moved (empty: none).
    const std::string& setAside() const { return setAside_; }
    // The left record now lives in this session's record: the new journal may
    // replace the old one. Without this, begin() keeps the old one as a backup.
    void restored() { keepOld_ = false; }
    // Where begin() kept the left journal (empty: none).
    const std::string& keptAs() const { return keptAs_; }

    // `times` below: the record's game times as the caller knows them (game 0
    // first; shorter than the record, or empty, where it knows none).

    // Starts this session's journal with the record as it stands; called again,
    // it retries a journal that failed. The old file is replaced only by a
    // complete, synced new one. The times go with the record; a game that
    // `times` gives none keeps the one this journal holds. Returns healthy().
    bool begin(const PlayRecord& rec, std::uint8_t options, const GameTimes& times = {});
    // Game byte `index` was appended or its payout grew. The game's time, when
    // `times` holds one and this journal has none yet, is written with it.
    void byteSet(const PlayRecord& rec, std::int32_t index, std::uint8_t options, const GameTimes& times = {});
    // The header changed (comment, display options).
    void header(const PlayRecord& rec, std::uint8_t options);
    // The hand counts changed: every counter, as it stands. A snapshot forgets
    // them (a new record counts anew); a rewrite keeps them.
    void counted(const ManualCounts& counts);
    // The whole record was replaced (load, clear): its times are `times` alone.
    void snapshot(const PlayRecord& rec, std::uint8_t options, const GameTimes& times = {});
    // A normal end: this session's journal is removed.
    void closeNormally();

    enum class Protection { Unchanged, Lost, Back };
    // Tries a failed journal again (when `retry`) and says whether the record's
    // protection was lost or came back since it was last asked, so each change
    // is told once.
    Protection watch(const PlayRecord& rec, std::uint8_t options, bool retry = true, const GameTimes& times = {});

    // False before begin() and after a write failed; recording goes on, the
    // journal does not until begin() succeeds again.
    bool healthy() const { return out_.isOpen(); }
    // Why it is not healthy (empty when it is, or has not begun).
    const std::string& problem() const { return problem_; }
    // Another running program holds this journal: this one must not record into
    // the folder. holder() is its process id, 0 when unknown.
    bool heldElsewhere() const { return heldElsewhere_; }
    long holder() const { return lock_.holder(); }
    // Past this size the journal is rewritten as one snapshot (4 MiB by default).
    void setCompactLimit(std::int64_t bytes) { compactAt_ = bytes; }
    const std::string& path() const { return path_; }
    const std::string& lockPath() const { return lockPath_; }
    const std::string& dir() const { return dir_; }

    // A journal file read back: the record as a play-data file image (none when
    // no entry holds), its games' times, and what stopped the reading early
    // (empty: nothing).
    struct Contents {
        std::optional<std::vector<std::uint8_t>> image;
        GameTimes times;  // one for each game of `image` (none where unknown)
        ManualCounts counts;
        std::string error;
        bool recognised = false;  // at least one entry's checksum held
        std::size_t bytes = 0;    // read from the file
    };
    // Reads a journal file piece by piece, at most 64 MiB of it.
    static Contents read(const std::string& file);
    // Reads a journal's bytes as read() reads a file (for tools and tests).
    static Contents readBytes(const std::vector<std::uint8_t>& bytes);
    // Replays a journal's bytes into a play-data file image (for tools and tests).
    static std::optional<std::vector<std::uint8_t>> replay(const std::vector<std::uint8_t>& bytes);

private:
    Journal() = default;
    bool toldLost_ = false;
    bool acquire();
    void readLeft();
    bool rewrite(const PlayRecord& rec, std::uint8_t options);
    void keep(const PlayRecord& rec, const GameTimes& times);
    std::vector<std::uint8_t> timesPayload() const;
    void append(char type, const std::vector<std::uint8_t>& payload);
    void fail(const fileio::Error& e);
    std::string datedName(const std::string& stem) const;

    std::string dir_, path_, lockPath_;
    fileio::LockFile lock_;
    fileio::AppendFile out_;
    std::int64_t size_ = 0;
    std::int64_t compactAt_ = 4 << 20;
    std::int64_t nextCompact_ = 0;
    std::int64_t rewritten_ = 0;  // the size the last rewrite left
    std::optional<std::vector<std::uint8_t>> recovered_;
    GameTimes recoveredTimes_;
    ManualCounts recoveredCounts_;
    ManualCounts counts_;  // as this journal keeps them
    GameTimes times_;      // the record's times as this journal keeps them
    bool heldElsewhere_ = false;
    bool keepOld_ = false;  // a left journal is at path_: never replace it unkept
    std::string problem_, setAside_, keptAs_;
};

// The journal folder: $XDG_STATE_HOME/tobrak, ~/.local/state/tobrak, or on
// Windows %LOCALAPPDATA%\tobrak.
std::string defaultJournalDir();

}  // namespace tobrak
