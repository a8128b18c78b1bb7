#pragma once
// Files that a crash, a full disk or a failing device never leave cut or missing.
// A whole-file write goes to a fresh temporary file beside the target, is synced
// and closed with every error checked, and only then renamed over the target;
// reads never block on something that is not a plain file. Every system call on
// files is made here, so the tests can make any of them fail.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tobrak::fileio {

// A failed step: the system's error number and a sentence saying what failed.
struct Error {
    int code = 0;
    std::string message;  // "cannot write /x/y.slt: No space left on device"
    explicit operator bool() const { return code != 0; }
};

// Replaces (or creates) `path` with the bytes. A symbolic link is followed and the
// file it names replaced. A target that is not a regular file (folder, device,
// FIFO) or that is read-only is refused. The new file keeps the old one's
// permissions. On any failure the old file is as it was and no temporary is left.
Error writeDurably(const std::string& path, const void* data, std::size_t n);
inline Error writeDurably(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    return writeDurably(path, bytes.data(), bytes.size());
}

enum class ReadResult { Ok, TooLarge, NotRegular, Failed };
// Reads a whole regular file of at most `limit` bytes. It is opened without
// blocking and checked before anything is read, so a FIFO or a device is refused
// at once instead of hanging the caller.
ReadResult readRegular(const std::string& path, std::size_t limit, std::vector<std::uint8_t>& out,
                       Error* error = nullptr);

// A regular file read piece by piece.
class InFile {
public:
    InFile() = default;
    InFile(const InFile&) = delete;
    InFile& operator=(const InFile&) = delete;
    ~InFile();
    Error open(const std::string& path);
    // Up to `n` bytes; 0 at the end; -1 with `error` set on a failure.
    long read(void* buf, std::size_t n, Error& error);

private:
    int fd_ = -1;
    std::string path_;
};

// An existing file written at its end, each write whole.
class AppendFile {
public:
    AppendFile() = default;
    AppendFile(const AppendFile&) = delete;
    AppendFile& operator=(const AppendFile&) = delete;
    ~AppendFile() { close(); }
    Error open(const std::string& path);
    Error write(const void* data, std::size_t n);
    Error sync();
    void close();
    bool isOpen() const { return fd_ >= 0; }
    void swap(AppendFile& other);

private:
    int fd_ = -1;
    std::string path_;
};

// An exclusive lock on a file, held while the object lives. The holder writes
// its process id into the file, so that another program can say who holds it.
class LockFile {
public:
    LockFile() = default;
    LockFile(const LockFile&) = delete;
    LockFile& operator=(const LockFile&) = delete;
    ~LockFile();
    // EWOULDBLOCK in `code` when another program holds it; holder() is then its
    // process id (0 when it has not written one yet).
    Error lock(const std::string& path);
    bool held() const { return fd_ >= 0; }
    long holder() const { return holder_; }

private:
    int fd_ = -1;
    long holder_ = 0;
};

// Whether `a` and `b` are one file (the same device and file number), through
// symbolic and hard links. False when either does not exist.
bool sameFile(const std::string& a, const std::string& b);

// Whether anything (a file, a folder, a dangling link) is at `path`.
bool exists(const std::string& path);
// Renames `from` to `to`, which must not exist yet, and syncs the folder.
Error moveAside(const std::string& from, const std::string& to);
// Removes a file; a missing one is no failure.
Error removeFile(const std::string& path);

// Test seam: the `nth` call from now (1: the next one) of `op` fails with `error`.
enum class Op { Open, Write, Sync, Close, Rename, Read, Count };
void failNth(Op op, int nth, int error);
void clearFaults();

}  // namespace tobrak::fileio
