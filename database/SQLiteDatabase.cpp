#include "SQLiteDatabase.h"

#include <sqlite3.h>

#include <chrono>

namespace {

std::string MessageFor(int code, sqlite3* db) {
    if (db)
        return "SQLite Error " + std::to_string(code) + " - " + sqlite3_errmsg(db);
    return "SQLite Error " + std::to_string(code);
}

// Naps of a millisecond until LockWaitMilliseconds have passed: another program that writes in a loop
// frees the file only for moments, and longer naps would sleep through every one of them.
int WaitForLock(void*, int attempt) {
    using Clock = std::chrono::steady_clock;
    thread_local Clock::time_point waitingSince;
    const Clock::time_point now = Clock::now();
    if (attempt == 0)
        waitingSince = now;
    if (now - waitingSince >= std::chrono::milliseconds(LockWaitMilliseconds))
        return 0;
    sqlite3_sleep(1);
    return 1;
}

bool IsSuccess(int code) {
    const int primary = code & 0xff;
    return primary == SQLITE_OK || primary == SQLITE_ROW || primary == SQLITE_DONE;
}

void Bind(sqlite3* db, sqlite3_stmt* statement, const TValues& values) {
    int position = 1;
    for (const TValue& value : values) {
        int result = SQLITE_OK;
        switch (value.Kind()) {
        case TValue::TKind::Null:
            result = sqlite3_bind_null(statement, position);
            break;
        case TValue::TKind::Integer:
            result = sqlite3_bind_int64(statement, position, value.Integer());
            break;
        case TValue::TKind::Real:
            result = sqlite3_bind_double(statement, position, value.Real());
            break;
        case TValue::TKind::Text:
            result = sqlite3_bind_text(statement, position, value.Text().data(), static_cast<int>(value.Text().size()),
                                       SQLITE_TRANSIENT);
            break;
        }
        CheckResult(result, db);
        ++position;
    }
}

class TSQLiteRow : public TResultRow {
public:
    explicit TSQLiteRow(sqlite3_stmt* statement) : FStatement(statement) {}
    int Count() const override { return sqlite3_column_count(FStatement); }
    bool IsNull(int column) const override { return sqlite3_column_type(FStatement, column) == SQLITE_NULL; }
    std::string_view Text(int column) const override {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(FStatement, column));
        if (!text)
            return {};
        return {text, static_cast<std::size_t>(sqlite3_column_bytes(FStatement, column))};
    }
    TValue Value(int column) const override {
        switch (sqlite3_column_type(FStatement, column)) {
        case SQLITE_NULL:
            return {};
        case SQLITE_INTEGER:
            return TValue(static_cast<std::int64_t>(sqlite3_column_int64(FStatement, column)));
        case SQLITE_FLOAT:
            return TValue(sqlite3_column_double(FStatement, column));
        default:
            return TValue(Text(column));
        }
    }

private:
    sqlite3_stmt* FStatement;
};

void RunStatement(sqlite3* db, const std::string& sql, const TValues& values, const TRowFunction& row) {
    sqlite3_stmt* statement = nullptr;
    CheckResult(sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &statement, nullptr), db);
    if (!statement)
        return;
    try {
        Bind(db, statement, values);
        const TSQLiteRow current(statement);
        int step;
        while ((step = sqlite3_step(statement)) == SQLITE_ROW)
            if (row)
                row(current);
        CheckResult(step, db);
    } catch (...) {
        sqlite3_finalize(statement);
        throw;
    }
    CheckResult(sqlite3_finalize(statement), db);
}

} // namespace

void ForEachRow(sqlite3* db, const std::string& sql, const TRowFunction& row) {
    RunStatement(db, sql, {}, row);
}

std::optional<std::string> QueryFirst(sqlite3* db, const std::string& sql) {
    std::optional<std::string> first;
    RunStatement(db, sql, {}, [&first](const TResultRow& row) {
        if (!first)
            first = std::string(row.Text(0));
    });
    return first;
}

