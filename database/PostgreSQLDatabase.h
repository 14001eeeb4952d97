// A team's server: a TDatabase on one libpq connection to PostgreSQL. Statements keep their "?" (numbered for
// libpq here), and every column reads as the file would give it, so windows, files and figures are the same on
// both engines.
#pragma once

#include "database/Database.h"

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <string_view>
#include <vector>

struct pg_conn;
struct pg_result;
class TWaitShown;

// The session's limits: a lock another client holds is waited for LockWaitMilliseconds, a statement may run
// ServerStatementSeconds, and a connection is given up after ServerConnectSeconds (for each address tried).
inline constexpr int ServerStatementSeconds = 30;
inline constexpr int ServerConnectSeconds = 5;

// A failure on the server or of the connection to it: the server's SQLSTATE (empty when the connection
// failed) and its text.
class EPostgreSQL : public Exception {
public:
    explicit EPostgreSQL(const std::string& message, std::string state = {});
    const std::string& State() const { return FState; }

private:
    std::string FState;
};

class TPostgreSQLDatabase : public TDatabase {
public:
    // Connects to the server that connection names (a libpq URI or keywords) and sets the session up: UTC, ISO
    // dates, UTF-8, the limits above. A server that cannot be reached raises EPostgreSQL with its name and
    // libpq's reason.
    explicit TPostgreSQLDatabase(const std::string& connection);
    ~TPostgreSQLDatabase() override;
    TPostgreSQLDatabase(const TPostgreSQLDatabase&) = delete;
    TPostgreSQLDatabase& operator=(const TPostgreSQLDatabase&) = delete;

    TEngine Engine() const override { return TEngine::PostgreSQL; }
    void ExecStatements(const std::string& sql) override;
    void ForEachRow(const std::string& sql, const TValues& values, const TRowFunction& row) override;
    void RunQuery(const std::string& sql, TRowLoader loader) override;
    int ChangedRows() override { return FChanged; }
    bool HasTable(const std::string& name) override;
    // Every writer of the database takes one lock of the server (an advisory lock, ended with the transaction)
    // before its first statement, so writers take turns as they do on a file, and readers are never held up.
    // The transaction is READ COMMITTED, so each statement after the lock sees what the writer before committed.
    void BeginWrite() override;
    // REPEATABLE READ: every statement sees the data as it was at the first.
    void BeginRead() override;
    // Raises when the server ended the transaction without its changes (a statement of it had failed).
    void Commit() override;
    void Rollback() noexcept override;
    // "DATABASE on HOST, PostgreSQL VERSION", with the port when it is not the usual one.
    std::string Where() const override;
    void Close() override;
    bool Usable() override;

private:
    using TResults = std::vector<std::shared_ptr<pg_result>>;
    TResults Run(const std::string& sql, const TValues* values);
    TResults Await();
    void WaitForAnswer(std::int64_t deadline, TWaitShown& wait);
    [[noreturn]] void Broken(const std::string& what);
    static void Notice(void* self, const pg_result* notice);

    pg_conn* FConn = nullptr;
    std::string FServer;
    int FChanged = 0;
    bool FLost = false;
    // The statements with bound values prepared on this connection, by their text and parameter types: the
    // server parses each once, and plans it once it has seen it a few times, instead of on every run.
    std::unordered_map<std::string, std::string> FPrepared;
};

// The key of the lock that writers take in turn; advisory locks are per database, so no other use can meet it.
inline constexpr std::int64_t WriteLockKey = 0x4272697661;

// sql with each "?" outside quotes and comments numbered for libpq ($1, $2, ...); "?NNN" keeps its number.
std::string NumberedParameters(std::string_view sql);
// The statements of sql, split at the semicolons outside quotes and comments, each without its semicolon;
// pieces that hold nothing but blanks and comments are left out.
std::vector<std::string> SplitStatements(std::string_view sql);
// The server that connection names, for messages: "DATABASE on HOST" (with the port when it is not the
// usual one), or the service. Never a password.
std::string DescribeServer(const std::string& connection);

// Told when the program begins and ends waiting for the server, so that the windows show a busy cursor. A
// statement's wait is told only once it lasts long enough to be noticed; connecting is told at once.
using TWaitIndicator = void (*)(bool waiting);
void SetWaitIndicator(TWaitIndicator indicator);
