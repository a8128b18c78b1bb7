#pragma once
// A disk whose every sync takes a while: an SQLite VFS over the computer's own
// that sleeps in xSync, for the tests and benchmarks that show the poll never
// waits for the library's writer. Register once, then open the library with
// LibraryOptions{.vfs = kSlowDiskVfs, .syncEachCommit = true}.
#include <sqlite3.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

namespace tobrak::test {

inline constexpr const char* kSlowDiskVfs = "tobrak-slow-sync";

namespace slow_disk {

inline std::atomic<int> syncMs{50};
inline std::atomic<long> syncs{0};

struct File {
    sqlite3_file base;
    sqlite3_file* real;  // the computer's file, right after this one
};
inline sqlite3_file* real(sqlite3_file* f) { return reinterpret_cast<File*>(f)->real; }

inline int close(sqlite3_file* f) { return real(f)->pMethods->xClose(real(f)); }
inline int read(sqlite3_file* f, void* b, int n, sqlite3_int64 at) {
    return real(f)->pMethods->xRead(real(f), b, n, at);
}
inline int write(sqlite3_file* f, const void* b, int n, sqlite3_int64 at) {
    return real(f)->pMethods->xWrite(real(f), b, n, at);
}
inline int truncate(sqlite3_file* f, sqlite3_int64 n) { return real(f)->pMethods->xTruncate(real(f), n); }
inline int sync(sqlite3_file* f, int flags) {
    std::this_thread::sleep_for(std::chrono::milliseconds(syncMs.load()));
    ++syncs;
    return real(f)->pMethods->xSync(real(f), flags);
}
inline int fileSize(sqlite3_file* f, sqlite3_int64* n) { return real(f)->pMethods->xFileSize(real(f), n); }
inline int lock(sqlite3_file* f, int l) { return real(f)->pMethods->xLock(real(f), l); }
inline int unlock(sqlite3_file* f, int l) { return real(f)->pMethods->xUnlock(real(f), l); }
inline int reserved(sqlite3_file* f, int* r) { return real(f)->pMethods->xCheckReservedLock(real(f), r); }
inline int control(sqlite3_file* f, int op, void* arg) { return real(f)->pMethods->xFileControl(real(f), op, arg); }
inline int sectorSize(sqlite3_file* f) { return real(f)->pMethods->xSectorSize(real(f)); }
inline int device(sqlite3_file* f) { return real(f)->pMethods->xDeviceCharacteristics(real(f)); }
inline int shmMap(sqlite3_file* f, int i, int n, int w, void volatile** p) {
    return real(f)->pMethods->xShmMap(real(f), i, n, w, p);
}
inline int shmLock(sqlite3_file* f, int at, int n, int flags) {
    return real(f)->pMethods->xShmLock(real(f), at, n, flags);
}
inline void shmBarrier(sqlite3_file* f) { real(f)->pMethods->xShmBarrier(real(f)); }
inline int shmUnmap(sqlite3_file* f, int del) { return real(f)->pMethods->xShmUnmap(real(f), del); }

inline const sqlite3_io_methods methods = {2,       close,      read,     write,   truncate,   sync,   fileSize,
                                           lock,    unlock,     reserved, control, sectorSize, device, shmMap,
                                           shmLock, shmBarrier, shmUnmap, nullptr, nullptr};

inline int open(sqlite3_vfs* vfs, const char* name, sqlite3_file* f, int flags, int* outFlags) {
    auto* under = static_cast<sqlite3_vfs*>(vfs->pAppData);
    auto* file = reinterpret_cast<File*>(f);
    file->real = reinterpret_cast<sqlite3_file*>(file + 1);
    const int rc = under->xOpen(under, name, file->real, flags, outFlags);
    // Without a real file opened there is nothing to close: no methods.
    file->base.pMethods = rc == SQLITE_OK && file->real->pMethods ? &methods : nullptr;
    return rc;
}

}  // namespace slow_disk

// Registers the slow disk (once; later calls change only its sync time).
inline void useSlowDisk(int syncMs) {
    slow_disk::syncMs = syncMs;
    static const bool registered = [] {
        static sqlite3_vfs vfs = *sqlite3_vfs_find(nullptr);
        vfs.pAppData = sqlite3_vfs_find(nullptr);
        vfs.zName = kSlowDiskVfs;
        vfs.szOsFile = static_cast<int>(sizeof(slow_disk::File)) + vfs.szOsFile;
        vfs.xOpen = slow_disk::open;
        vfs.iVersion = std::min(vfs.iVersion, 2);
        return sqlite3_vfs_register(&vfs, 0) == SQLITE_OK;
    }();
    (void)registered;
}

}  // namespace tobrak::test
