#include "library/sqlite.h"

namespace tobrak::sql {

Db::Db(const std::string& path, int flags, const char* vfs) {
    const int rc = sqlite3_open_v2(path.c_str(), &db_, flags, vfs);
    if (rc != SQLITE_OK) {
        const std::string what = db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(rc);
        const int code = db_ ? sqlite3_extended_errcode(db_) : rc;
        sqlite3_close_v2(db_);
        db_ = nullptr;
        throw DbError(code, what);
    }
    sqlite3_extended_result_codes(db_, 1);
}

Db::~Db() {
    if (db_) sqlite3_close_v2(db_);
}

Db& Db::operator=(Db&& o) noexcept {
    if (this != &o) {
        if (db_) sqlite3_close_v2(db_);
        db_ = o.db_;
        o.db_ = nullptr;
    }
    return *this;
}

void Db::fail(int rc) const { throw DbError(db_ ? sqlite3_extended_errcode(db_) : rc, sqlite3_errmsg(db_)); }

void Db::exec(const std::string& sql) {
    char* msg = nullptr;
    const int rc = sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &msg);
    if (rc != SQLITE_OK) {
        const std::string what = msg ? msg : sqlite3_errstr(rc);
        sqlite3_free(msg);
        throw DbError(sqlite3_extended_errcode(db_), what);
    }
}

std::int64_t Db::scalar(const std::string& sql) {
    Stmt s(*this, sql);
    return s.step() ? s.i64(0) : 0;
}

Stmt::Stmt(Db& db, std::string_view sql) : db_(db) {
    const int rc = sqlite3_prepare_v2(db.get(), sql.data(), static_cast<int>(sql.size()), &s_, nullptr);
    if (rc != SQLITE_OK) db.fail(rc);
}

Stmt::~Stmt() { sqlite3_finalize(s_); }

Stmt& Stmt::bind(int i, std::int64_t v) {
    if (const int rc = sqlite3_bind_int64(s_, i, v); rc != SQLITE_OK) db_.fail(rc);
    return *this;
}
Stmt& Stmt::bind(int i, double v) {
    if (const int rc = sqlite3_bind_double(s_, i, v); rc != SQLITE_OK) db_.fail(rc);
    return *this;
}
Stmt& Stmt::bind(int i, std::string_view v) {
    if (const int rc = sqlite3_bind_text(s_, i, v.data(), static_cast<int>(v.size()), SQLITE_TRANSIENT);
        rc != SQLITE_OK)
        db_.fail(rc);
    return *this;
}
Stmt& Stmt::bindBlob(int i, const void* data, std::size_t n) {
    if (const int rc = sqlite3_bind_blob(s_, i, data, static_cast<int>(n), SQLITE_TRANSIENT); rc != SQLITE_OK)
        db_.fail(rc);
    return *this;
}
Stmt& Stmt::bindNull(int i) {
    if (const int rc = sqlite3_bind_null(s_, i); rc != SQLITE_OK) db_.fail(rc);
    return *this;
}

bool Stmt::step() {
    const int rc = sqlite3_step(s_);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    sqlite3_reset(s_);
    db_.fail(rc);
}

void Stmt::run() {
    while (step()) {
    }
    reset();
}

void Stmt::reset() {
    sqlite3_reset(s_);
    sqlite3_clear_bindings(s_);
}

std::string Stmt::text(int col) const {
    const auto* p = sqlite3_column_text(s_, col);
    return p ? std::string(reinterpret_cast<const char*>(p), static_cast<std::size_t>(sqlite3_column_bytes(s_, col)))
             : std::string();
}

std::vector<std::uint8_t> Stmt::blob(int col) const {
    const auto* p = static_cast<const std::uint8_t*>(sqlite3_column_blob(s_, col));
    return p ? std::vector<std::uint8_t>(p, p + sqlite3_column_bytes(s_, col)) : std::vector<std::uint8_t>();
}

Transaction::Transaction(Db& db) : db_(db) { db_.exec("BEGIN IMMEDIATE"); }

Transaction::~Transaction() {
    if (!done_) sqlite3_exec(db_.get(), "ROLLBACK", nullptr, nullptr, nullptr);
}

void Transaction::commit() {
    db_.exec("COMMIT");
    done_ = true;
}

}  // namespace tobrak::sql
