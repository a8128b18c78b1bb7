#include "record/journal.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>

#include "record/slt_file.h"
#include "util/paths.h"

namespace tobrak {

namespace {

namespace fs = std::filesystem;

// J1 journals differ only in their shorter game entries, J2 ones in holding no
// times; all are read. A program of the J2 days reads this one too: it compares the
// magic without its last character and steps over the entries it does not know.
constexpr char kMagic[] = "TOBRAKJ3";
constexpr std::size_t kMagicLen = sizeof kMagic - 1;
constexpr std::size_t kReadCap = std::size_t{64} << 20;
constexpr std::size_t kMaxGames = kDatMax - kHeaderLen;
constexpr std::uint32_t kTimeLen = 10;
constexpr std::int64_t kNoTime = INT64_MIN;

std::uint32_t crc32(const std::uint8_t* p, std::size_t n, std::uint32_t crc = 0) {
    static const auto table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t i = 0; i < 256; ++i) {
            std::uint32_t c = i;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    crc = ~crc;
    for (std::size_t i = 0; i < n; ++i) crc = table[(crc ^ p[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

void put32(std::vector<std::uint8_t>& v, std::uint32_t x) {
    for (int i = 0; i < 4; ++i) v.push_back(static_cast<std::uint8_t>(x >> (8 * i)));
}
std::uint32_t get32(const std::uint8_t* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

void putTime(std::vector<std::uint8_t>& v, const std::optional<WallTime>& t) {
    const auto ms = static_cast<std::uint64_t>(t ? t->unixMs : kNoTime);
    for (int i = 0; i < 8; ++i) v.push_back(static_cast<std::uint8_t>(ms >> (8 * i)));
    const auto off = static_cast<std::uint16_t>(t ? t->offsetMin : 0);
    v.push_back(static_cast<std::uint8_t>(off & 0xFF));
    v.push_back(static_cast<std::uint8_t>(off >> 8));
}
// None for a time isoTime could not write: a damaged or foreign entry that
// happened to pass its checksum.
std::optional<WallTime> getTime(const std::uint8_t* p) {
    std::uint64_t ms = 0;
    for (int i = 7; i >= 0; --i) ms = (ms << 8) | p[i];
    WallTime t{static_cast<std::int64_t>(ms), static_cast<std::int16_t>(p[8] | (p[9] << 8))};
    if (!writableTime(t)) return std::nullopt;
    return t;
}

std::vector<std::uint8_t> countsPayload(const ManualCounts& k) {
    std::vector<std::uint8_t> p{static_cast<std::uint8_t>(std::min(k.size(), kMaxCounters))};
    for (std::size_t i = 0; i < p[0]; ++i) {
        const std::size_t n = std::min(k[i].name.size(), kMaxCounterName);
        p.push_back(static_cast<std::uint8_t>(n));
        p.insert(p.end(), k[i].name.begin(), k[i].name.begin() + static_cast<std::ptrdiff_t>(n));
        put32(p, static_cast<std::uint32_t>(k[i].count));
    }
    return p;
}

// None unless the payload is exactly what countsPayload writes, every count at least 0.
std::optional<ManualCounts> countsFrom(const std::uint8_t* p, std::uint32_t len) {
    ManualCounts k;
    std::uint32_t at = 1;
    for (std::uint8_t i = 0; i < p[0]; ++i) {
        if (at >= len || p[at] > kMaxCounterName || at + 1 + p[at] + 4 > len) return std::nullopt;
        const std::uint32_t n = p[at];
        const auto count = static_cast<std::int32_t>(get32(p + at + 1 + n));
        if (count < 0) return std::nullopt;
        k.push_back({std::string(reinterpret_cast<const char*>(p + at + 1), n), count});
        at += 1 + n + 4;
    }
    if (p[0] > kMaxCounters || at != len) return std::nullopt;
    return k;
}

// The record as a file image, the display options in byte 43.
std::vector<std::uint8_t> image(const PlayRecord& rec, std::uint8_t options) {
    std::vector<std::uint8_t> img = encodeSlt(rec);
    img[43] = options;
    return img;
}

// Entries: type, payload length (4 bytes), payload, CRC-32 of all before it.
//   'S' a snapshot: the record as a file image, display options in byte 43
//   'B' a game byte: index (2 bytes), the byte, the previous game's byte (J1: no
//       previous byte)
//   'H' the 48 header bytes
//   'T' a game's time: index (2 bytes, as in 'B'), then the time: milliseconds
//       since 1970 UTC (8 bytes, signed) and the local offset in minutes (2 bytes,
//       signed)
//   'W' the times of the snapshot before it: 10 bytes a game as in 'T', game 0
//       first, the smallest millisecond count for a game with no time
//   'K' the hand counts: their number (1 byte), then each counter's name length
//       (1 byte), its UTF-8 name and its count (4 bytes)
// Numbers are little-endian. An 'S' leaves every game without a time until a 'W'
// or 'T' gives one, so the times of a record that was replaced never reach the
// new one; an 'S' clears the hand counts likewise. Older readers skip 'T', 'W' and 'K' byte by byte; the checksum keeps
// them from taking a piece of such a payload for an entry of their own. The replay takes the entries as they come; at
// an entry that is cut or whose checksum fails it moves on by one byte until an entry holds again.
class Replayer {
public:
    void feed(const std::uint8_t* p, std::size_t n) {
        buf_.insert(buf_.end(), p, p + n);
        if (!started_ && buf_.size() >= kMagicLen) {
            started_ = true;
            if (std::memcmp(buf_.data(), kMagic, kMagicLen - 1) == 0) pos_ = kMagicLen;
        }
        parse(false);
        if (pos_ > (1u << 16)) {
            buf_.erase(buf_.begin(), buf_.begin() + static_cast<std::ptrdiff_t>(pos_));
            pos_ = 0;
        }
    }
    Journal::Contents finish() {
        parse(true);
        Journal::Contents c;
        c.recognised = recognised_;
        if (any_) {
            c.image = encodeSlt(rec_);
            c.times = std::move(times_);
            c.times.resize(c.image->size() - kHeaderLen);
            c.counts = std::move(counts_);
        }
        return c;
    }

private:
    static bool plausible(std::uint8_t type, std::uint32_t len) {
        return (type == 'B' && (len == 3 || len == 4)) || (type == 'H' && len == kHeaderLen) ||
               (type == 'S' && len >= kHeaderLen && len <= kMaxFileLen) || (type == 'T' && len == 2 + kTimeLen) ||
               (type == 'W' && len > 0 && len % kTimeLen == 0 && len / kTimeLen <= kMaxGames) ||
               (type == 'K' && len >= 1 && len <= 1 + kMaxCounters * (5 + kMaxCounterName));
    }
    void parse(bool final) {
        while (pos_ + 9 <= buf_.size()) {
            const std::uint8_t* e = buf_.data() + pos_;
            const std::uint32_t len = get32(e + 1);
            if (!plausible(e[0], len)) {
                ++pos_;
                continue;
            }
            if (pos_ + 9 + len > buf_.size()) {
                if (!final) return;  // the rest is still to come
                ++pos_;              // cut off by a crash
                continue;
            }
            if (crc32(e, 5 + len) != get32(e + 5 + len)) {
                ++pos_;
                continue;
            }
            apply(e[0], e + 5, len);
            recognised_ = true;
            pos_ += 9 + len;
        }
    }
    void apply(std::uint8_t type, const std::uint8_t* payload, std::uint32_t len) {
        if (type == 'S') {
            PlayRecord fresh;
            if (decodeSlt(std::vector<std::uint8_t>(payload, payload + len), fresh) != SltStatus::Ok) return;
            rec_ = fresh;
            times_.clear();
            counts_.clear();
        } else if (type == 'K') {
            if (std::optional<ManualCounts> k = countsFrom(payload, len)) counts_ = std::move(*k);
            return;  // counts alone make no record
        } else if (type == 'W') {
            times_.clear();
            for (std::uint32_t at = 0; at < len; at += kTimeLen) times_.push_back(getTime(payload + at));
            return;  // times alone make no record
        } else if (type == 'T') {
            // A time beyond the record is dropped at the end: the game entry it
            // belongs to may be the damaged one, the next game entry restores it.
            const std::int32_t i = payload[0] | (payload[1] << 8);
            if (i < kHeaderLen || i >= kDatMax) return;
            const auto g = static_cast<std::size_t>(i - kHeaderLen);
            if (times_.size() <= g) times_.resize(g + 1);
            times_[g] = getTime(payload + 2);
            return;
        } else if (type == 'B') {
            const std::int32_t i = payload[0] | (payload[1] << 8);
            if (i < kHeaderLen || i >= kDatMax) return;
            if (len == 4 && i > kHeaderLen) rec_.Dat_Buf[i - 1] = payload[3];
            rec_.Dat_Buf[i] = payload[2];
            if (i >= rec_.Dat_Len) {
                rec_.Dat_Len = i + 1;
                rec_.Dat_Buf[rec_.Dat_Len] = 0;
            }
        } else {
            std::memcpy(rec_.Dat_Buf.data(), payload, kHeaderLen);
        }
        any_ = true;
    }

    std::vector<std::uint8_t> buf_;
    std::size_t pos_ = 0;
    bool started_ = false, any_ = false, recognised_ = false;
    PlayRecord rec_;
    GameTimes times_;
    ManualCounts counts_;
};

std::string inDir(const std::string& dir, const std::string& name) { return pathUtf8(fsPath(dir) / fsPath(name)); }

std::vector<std::uint8_t> entry(char type, const std::vector<std::uint8_t>& payload) {
    std::vector<std::uint8_t> e;
    e.reserve(payload.size() + 9);
    e.push_back(static_cast<std::uint8_t>(type));
    put32(e, static_cast<std::uint32_t>(payload.size()));
    e.insert(e.end(), payload.begin(), payload.end());
    put32(e, crc32(e.data(), e.size()));
    return e;
}

}  // namespace

std::string defaultJournalDir() {
#ifdef _WIN32
    if (const std::string l = envUtf8("LOCALAPPDATA"); !l.empty()) return pathUtf8(fsPath(l) / "tobrak");
#else
    if (const std::string x = envUtf8("XDG_STATE_HOME"); !x.empty()) return pathUtf8(fsPath(x) / "tobrak");
    if (const std::string h = envUtf8("HOME"); !h.empty()) return pathUtf8(fsPath(h) / ".local" / "state" / "tobrak");
#endif
    return pathUtf8(fs::temp_directory_path() / "tobrak");
}

std::optional<std::vector<std::uint8_t>> Journal::replay(const std::vector<std::uint8_t>& bytes) {
    return readBytes(bytes).image;
}

Journal::Contents Journal::readBytes(const std::vector<std::uint8_t>& bytes) {
    Replayer r;
    r.feed(bytes.data(), bytes.size());
    Contents c = r.finish();
    c.bytes = bytes.size();
    return c;
}

Journal::Contents Journal::read(const std::string& file) {
    Replayer r;
    fileio::InFile f;
    fileio::Error e = f.open(file);
    std::size_t total = 0;
    if (!e) {
        std::vector<std::uint8_t> buf(1 << 16);
        for (;;) {
            const long n = f.read(buf.data(), buf.size(), e);
            if (n <= 0) break;
            r.feed(buf.data(), static_cast<std::size_t>(n));
            total += static_cast<std::size_t>(n);
            if (total >= kReadCap) {
                e = {EFBIG, "the journal " + file + " is larger than 64 MiB: only its start was read"};
                break;
            }
        }
    }
    Contents c = r.finish();
    c.error = e.message;
    c.bytes = total;
    return c;
}

std::unique_ptr<Journal> Journal::open(const std::string& dir) {
    std::unique_ptr<Journal> j(new Journal());
    j->dir_ = dir;
    j->path_ = inDir(dir, "session.journal");
    j->lockPath_ = inDir(dir, "session.lock");
    j->acquire();
    return j;
}

bool Journal::acquire() {
    std::error_code ec;
    fs::create_directories(fsPath(dir_), ec);
    if (ec) {
        problem_ = "cannot use the folder " + dir_ + ": " + ec.message();
        return false;
    }
    if (const fileio::Error e = lock_.lock(lockPath_); e) {
        heldElsewhere_ = e.code == EWOULDBLOCK;
        const long pid = lock_.holder();
        problem_ = heldElsewhere_ ? "another Tobrak" + (pid > 0 ? " (process " + std::to_string(pid) + ")" : "") +
                                        " is recording with the journal in " + dir_
                                  : e.message;
        return false;
    }
    heldElsewhere_ = false;
    problem_.clear();
    readLeft();
    return true;
}

std::string Journal::datedName(const std::string& stem) const {
    const std::time_t now = std::time(nullptr);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", std::localtime(&now));
    const std::string base = inDir(dir_, stem + "-" + stamp);
    std::string name = base + ".journal";
    for (int i = 2; fileio::exists(name); ++i) name = base + "-" + std::to_string(i) + ".journal";
    return name;
}

// A journal left by a session that did not end normally. One that cannot be read
// whole is moved aside, never deleted, with what could be read offered back.
void Journal::readLeft() {
    if (!fileio::exists(path_)) return;
    Contents left = read(path_);
    if (left.image && left.image->size() > static_cast<std::size_t>(kHeaderLen)) {
        recovered_ = std::move(left.image);
        recoveredTimes_ = std::move(left.times);
        recoveredCounts_ = std::move(left.counts);
        keepOld_ = true;
    }
    // Not one entry holds in a file with bytes: not a journal of ours, or all of it damaged.
    if (left.error.empty() && (left.recognised || left.bytes == 0)) return;
    const std::string aside = datedName("unreadable");
    if (const fileio::Error e = fileio::moveAside(path_, aside); e) {
        problem_ = e.message;
        keepOld_ = true;  // still there: begin() must not replace it
        return;
    }
    setAside_ = aside;
    keepOld_ = false;
}

Journal::~Journal() = default;

bool Journal::begin(const PlayRecord& rec, std::uint8_t options, const GameTimes& times) {
    keep(rec, times);
    if (!lock_.held() && !acquire()) return false;
    if (keepOld_) {
        const std::string kept = datedName("session");
        if (const fileio::Error e = fileio::moveAside(path_, kept); e) {
            fail(e);
            return false;
        }
        keptAs_ = kept;
        keepOld_ = false;
    }
    out_.close();
    return rewrite(rec, options);
}

// Takes the caller's times of the record's games; a game it has none for keeps the one held.
void Journal::keep(const PlayRecord& rec, const GameTimes& times) {
    const auto games = static_cast<std::size_t>(std::max(rec.games(), 0));
    times_.resize(std::min(std::max(times_.size(), times.size()), games));
    for (std::size_t g = 0; g < times_.size() && g < times.size(); ++g)
        if (times[g] && writableTime(*times[g])) times_[g] = times[g];
}

std::vector<std::uint8_t> Journal::timesPayload() const {
    std::size_t n = times_.size();
    while (n > 0 && !times_[n - 1]) --n;
    std::vector<std::uint8_t> p;
    p.reserve(n * kTimeLen);
    for (std::size_t g = 0; g < n; ++g) putTime(p, times_[g]);
    return p;
}

// A new journal holding the record replaces the old one once it is complete and
// synced; until then the old one stays in use.
bool Journal::rewrite(const PlayRecord& rec, std::uint8_t options) {
    std::vector<std::uint8_t> bytes(kMagic, kMagic + kMagicLen);
    const std::vector<std::uint8_t> s = entry('S', image(rec, options));
    bytes.insert(bytes.end(), s.begin(), s.end());
    bytes.insert(bytes.end(), s.begin(), s.end());
    if (const std::vector<std::uint8_t> t = timesPayload(); !t.empty()) {
        const std::vector<std::uint8_t> w = entry('W', t);
        bytes.insert(bytes.end(), w.begin(), w.end());
        bytes.insert(bytes.end(), w.begin(), w.end());
    }
    if (!counts_.empty()) {
        const std::vector<std::uint8_t> k = entry('K', countsPayload(counts_));
        bytes.insert(bytes.end(), k.begin(), k.end());
        bytes.insert(bytes.end(), k.begin(), k.end());
    }
    // Closed while it is replaced (Windows replaces no open file); a failed
    // replace leaves the old journal, which goes on.
    const bool going = out_.isOpen();
    out_.close();
    if (const fileio::Error e = fileio::writeDurably(path_, bytes); e) {
        const fileio::Error again = going ? out_.open(path_) : e;
        if (again) fail(again);
        return false;
    }
    if (const fileio::Error e = out_.open(path_); e) {
        fail(e);
        return false;
    }
    size_ = rewritten_ = static_cast<std::int64_t>(bytes.size());
    nextCompact_ = 0;
    problem_.clear();
    return true;
}

void Journal::fail(const fileio::Error& e) {
    out_.close();
    problem_ = e.message;
}

void Journal::append(char type, const std::vector<std::uint8_t>& payload) {
    if (!out_.isOpen()) return;
    const std::vector<std::uint8_t> e = entry(type, payload);
    fileio::Error err = out_.write(e.data(), e.size());
    if (!err) err = out_.sync();
    if (err) return fail(err);
    size_ += static_cast<std::int64_t>(e.size());
}

void Journal::byteSet(const PlayRecord& rec, std::int32_t index, std::uint8_t options, const GameTimes& times) {
    const auto lo = static_cast<std::uint8_t>(index & 0xFF), hi = static_cast<std::uint8_t>(index >> 8);
    append('B', {lo, hi, rec.Dat_Buf[index], rec.Dat_Buf[index - 1]});
    // The game's time once, with its first byte; a payout update finds it held.
    const auto g = static_cast<std::size_t>(index - kHeaderLen);
    if (index >= kHeaderLen && g < times.size() && times[g] && writableTime(*times[g]) &&
        !(g < times_.size() && times_[g])) {
        std::vector<std::uint8_t> t{lo, hi};
        putTime(t, times[g]);
        append('T', t);
        if (times_.size() <= g) times_.resize(g + 1);
        times_[g] = times[g];
    }
    // A snapshot near the limit by itself (a long record with its times) is not
    // rewritten at every game.
    if (!out_.isOpen() || size_ <= compactAt_ || size_ < nextCompact_ || size_ - rewritten_ < compactAt_ / 4) return;
    if (!rewrite(rec, options)) nextCompact_ = size_ + compactAt_ / 4;  // the old journal goes on; try again later
}

void Journal::header(const PlayRecord& rec, std::uint8_t options) {
    std::vector<std::uint8_t> h(rec.Dat_Buf.begin(), rec.Dat_Buf.begin() + kHeaderLen);
    h[43] = options;
    append('H', h);
}

void Journal::counted(const ManualCounts& counts) {
    counts_ = counts;
    append('K', countsPayload(counts_));
}

void Journal::snapshot(const PlayRecord& rec, std::uint8_t options, const GameTimes& times) {
    times_.clear();  // a new record: none of the old times are its own, nor its counts
    counts_.clear();
    keep(rec, times);
    const std::vector<std::uint8_t> img = image(rec, options);
    append('S', img);
    append('S', img);
    if (const std::vector<std::uint8_t> t = timesPayload(); !t.empty()) {
        append('W', t);
        append('W', t);
    }
}

void Journal::closeNormally() {
    const bool ours = lock_.held() && !keepOld_;
    out_.close();
    if (ours) fileio::removeFile(path_);
}

Journal::Protection Journal::watch(const PlayRecord& rec, std::uint8_t options, bool retry, const GameTimes& times) {
    if (retry && !healthy()) begin(rec, options, times);
    if (healthy() != toldLost_) return Protection::Unchanged;
    toldLost_ = !healthy();
    return toldLost_ ? Protection::Lost : Protection::Back;
}

}  // namespace tobrak