bool HasTable(sqlite3* db, const std::string& name) {
    bool found = false;
    RunStatement(db, "SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?;", {name},
                 [&found](const TResultRow&) { found = true; });
    return found;
}

ESQLite3::ESQLite3(int code, sqlite3* db) : Exception(MessageFor(code, db)), FCode(code) {}

int CheckResult(int code, sqlite3* db) {
    if (!IsSuccess(code))
        throw ESQLite3(code, db);
    return code;
}

std::unique_ptr<TDatabase> OpenSQLiteDatabase(const std::string& file) {
    return std::make_unique<TSQLiteDatabase>(file);
}

sqlite3* SQLiteHandle(TDatabase* db) {
    auto* file = dynamic_cast<TSQLiteDatabase*>(db);
    return file ? file->Handle() : nullptr;
}

TSQLiteDatabase::TSQLiteDatabase(const std::string& file) : FFile(file) {
    const int result = sqlite3_open(file.c_str(), &FDb);
    if (!IsSuccess(result)) {
        // A handle that failed to open still holds the error text; it must be closed all the same.
        ESQLite3 error(result, FDb);
        sqlite3_close(FDb);
        FDb = nullptr;
        throw error;
    }
    // A lock held briefly by another copy of the program or another tool is waited for, not reported.
    sqlite3_busy_handler(FDb, WaitForLock, nullptr);
}

TSQLiteDatabase::~TSQLiteDatabase() {
    // Lets SQLite close the connection as soon as it can, so no handle leaks.
    if (FDb)
        sqlite3_close_v2(FDb);
}

void TSQLiteDatabase::Close() {
    sqlite3* closing = FDb;
    FDb = nullptr;
    const int result = sqlite3_close(closing);
    if (IsSuccess(result))
        return;
    // Still open (a statement left unfinished): report why, then let SQLite close it as soon as it can.
    ESQLite3 error(result, closing);
    sqlite3_close_v2(closing);
    throw error;
}

void TSQLiteDatabase::ExecStatements(const std::string& sql) {
    const char* next = sql.data();
    int remaining = static_cast<int>(sql.size());
    while (remaining > 0) {
        sqlite3_stmt* statement = nullptr;
        const char* tail = nullptr;
        CheckResult(sqlite3_prepare_v2(FDb, next, remaining, &statement, &tail), FDb);
        if (statement) {
            try {
                CheckResult(sqlite3_step(statement), FDb);
            } catch (...) {
                sqlite3_finalize(statement);
                throw;
            }
            CheckResult(sqlite3_finalize(statement), FDb);
        }
        if (!tail || tail <= next)
            break;
        remaining -= static_cast<int>(tail - next);
        next = tail;
    }
}

void TSQLiteDatabase::ForEachRow(const std::string& sql, const TValues& values, const TRowFunction& row) {
    RunStatement(FDb, sql, values, row);
}

void TSQLiteDatabase::RunQuery(const std::string& sql, TRowLoader loader) {
    CheckResult(sqlite3_exec(FDb, sql.c_str(), loader, nullptr, nullptr), FDb);
}

int TSQLiteDatabase::ChangedRows() {
    return sqlite3_changes(FDb);
}

bool TSQLiteDatabase::HasTable(const std::string& name) {
    return ::HasTable(FDb, name);
}

void TSQLiteDatabase::BeginWrite() {
    ExecStatements("BEGIN IMMEDIATE;");
}

void TSQLiteDatabase::BeginRead() {
    ExecStatements("BEGIN;");
}

void TSQLiteDatabase::Commit() {
    ExecStatements("COMMIT;");
}

void TSQLiteDatabase::Rollback() noexcept {
    // A rollback that fails (the transaction already ended) changes nothing more.
    sqlite3_exec(FDb, "ROLLBACK;", nullptr, nullptr, nullptr);
}
