#include "util/durable_file.h"

#include <array>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>

#include "util/paths.h"

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace tobrak::fileio {

namespace {

namespace fs = std::filesystem;

struct Fault {
    int nth = 0;
    int error = 0;
};
std::array<Fault, static_cast<std::size_t>(Op::Count)> g_faults;

// True when the test seam makes this call fail; errno is set then.
bool faulted(Op op) {
    Fault& f = g_faults[static_cast<std::size_t>(op)];
    if (f.nth <= 0 || --f.nth > 0) return false;
    errno = f.error;
    return true;
}

Error fail(int code, const std::string& what, const std::string& path) {
    return {code ? code : EIO, "cannot " + what + " " + path + ": " + std::strerror(code ? code : EIO)};
}

// ---- The system calls, one place per platform. ----

#ifdef _WIN32
std::wstring wide(const std::string& utf8) {
    if (utf8.empty()) return {};
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring w(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), w.data(), n);
    return w;
}
using Stat = struct _stat64;
constexpr int kNoFollow = 0;
constexpr int kNonBlock = 0;
int sysOpen(const std::string& p, int flags, int mode) {
    if (faulted(Op::Open)) return -1;
    return _wopen(wide(p).c_str(), flags | _O_BINARY | _O_NOINHERIT, mode ? (_S_IREAD | _S_IWRITE) : 0);
}
long sysWrite(int fd, const void* p, std::size_t n) {
    if (faulted(Op::Write)) return -1;
    return _write(fd, p, static_cast<unsigned>(n > (1u << 30) ? (1u << 30) : n));
}
long sysRead(int fd, void* p, std::size_t n) {
    if (faulted(Op::Read)) return -1;
    return _read(fd, p, static_cast<unsigned>(n > (1u << 30) ? (1u << 30) : n));
}
int sysSync(int fd) {
    if (faulted(Op::Sync)) return -1;
    if (FlushFileBuffers(reinterpret_cast<HANDLE>(_get_osfhandle(fd)))) return 0;
    errno = EIO;
    return -1;
}
int sysClose(int fd) {
    if (faulted(Op::Close)) {
        const int e = errno;
        _close(fd);
        errno = e;
        return -1;
    }
    return _close(fd);
}
int sysRename(const std::string& from, const std::string& to) {
    if (faulted(Op::Rename)) return -1;
    if (MoveFileExW(wide(from).c_str(), wide(to).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return 0;
    errno = GetLastError() == ERROR_ACCESS_DENIED ? EACCES : EIO;
    return -1;
}
int sysStat(const std::string& p, Stat& st, bool) { return _wstat64(wide(p).c_str(), &st); }
int sysFstat(int fd, Stat& st) { return _fstat64(fd, &st); }
bool isRegular(const Stat& st) { return (st.st_mode & _S_IFMT) == _S_IFREG; }
bool isLink(const Stat&) { return false; }
bool readOnly(const std::string&, const Stat& st) { return (st.st_mode & _S_IWRITE) == 0; }
void keepOwnerAndMode(int, const Stat&) {}
// Windows makes a rename durable with MOVEFILE_WRITE_THROUGH; folders are not synced.
Error syncFolder(const std::string&) { return {}; }
int sysUnlink(const std::string& p) { return _wunlink(wide(p).c_str()); }
// The locked byte lies far past the holder's process id, which others must read.
bool lockFd(int fd) {
    OVERLAPPED ov{};
    ov.Offset = 1u << 30;
    if (LockFileEx(reinterpret_cast<HANDLE>(_get_osfhandle(fd)), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0,
                   1, 0, &ov))
        return true;
    errno = EWOULDBLOCK;
    return false;
}
long ownPid() { return static_cast<long>(GetCurrentProcessId()); }
void rewriteFd(int fd, const std::string& text) {
    if (_chsize_s(fd, 0) != 0 || _lseek(fd, 0, SEEK_SET) != 0) return;
    (void)!_write(fd, text.data(), static_cast<unsigned>(text.size()));
}
long readAt0(int fd, char* buf, std::size_t n) {
    if (_lseek(fd, 0, SEEK_SET) != 0) return -1;
    return _read(fd, buf, static_cast<unsigned>(n));
}
bool sameFileImpl(const std::string& a, const std::string& b) {
    auto info = [](const std::string& p, BY_HANDLE_FILE_INFORMATION& i) {
        const HANDLE h = CreateFileW(wide(p).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (h == INVALID_HANDLE_VALUE) return false;
        const bool ok = GetFileInformationByHandle(h, &i) != 0;
        CloseHandle(h);
        return ok;
    };
    BY_HANDLE_FILE_INFORMATION x{}, y{};
    return info(a, x) && info(b, y) && x.dwVolumeSerialNumber == y.dwVolumeSerialNumber &&
           x.nFileIndexHigh == y.nFileIndexHigh && x.nFileIndexLow == y.nFileIndexLow;
}
#else
using Stat = struct stat;
constexpr int kNoFollow = O_NOFOLLOW;
constexpr int kNonBlock = O_NONBLOCK;
int sysOpen(const std::string& p, int flags, int mode) {
    if (faulted(Op::Open)) return -1;
    return ::open(p.c_str(), flags | O_CLOEXEC, mode);
}
long sysWrite(int fd, const void* p, std::size_t n) {
    if (faulted(Op::Write)) return -1;
    return ::write(fd, p, n);
}
long sysRead(int fd, void* p, std::size_t n) {
    if (faulted(Op::Read)) return -1;
    return ::read(fd, p, n);
}
int sysSync(int fd) {
    if (faulted(Op::Sync)) return -1;
    return ::fsync(fd);
}
int sysClose(int fd) {
    if (faulted(Op::Close)) {
        const int e = errno;
        ::close(fd);
        errno = e;
        return -1;
    }
    // The data was synced before: an interrupted close has still closed the file.
    return ::close(fd) == 0 || errno == EINTR ? 0 : -1;
}
int sysRename(const std::string& from, const std::string& to) {
    if (faulted(Op::Rename)) return -1;
    return ::rename(from.c_str(), to.c_str());
}
int sysStat(const std::string& p, Stat& st, bool followLinks) {
    return followLinks ? ::stat(p.c_str(), &st) : ::lstat(p.c_str(), &st);
}
int sysFstat(int fd, Stat& st) { return ::fstat(fd, &st); }
bool isRegular(const Stat& st) { return S_ISREG(st.st_mode); }
bool isLink(const Stat& st) { return S_ISLNK(st.st_mode); }
// The mode bits count even for the superuser: a file made read-only stays so.
bool readOnly(const std::string& p, const Stat& st) {
    return (st.st_mode & S_IWUSR) == 0 || ::access(p.c_str(), W_OK) != 0;
}
void keepOwnerAndMode(int fd, const Stat& st) {
    (void)!::fchmod(fd, st.st_mode & 07777);
    if (st.st_uid != ::geteuid() || st.st_gid != ::getegid()) (void)!::fchown(fd, st.st_uid, st.st_gid);
}
Error syncFolder(const std::string& dir) {
    const int fd = sysOpen(dir, O_RDONLY | O_DIRECTORY, 0);
    if (fd < 0) return fail(errno, "open the folder", dir);
    const int r = sysSync(fd);
    const int e = errno;
    ::close(fd);
    return r == 0 ? Error{} : fail(e, "sync the folder", dir);
}
int sysUnlink(const std::string& p) { return ::unlink(p.c_str()); }
bool lockFd(int fd) { return ::flock(fd, LOCK_EX | LOCK_NB) == 0; }
long ownPid() { return static_cast<long>(::getpid()); }
void rewriteFd(int fd, const std::string& text) {
    if (::ftruncate(fd, 0) == 0) (void)!::pwrite(fd, text.data(), text.size(), 0);
}
long readAt0(int fd, char* buf, std::size_t n) { return static_cast<long>(::pread(fd, buf, n, 0)); }
bool sameFileImpl(const std::string& a, const std::string& b) {
    Stat x{}, y{};
    return sysStat(a, x, true) == 0 && sysStat(b, y, true) == 0 && x.st_dev == y.st_dev && x.st_ino == y.st_ino;
}
#endif

// Writes everything, through interrupted and short writes.
Error writeAll(int fd, const void* data, std::size_t n, const std::string& path) {
    auto p = static_cast<const std::uint8_t*>(data);
    while (n > 0) {
        const long w = sysWrite(fd, p, n);
        if (w < 0 && errno == EINTR) continue;
        if (w <= 0) return fail(w < 0 ? errno : ENOSPC, "write", path);
        p += w;
        n -= static_cast<std::size_t>(w);
    }
    return {};
}

long readSome(int fd, void* buf, std::size_t n) {
    for (;;) {
        const long r = sysRead(fd, buf, n);
        if (r >= 0 || errno != EINTR) return r;
    }
}

std::string folderOf(const std::string& path) {
    const fs::path parent = fsPath(path).parent_path();
    return parent.empty() ? std::string(".") : pathUtf8(parent);
}

std::string tempName(const std::string& path) {
    static std::atomic<unsigned> counter{0};
    static const unsigned long long seed =
        std::random_device{}() ^
        static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count());
    std::mt19937_64 rng(seed + counter.fetch_add(1));
    const std::string base = pathUtf8(fsPath(path).filename());
    static const char digits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    std::string name = "." + base + ".";
    for (int i = 0; i < 8; ++i) name += digits[rng() % 36];
    const std::string dir = folderOf(path);
    return (dir == "." ? std::string() : dir + "/") + name + ".tmp";
}

}  // namespace

Error writeDurably(const std::string& path, const void* data, std::size_t n) {
    std::string target = path;
    Stat st{};
    bool existed = sysStat(target, st, false) == 0;
    if (existed && isLink(st)) {
        // Replace the file the link names and keep the link.
        std::error_code ec;
        const fs::path real = fs::canonical(fsPath(target), ec);
        if (ec) return fail(ec.value(), "write", path);
        target = pathUtf8(real);
        existed = sysStat(target, st, true) == 0;
    }
    if (existed) {
        if (!isRegular(st)) return {EINVAL, "cannot write " + path + ": not a regular file"};
        if (readOnly(target, st)) return {EACCES, "cannot write " + path + ": the file is read-only"};
    } else if (errno != ENOENT) {
        return fail(errno, "write", path);
    }

    std::string tmp;
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
        tmp = tempName(target);
        fd = sysOpen(tmp, O_WRONLY | O_CREAT | O_EXCL | kNoFollow, 0666);
        if (fd < 0 && errno != EEXIST) return fail(errno, "write", path);
    }
    if (fd < 0) return fail(EEXIST, "write", path);
    if (existed) keepOwnerAndMode(fd, st);

    Error e = writeAll(fd, data, n, path);
    if (!e && sysSync(fd) != 0) e = fail(errno, "write", path);
    const int closed = sysClose(fd);
    if (!e && closed != 0) e = fail(errno, "write", path);
    if (!e && sysRename(tmp, target) != 0) e = fail(errno, "write", path);
    if (e) {
        sysUnlink(tmp);
        return e;
    }
    if (const Error d = syncFolder(folderOf(target))) return fail(d.code, "write", path);
    return {};
}

ReadResult readRegular(const std::string& path, std::size_t limit, std::vector<std::uint8_t>& out, Error* error) {
    Error local;
    Error& err = error ? *error : local;
    InFile f;
    if ((err = f.open(path))) return err.code == EINVAL ? ReadResult::NotRegular : ReadResult::Failed;
    out.clear();
    std::uint8_t buf[1 << 16];
    for (;;) {
        const long r = f.read(buf, sizeof buf, err);
        if (r < 0) return ReadResult::Failed;
        if (r == 0) return ReadResult::Ok;
        if (out.size() + static_cast<std::size_t>(r) > limit) return ReadResult::TooLarge;
        out.insert(out.end(), buf, buf + r);
    }
}

InFile::~InFile() {
    if (fd_ >= 0) sysClose(fd_);
}

Error InFile::open(const std::string& path) {
    path_ = path;
    fd_ = sysOpen(path, O_RDONLY | kNonBlock, 0);
    if (fd_ < 0) return fail(errno, "open", path);
    Stat st{};
    if (sysFstat(fd_, st) != 0 || !isRegular(st)) {
        sysClose(fd_);
        fd_ = -1;
        return {EINVAL, "cannot read " + path + ": not a regular file"};
    }
    return {};
}

long InFile::read(void* buf, std::size_t n, Error& error) {
    const long r = readSome(fd_, buf, n);
    if (r < 0) error = fail(errno, "read", path_);
    return r;
}

Error AppendFile::open(const std::string& path) {
    close();
    path_ = path;
    fd_ = sysOpen(path, O_WRONLY | O_APPEND | kNoFollow, 0);
    return fd_ < 0 ? fail(errno, "open", path) : Error{};
}

Error AppendFile::write(const void* data, std::size_t n) { return writeAll(fd_, data, n, path_); }

Error AppendFile::sync() { return sysSync(fd_) == 0 ? Error{} : fail(errno, "sync", path_); }

void AppendFile::close() {
    if (fd_ >= 0) sysClose(fd_);
    fd_ = -1;
}

void AppendFile::swap(AppendFile& other) {
    std::swap(fd_, other.fd_);
    std::swap(path_, other.path_);
}

LockFile::~LockFile() {
    if (fd_ >= 0) sysClose(fd_);
}

Error LockFile::lock(const std::string& path) {
    holder_ = 0;
    const int fd = sysOpen(path, O_RDWR | O_CREAT, 0600);
    if (fd < 0) return fail(errno, "open", path);
    if (!lockFd(fd)) {
        const int e = errno;
        if (e == EWOULDBLOCK) {
            char buf[24] = {};
            if (readAt0(fd, buf, sizeof buf - 1) > 0) holder_ = std::strtol(buf, nullptr, 10);
            if (holder_ < 0) holder_ = 0;
        }
        sysClose(fd);
        return fail(e, "lock", path);
    }
    fd_ = fd;
    // Only a hint for the others: a failed write costs nothing but the process id.
    rewriteFd(fd, std::to_string(ownPid()) + "\n");
    return {};
}

bool sameFile(const std::string& a, const std::string& b) { return sameFileImpl(a, b); }

bool exists(const std::string& path) {
    Stat st{};
    return sysStat(path, st, false) == 0;
}

Error moveAside(const std::string& from, const std::string& to) {
    if (exists(to)) return fail(EEXIST, "rename to", to);
    if (sysRename(from, to) != 0) return fail(errno, "rename", from);
    return syncFolder(folderOf(to));
}

Error removeFile(const std::string& path) {
    if (sysUnlink(path) != 0 && errno != ENOENT) return fail(errno, "remove", path);
    return {};
}

void failNth(Op op, int nth, int error) { g_faults[static_cast<std::size_t>(op)] = {nth, error}; }
void clearFaults() { g_faults.fill({}); }

}  // namespace tobrak::fileio
