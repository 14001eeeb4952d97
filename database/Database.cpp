#include "Database.h"

#include <sqlite3.h>

#include <chrono>
#include <cstring>

sqlite3* Database = nullptr;
std::string DatabaseFileName;
std::string QueryText;
int CurrentRow = 1;
std::vector<std::string> RecipeLineIds(1);

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
} // namespace

ESQLite3::ESQLite3(int code, sqlite3* db) : Exception(MessageFor(code, db)), FCode(code) {}

int CheckResult(int code, sqlite3* db) {
    if (!IsSuccess(code))
        throw ESQLite3(code, db);
    return code;
}

void OpenDatabase() {
    Database = nullptr;
    const int result = sqlite3_open(DatabaseFileName.c_str(), &Database);
    if (!IsSuccess(result)) {
        // A handle that failed to open still holds the error text; it must be closed all the same.
        ESQLite3 error(result, Database);
        sqlite3_close(Database);
        Database = nullptr;
        throw error;
    }
    // A lock held briefly by another copy of the program or another tool is waited for, not reported.
    sqlite3_busy_handler(Database, WaitForLock, nullptr);
}

void CloseDatabase() {
    sqlite3* closing = Database;
    Database = nullptr;
    const int result = sqlite3_close(closing);
    if (IsSuccess(result))
        return;
    // The connection is still open (a statement left unfinished): report why, then let SQLite close it as
    // soon as it can, so no handle leaks and the next action opens afresh.
    ESQLite3 error(result, closing);
    sqlite3_close_v2(closing);
    throw error;
}

void InOpenDatabase(const std::function<void()>& work) {
    OpenDatabase();
    try {
        work();
    } catch (...) {
        // The first failure is the one to report; a close that fails as well still lets the handle go.
        try {
            CloseDatabase();
        } catch (const ESQLite3&) {
        }
        throw;
    }
    CloseDatabase();
}

void ExecStatements(sqlite3* db, const std::string& sql) {
    if (!db)
        return;
    const char* next = sql.data();
    int remaining = static_cast<int>(sql.size());
    while (remaining > 0) {
        sqlite3_stmt* statement = nullptr;
        const char* tail = nullptr;
        CheckResult(sqlite3_prepare_v2(db, next, remaining, &statement, &tail), db);
        if (statement) {
            try {
                CheckResult(sqlite3_step(statement), db);
            } catch (...) {
                sqlite3_finalize(statement);
                throw;
            }
            CheckResult(sqlite3_finalize(statement), db);
        }
        if (!tail || tail <= next)
            break;
        remaining -= static_cast<int>(tail - next);
        next = tail;
    }
}

void RunQuery(TRowLoader loader) {
    CheckResult(sqlite3_exec(Database, QueryText.c_str(), loader, nullptr, nullptr), Database);
}

void InTransaction(sqlite3* db, const std::function<void()>& work) {
    ExecStatements(db, "BEGIN IMMEDIATE;");
    try {
        work();
        ExecStatements(db, "COMMIT;");
    } catch (...) {
        // Nothing of the action stays when any part of it failed; a rollback that fails as well (the
        // transaction already ended) changes nothing more.
        sqlite3_exec(db, "ROLLBACK;", nullptr, nullptr, nullptr);
        throw;
    }
}

int ChangedRows(sqlite3* db) {
    return sqlite3_changes(db);
}

int TResultRow::Count() const {
    return sqlite3_column_count(static_cast<sqlite3_stmt*>(FStatement));
}

bool TResultRow::IsNull(int column) const {
    return sqlite3_column_type(static_cast<sqlite3_stmt*>(FStatement), column) == SQLITE_NULL;
}

std::string_view TResultRow::Text(int column) const {
    auto* statement = static_cast<sqlite3_stmt*>(FStatement);
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
    if (!text)
        return {};
    return {text, static_cast<std::size_t>(sqlite3_column_bytes(statement, column))};
}

TValue TResultRow::Value(int column) const {
    auto* statement = static_cast<sqlite3_stmt*>(FStatement);
    switch (sqlite3_column_type(statement, column)) {
    case SQLITE_NULL:
        return {};
    case SQLITE_INTEGER:
        return TValue(static_cast<std::int64_t>(sqlite3_column_int64(statement, column)));
    case SQLITE_FLOAT:
        return TValue(sqlite3_column_double(statement, column));
    default:
        return TValue(Text(column));
    }
}

namespace {

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

} // namespace

void ForEachRow(sqlite3* db, const std::string& sql, const TValues& values,
                const std::function<void(const TResultRow&)>& row) {
    sqlite3_stmt* statement = nullptr;
    CheckResult(sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &statement, nullptr), db);
    if (!statement)
        return;
    try {
        Bind(db, statement, values);
        const TResultRow current(statement);
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

void ForEachRow(sqlite3* db, const std::string& sql, const std::function<void(const TResultRow&)>& row) {
    ForEachRow(db, sql, {}, row);
}

void Execute(sqlite3* db, const std::string& sql, const TValues& values) {
    ForEachRow(db, sql, values, nullptr);
}

std::optional<std::string> QueryFirst(sqlite3* db, const std::string& sql, const TValues& values) {
    std::optional<std::string> first;
    ForEachRow(db, sql, values, [&first](const TResultRow& row) {
        if (!first)
            first = std::string(row.Text(0));
    });
    return first;
}

std::optional<std::string> QueryFirst(sqlite3* db, const std::string& sql) {
    return QueryFirst(db, sql, {});
}

bool HasTable(sqlite3* db, const std::string& name) {
    return QueryFirst(db, "SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?;", {name}).has_value();
}

void ClearRecipeLineIds() {
    RecipeLineIds.assign(1, std::string());
}

void SetRecipeLineId(int row, const std::string& id) {
    if (row < 1)
        return;
    if (static_cast<std::size_t>(row) >= RecipeLineIds.size())
        RecipeLineIds.resize(static_cast<std::size_t>(row) + 1);
    RecipeLineIds[static_cast<std::size_t>(row)] = id;
}

std::optional<std::string> RecipeLineId(int row) {
    if (row < 1 || static_cast<std::size_t>(row) >= RecipeLineIds.size())
        return std::nullopt;
    return RecipeLineIds[static_cast<std::size_t>(row)];
}
