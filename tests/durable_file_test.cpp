#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <random>

#include "util/durable_file.h"

namespace tobrak::fileio {
namespace {

namespace fs = std::filesystem;

class DurableFile : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("tobrak_durable_" + std::to_string(std::random_device{}()));
        fs::create_directories(dir);
    }
    void TearDown() override {
        clearFaults();
        fs::permissions(dir, fs::perms::owner_all, fs::perm_options::add);
        fs::remove_all(dir);
    }
    std::string path(const char* name) const { return (dir / name).string(); }
    static std::string text(const std::string& p) {
        std::ifstream f(p, std::ios::binary);
        return {std::istreambuf_iterator<char>(f), {}};
    }
    static void put(const std::string& p, const std::string& s) { std::ofstream(p, std::ios::binary) << s; }
    static fs::perms mode(const std::string& p) { return fs::status(p).permissions() & fs::perms::mask; }
    Error write(const std::string& p, const std::string& s) { return writeDurably(p, s.data(), s.size()); }
    long entries() const { return std::distance(fs::directory_iterator(dir), fs::directory_iterator()); }
    fs::path dir;
};

// Whichever step fails, the old file is as it was (content and mode), the
// failure is reported and no temporary is left.
TEST_F(DurableFile, AnyFailingStepLeavesTheOldFile) {
    const std::string p = path("play.slt");
    put(p, "old");
    fs::permissions(p, fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::replace);
    for (const auto& [op, err, nth] : {std::tuple{Op::Open, EACCES, 1},
                                       {Op::Write, ENOSPC, 1},
                                       {Op::Sync, EIO, 1},
                                       {Op::Close, EIO, 1},
                                       {Op::Rename, EXDEV, 1}}) {
        failNth(op, nth, err);
        const Error e = write(p, "new");
        EXPECT_EQ(e.code, err) << static_cast<int>(op);
        EXPECT_NE(e.message.find("cannot write " + p + ": "), std::string::npos);
        EXPECT_EQ(text(p), "old");
        EXPECT_EQ(entries(), 1);
        clearFaults();
    }
    // An interrupted write is retried; the mode of the old file is kept.
    failNth(Op::Write, 1, EINTR);
    ASSERT_FALSE(write(p, "new"));
    EXPECT_EQ(text(p), "new");
    EXPECT_EQ(mode(p), fs::perms::owner_read | fs::perms::owner_write);
    // A failing folder sync after the rename is reported.
    failNth(Op::Sync, 2, EIO);
    EXPECT_EQ(write(p, "newer").code, EIO);
}

// Targets that are not plain writable files are refused and left alone; a link is
// followed and kept; a user's own file with a temporary-like name is not touched.
TEST_F(DurableFile, OddTargetsAreRefusedOrKept) {
    fs::create_directory(dir / "folder");
    ASSERT_EQ(::mkfifo(path("fifo").c_str(), 0600), 0);
    put(path("ro.slt"), "kept");
    fs::permissions(path("ro.slt"), fs::perms::owner_read, fs::perm_options::replace);
    for (const char* name : {"folder", "fifo", "ro.slt"}) {
        const Error e = write(path(name), "data");
        EXPECT_TRUE(e) << name;
        EXPECT_EQ(e.message.rfind("cannot write " + path(name), 0), 0u) << e.message;
    }
    EXPECT_TRUE(fs::is_directory(dir / "folder"));
    EXPECT_TRUE(fs::is_fifo(dir / "fifo"));
    EXPECT_EQ(text(path("ro.slt")), "kept");

    put(path("real.slt"), "old");
    fs::create_symlink("real.slt", dir / "link.slt");
    put(path("link.slt.tmp"), "mine");
    ASSERT_FALSE(write(path("link.slt"), "new"));
    EXPECT_TRUE(fs::is_symlink(dir / "link.slt"));
    EXPECT_EQ(text(path("real.slt")), "new");
    EXPECT_EQ(text(path("link.slt.tmp")), "mine");
    EXPECT_EQ(entries(), 6);

    // A new file gets the usual mode, not the temporary's.
    const mode_t old = ::umask(022);
    ASSERT_FALSE(write(path("fresh.csv"), "a"));
    ::umask(old);
    EXPECT_EQ(mode(path("fresh.csv")),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read | fs::perms::others_read);
}

// Reading refuses what is not a plain file at once (a FIFO would block forever)
// and reports a failing read.
TEST_F(DurableFile, ReadsOnlyPlainFiles) {
    ASSERT_EQ(::mkfifo(path("fifo").c_str(), 0600), 0);
    std::vector<std::uint8_t> out;
    EXPECT_EQ(readRegular(path("fifo"), 100, out), ReadResult::NotRegular);
    EXPECT_EQ(readRegular(dir.string(), 100, out), ReadResult::NotRegular);
    EXPECT_EQ(readRegular(path("missing"), 100, out), ReadResult::Failed);
    put(path("f"), "12345");
    EXPECT_EQ(readRegular(path("f"), 4, out), ReadResult::TooLarge);
    failNth(Op::Read, 1, EIO);
    Error e;
    EXPECT_EQ(readRegular(path("f"), 5, out, &e), ReadResult::Failed);
    EXPECT_EQ(e.code, EIO);
    failNth(Op::Read, 1, EINTR);
    ASSERT_EQ(readRegular(path("f"), 5, out), ReadResult::Ok);
    EXPECT_EQ(std::string(out.begin(), out.end()), "12345");
}

}  // namespace
}  // namespace tobrak::fileio
