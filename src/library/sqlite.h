#pragma once
// A thin owner of SQLite's C API: a connection, a prepared statement and a
// transaction that rolls back unless committed. A failed call throws DbError with
// SQLite's result code, so that the library's public calls can turn any failure
// into one status and message at a single place.
#include <sqlite3.h>

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace tobrak::sql {

class DbError : public std::runtime_error {
public:
    DbError(int code, const std::string& what) : std::runtime_error(what), code_(code) {}
    int code() const { return code_; }            // the extended result code
    int primary() const { return code_ & 0xFF; }  // SQLITE_BUSY, SQLITE_FULL, …

private:
    int code_;
};

class Db {
public:
    Db() = default;
    // Opens `path` with SQLite's open flags (and file layer); throws on failure.
    Db(const std::string& path, int flags, const char* vfs = nullptr);
    ~Db();
    Db(Db&& o) noexcept : db_(o.db_) { o.db_ = nullptr; }
    Db& operator=(Db&& o) noexcept;
    Db(const Db&) = delete;
    Db& operator=(const Db&) = delete;

    sqlite3* get() const { return db_; }
    explicit operator bool() const { return db_ != nullptr; }
    // Runs statements that return nothing wanted.
    void exec(const std::string& sql);
    // The first column of the first row as an integer (0 without a row).
    std::int64_t scalar(const std::string& sql);
    std::int64_t lastId() const { return sqlite3_last_insert_rowid(db_); }
    int changes() const { return sqlite3_changes(db_); }
    [[noreturn]] void fail(int rc) const;

private:
    sqlite3* db_ = nullptr;
};

class Stmt {
public:
    Stmt(Db& db, std::string_view sql);
    ~Stmt();
    Stmt(const Stmt&) = delete;
    Stmt& operator=(const Stmt&) = delete;

    // Parameters are numbered from 1.
    Stmt& bind(int i, std::int64_t v);
    Stmt& bind(int i, int v) { return bind(i, static_cast<std::int64_t>(v)); }
    Stmt& bind(int i, double v);
    Stmt& bind(int i, std::string_view v);
    Stmt& bind(int i, const char* v) { return bind(i, std::string_view(v)); }
    Stmt& bind(int i, const std::string& v) { return bind(i, std::string_view(v)); }
    Stmt& bindBlob(int i, const void* data, std::size_t n);
    Stmt& bindNull(int i);
    template <class T>
    Stmt& bind(int i, const std::optional<T>& v) {
        return v ? bind(i, *v) : bindNull(i);
    }
    // True while a row is there; false at the end.
    bool step();
    // Runs a statement that returns no row.
    void run();
    void reset();

    bool isNull(int col) const { return sqlite3_column_type(s_, col) == SQLITE_NULL; }
    std::int64_t i64(int col) const { return sqlite3_column_int64(s_, col); }
    int i32(int col) const { return sqlite3_column_int(s_, col); }
    double real(int col) const { return sqlite3_column_double(s_, col); }
    std::string text(int col) const;
    std::optional<std::int64_t> optI64(int col) const {
        return isNull(col) ? std::nullopt : std::optional<std::int64_t>(i64(col));
    }
    std::optional<double> optReal(int col) const {
        return isNull(col) ? std::nullopt : std::optional<double>(real(col));
    }
    std::vector<std::uint8_t> blob(int col) const;

private:
    Db& db_;
    sqlite3_stmt* s_ = nullptr;
};

// BEGIN IMMEDIATE at once (the write lock is taken before anything is read),
// ROLLBACK unless commit() was called.
class Transaction {
public:
    explicit Transaction(Db& db);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    void commit();

private:
    Db& db_;
    bool done_ = false;
};

}  // namespace tobrak::sql
