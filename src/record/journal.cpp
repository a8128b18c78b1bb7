#include "record/journal.h"

#include <array>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "record/slt_file.h"
#include "util/paths.h"

#ifdef _WIN32
#define NOMINMAX
#define WIN32_LEAN_AND_MEAN
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace tobrak {

namespace {

namespace fs = std::filesystem;

constexpr char kMagic[] = "TOBRAKJ1";

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

#ifdef _WIN32
int openFile(const fs::path& p, int flags) { return _wopen(p.c_str(), flags | _O_BINARY, _S_IREAD | _S_IWRITE); }
bool writeAll(int fd, const std::uint8_t* p, std::size_t n) {
    return _write(fd, p, static_cast<unsigned>(n)) == static_cast<int>(n);
}
bool sync(int fd) { return _commit(fd) == 0; }
void closeFile(int fd) { _close(fd); }
// Held until the handle closes, which the system does for a program that dies.
bool lockAlone(int fd) {
    OVERLAPPED at{};
    return LockFileEx(reinterpret_cast<HANDLE>(_get_osfhandle(fd)), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY,
                      0, 1, 0, &at) != 0;
}
#else
int openFile(const fs::path& p, int flags) { return ::open(p.c_str(), flags | O_CLOEXEC, 0600); }
bool writeAll(int fd, const std::uint8_t* p, std::size_t n) {
    while (n > 0) {
        const ssize_t w = ::write(fd, p, n);
        if (w < 0) return false;
        p += w;
        n -= static_cast<std::size_t>(w);
    }
    return true;
}
bool sync(int fd) { return ::fdatasync(fd) == 0; }
void closeFile(int fd) { ::close(fd); }
bool lockAlone(int fd) { return ::flock(fd, LOCK_EX | LOCK_NB) == 0; }
#endif

// The record as a file image, the display options in byte 43.
std::vector<std::uint8_t> image(const PlayRecord& rec, std::uint8_t options) {
    std::vector<std::uint8_t> img = encodeSlt(rec);
    img[43] = options;
    return img;
}

}  // namespace

std::string defaultJournalDir() {
#ifdef _WIN32
    if (const std::string l = envUtf8("LOCALAPPDATA"); !l.empty()) return utf8Path(fsPath(l) / "tobrak");
#else
    if (const std::string x = envUtf8("XDG_STATE_HOME"); !x.empty()) return utf8Path(fsPath(x) / "tobrak");
    if (const std::string h = envUtf8("HOME"); !h.empty()) return utf8Path(fsPath(h) / ".local" / "state" / "tobrak");
#endif
    return utf8Path(fs::temp_directory_path() / "tobrak");
}

std::optional<std::vector<std::uint8_t>> Journal::replay(const std::vector<std::uint8_t>& bytes) {
    const std::size_t magic = sizeof kMagic - 1;
    if (bytes.size() < magic || std::memcmp(bytes.data(), kMagic, magic) != 0) return std::nullopt;
    PlayRecord rec;
    bool any = false;
    std::size_t pos = magic;
    while (pos + 9 <= bytes.size()) {
        const std::uint8_t* e = bytes.data() + pos;
        const std::uint32_t len = get32(e + 1);
        if (len > 64 * 1024 || pos + 5 + len + 4 > bytes.size()) break;  // cut off by a crash
        if (crc32(e, 5 + len) != get32(e + 5 + len)) break;             // damaged
        const std::uint8_t* payload = e + 5;
        switch (e[0]) {
        case 'S': {
            const std::vector<std::uint8_t> img(payload, payload + len);
            PlayRecord fresh;
            if (decodeSlt(img, fresh) != SltStatus::Ok) return any ? std::optional(encodeSlt(rec)) : std::nullopt;
            rec = fresh;
            any = true;
            break;
        }
        case 'B': {
            if (len != 3) break;
            const std::int32_t i = payload[0] | (payload[1] << 8);
            if (i < kHeaderLen || i >= kDatMax) break;
            rec.Dat_Buf[i] = payload[2];
            if (i >= rec.Dat_Len) {
                rec.Dat_Len = i + 1;
                rec.Dat_Buf[rec.Dat_Len] = 0;
            }
            any = true;
            break;
        }
        case 'H':
            if (len == kHeaderLen) std::memcpy(rec.Dat_Buf.data(), payload, kHeaderLen);
            any = true;
            break;
        default: break;
        }
        pos += 5 + len + 4;
    }
    if (!any) return std::nullopt;
    return encodeSlt(rec);
}

std::unique_ptr<Journal> Journal::open(const std::string& dir, std::string& error) {
    std::error_code ec;
    const fs::path d = fsPath(dir);
    fs::create_directories(d, ec);
    std::unique_ptr<Journal> j(new Journal());
    j->dir_ = dir;
    j->path_ = utf8Path(d / "session.journal");
    j->lockFd_ = openFile(d / "session.lock", O_RDWR | O_CREAT);
    if (j->lockFd_ < 0) {
        error = "cannot use the folder " + dir;
        return nullptr;
    }
    if (!lockAlone(j->lockFd_)) {
        error = "another Tobrak is recording with the journal in " + dir;
        return nullptr;
    }
    if (std::ifstream f(fsPath(j->path_), std::ios::binary); f) {
        const std::vector<std::uint8_t> old((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
        auto img = replay(old);
        if (img && img->size() > static_cast<std::size_t>(kHeaderLen)) j->recovered_ = std::move(img);
    }
    return j;
}

Journal::~Journal() {
    if (fd_ >= 0) closeFile(fd_);
    if (lockFd_ >= 0) closeFile(lockFd_);
}

void Journal::begin(const PlayRecord& rec, std::uint8_t options) {
    if (fd_ >= 0) closeFile(fd_);
    // A fresh file beside the old one, swapped in once complete.
    const fs::path tmp = fsPath(path_ + ".new");
    fd_ = openFile(tmp, O_WRONLY | O_CREAT | O_TRUNC);
    if (fd_ < 0) return;
    size_ = 0;
    const std::size_t magic = sizeof kMagic - 1;
    if (!writeAll(fd_, reinterpret_cast<const std::uint8_t*>(kMagic), magic)) {
        closeFile(fd_);
        fd_ = -1;
        return;
    }
    size_ = static_cast<std::int64_t>(magic);
    append('S', image(rec, options));
    if (fd_ < 0) return;
    // Closed before the swap (Windows renames no open file), then appended to.
    closeFile(fd_);
    std::error_code ec;
    fs::rename(tmp, fsPath(path_), ec);
    fd_ = ec ? -1 : openFile(fsPath(path_), O_WRONLY | O_APPEND);
}

void Journal::append(char type, const std::vector<std::uint8_t>& payload) {
    if (fd_ < 0) return;
    std::vector<std::uint8_t> e;
    e.reserve(payload.size() + 9);
    e.push_back(static_cast<std::uint8_t>(type));
    put32(e, static_cast<std::uint32_t>(payload.size()));
    e.insert(e.end(), payload.begin(), payload.end());
    put32(e, crc32(e.data(), e.size()));
    if (!writeAll(fd_, e.data(), e.size()) || !sync(fd_)) {
        closeFile(fd_);
        fd_ = -1;
        return;
    }
    size_ += static_cast<std::int64_t>(e.size());
}

void Journal::compactIfLarge(const PlayRecord& rec, std::uint8_t options) {
    if (size_ > compactAt_) begin(rec, options);
}

void Journal::byteSet(const PlayRecord& rec, std::int32_t index, std::uint8_t options) {
    append('B', {static_cast<std::uint8_t>(index & 0xFF), static_cast<std::uint8_t>(index >> 8), rec.Dat_Buf[index]});
    compactIfLarge(rec, options);
}

void Journal::header(const PlayRecord& rec, std::uint8_t options) {
    std::vector<std::uint8_t> h(rec.Dat_Buf.begin(), rec.Dat_Buf.begin() + kHeaderLen);
    h[43] = options;
    append('H', h);
}

void Journal::snapshot(const PlayRecord& rec, std::uint8_t options) { append('S', image(rec, options)); }

void Journal::closeNormally() {
    if (fd_ >= 0) closeFile(fd_);
    fd_ = -1;
    std::error_code ec;
    fs::remove(fsPath(path_), ec);
}

}  // namespace tobrak
