// Database access: a file opened and closed around the statements of each action, or a team's server whose
// connection is kept for the run.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "text/SysUtils.h"

struct sqlite3;

// The exception of the database layer: SQLite's result code and, with a connection, its error text.
class ESQLite3 : public Exception {
public:
    ESQLite3(int code, sqlite3* db);
    int Code() const { return FCode; }

private:
    int FCode;
};

// Called once per result row with the column count and the column texts (null for SQL NULL).
// Returns 0 so that SQLite goes on with the next row.
using TRowLoader = int (*)(void* data, int columns, char** values, char** names);

// A value bound to a statement's "?" by position: no text of the user's ever becomes part of the statement.
// A text bound to a REAL or INTEGER column is converted by the column as a quoted literal would be.
class TValue {
public:
    enum class TKind { Null, Integer, Real, Text };
    TValue() = default; // SQL NULL
    TValue(std::int64_t value) : FKind(TKind::Integer), FInteger(value) {}
    TValue(int value) : TValue(static_cast<std::int64_t>(value)) {}
    TValue(double value) : FKind(TKind::Real), FReal(value) {}
    TValue(std::string value) : FKind(TKind::Text), FText(std::move(value)) {}
    TValue(std::string_view value) : TValue(std::string(value)) {}
    TValue(const char* value) : TValue(std::string(value)) {}
    TKind Kind() const { return FKind; }
    std::int64_t Integer() const { return FInteger; }
    double Real() const { return FReal; }
    const std::string& Text() const { return FText; }

private:
    TKind FKind = TKind::Null;
    std::int64_t FInteger = 0;
    double FReal = 0.0;
    std::string FText;
};
using TValues = std::vector<TValue>;

// A result row: each column's text as the database holds it, with its length, so a NUL byte inside a text
// is kept. Valid until the next row.
class TResultRow {
public:
    virtual ~TResultRow() = default;
    virtual int Count() const = 0;
    virtual bool IsNull(int column) const = 0;
    // The column's text (an SQL NULL is the empty text).
    virtual std::string_view Text(int column) const = 0;
    // The column's value exactly as stored, to be bound again (a blob as a text of its bytes).
    virtual TValue Value(int column) const = 0;
};
using TRowFunction = std::function<void(const TResultRow&)>;

// The engines a database can live on; where a statement differs between them, its twin is chosen by this.
enum class TEngine { SQLite, PostgreSQL };

// One connection to the data: what every action needs of a database, whatever holds it. Failures raise
// Exception (ESQLite3 for the file, EPostgreSQL for a server) with the engine's reason.
class TDatabase {
public:
    virtual ~TDatabase() = default;
    virtual TEngine Engine() const = 0;
    // Every statement of sql in turn, for statements that return no rows; a failure stops at its statement.
    virtual void ExecStatements(const std::string& sql) = 0;
    // Runs the one statement sql with values bound in order and calls row for every result row.
    virtual void ForEachRow(const std::string& sql, const TValues& values, const TRowFunction& row) = 0;
    // Runs sql and hands each row to loader as its column texts (null for SQL NULL), in result order.
    virtual void RunQuery(const std::string& sql, TRowLoader loader) = 0;
    // The number of rows the last INSERT, UPDATE or DELETE changed.
    virtual int ChangedRows() = 0;
    virtual bool HasTable(const std::string& name) = 0;
    // A transaction that writes: the write lock is taken (and waited for) before the first change.
    virtual void BeginWrite() = 0;
    // A transaction that only reads: one view of the data throughout.
    virtual void BeginRead() = 0;
    virtual void Commit() = 0;
    // Ends whatever transaction is open, changing nothing; never fails.
    virtual void Rollback() noexcept = 0;
    // Where the data is, for the user: the file's path, or the database and server.
    virtual std::string Where() const = 0;
    // Ends the connection at the end of an action; raises the reason when it could not end cleanly (it is
    // gone all the same).
    virtual void Close() = 0;
    // False once the connection is known to be gone (a server that ended it, a network that broke); a
    // connection kept between actions is then made anew by the next one.
    virtual bool Usable() { return true; }
};

// The connection of the action under way; null outside an action.
extern TDatabase* Database;
extern std::string DatabaseFileName;
extern std::string QueryText;
extern int CurrentRow;
// The Recipes.ID of every recipe line on display, at the index of its grid row; entry 0 is unused.
// It grows with the recipe and holds the lines of the current display only.
extern std::vector<std::string> RecipeLineIds;

// How long an action waits for a lock that another connection holds on the file before it fails with
// SQLite's busy error (code 5).
inline constexpr int LockWaitMilliseconds = 2000;

// A connection of its own to the database file, for work beside the window's actions (the import's
// preview, the tests).
std::unique_ptr<TDatabase> OpenSQLiteDatabase(const std::string& file);
// A connection of its own to a PostgreSQL server; connection is what libpq is handed (a URI or keywords).
std::unique_ptr<TDatabase> OpenPostgreSQLDatabase(const std::string& connection);

// Which database the actions work on: a file, or a team's server.
struct TDatabaseChoice {
    TEngine Engine = TEngine::SQLite;
    // The file; empty for DatabaseFileName, the bare name in the current directory.
    std::string File;
    // On a server: what libpq is handed, a URI or its connection keywords.
    std::string Connection;
};
// What a user's text names: nothing (empty) is DatabaseFileName; "postgresql://..." or "postgres://..." a
// server by its URI, handed to libpq whole; "postgresql:" followed by libpq keywords ("service=brivane") a
// server by those keywords; anything else the path of a database file.
TDatabaseChoice ParseDatabaseChoice(std::string_view text);
// The database of every later action. A server's connection kept for an earlier choice is ended.
void ChooseDatabase(const TDatabaseChoice& choice);
const TDatabaseChoice& ChosenDatabase();
// Where the data is, for the user: the file's full path, or the database, its server and the server's version
// ("brivane on db.example, PostgreSQL 15.4"). Never a password.
std::string DatabaseLocation();

// A file is opened for each action and closed at its end. A server's connection is made by the first action
// and kept for the run: the end of an action rolls back whatever it left open, and a connection found broken
// is made anew by the next action.
void OpenDatabase();
void CloseDatabase();
// One action's use of the data: opens it, runs work and closes it again, also when work fails; the failure
// then goes on to the caller.
void InOpenDatabase(const std::function<void()>& work);
// SQLite's result code checked: raises ESQLite3 unless it is OK, ROW or DONE.
int CheckResult(int code, sqlite3* db);
// Does nothing without a connection.
void ExecStatements(TDatabase* db, const std::string& sql);
// Runs QueryText on Database with the loader and checks the result.
void RunQuery(TRowLoader loader);

// One action's writes as one transaction on db: the write lock is taken (and waited for) before the first
// change, and a failure anywhere in work or in the commit rolls all of it back before it goes on to the
// caller.
void InTransaction(TDatabase* db, const std::function<void()>& work);
// Work that only reads, in one view of the data; nothing is written, so the transaction only ends.
void InReadTransaction(TDatabase* db, const std::function<void()>& work);

// The number of rows the last INSERT, UPDATE or DELETE on db changed.
int ChangedRows(TDatabase* db);

// Runs the one statement sql on db and calls row for every result row.
void ForEachRow(TDatabase* db, const std::string& sql, const TRowFunction& row);
// The same with values bound to the statement's "?" in order.
void ForEachRow(TDatabase* db, const std::string& sql, const TValues& values, const TRowFunction& row);
// Runs the one statement sql with values bound in order; for statements that return no rows.
void Execute(TDatabase* db, const std::string& sql, const TValues& values = {});
// The first column of the first result row of sql, or nothing when there is no row.
std::optional<std::string> QueryFirst(TDatabase* db, const std::string& sql);
std::optional<std::string> QueryFirst(TDatabase* db, const std::string& sql, const TValues& values);
// True when db holds a table of that name.
bool HasTable(TDatabase* db, const std::string& name);
// Inserts rows rows of columns values each, a few hundred rows to a statement: head is the statement up to its
// values ("INSERT INTO T (A, B) VALUES"), and row(i, values) appends the values of row i in column order.
void InsertRows(TDatabase* db, std::string_view head, std::size_t columns, std::size_t rows,
                const std::function<void(std::size_t row, TValues& values)>& row);

// The same into a table keyed by its first column, a row replacing the one of its key: columns are the names
// ("Comp_ID, Price"), the key first. A key given twice keeps the row given last, on both engines.
void ReplaceRows(TDatabase* db, const std::string& table, const std::vector<std::string>& columns, std::size_t rows,
                 const std::function<void(std::size_t row, TValues& values)>& row);
// A temporary table's name, which the engines qualify differently: "temp.NAME" in a file, "pg_temp.NAME" on a
// server.
std::string TemporaryTable(TDatabase* db, const std::string& name);

// The column text as a loader receives it: an SQL NULL is the empty text.
inline std::string ColumnText(char** values, int c) {
    return values[c] ? std::string(values[c]) : std::string();
}
inline std::string_view ColumnView(char** values, int c) {
    return values[c] ? std::string_view(values[c]) : std::string_view();
}

// Starts a new recipe display: no line is known.
void ClearRecipeLineIds();
// Stores the ID of the line shown on row.
void SetRecipeLineId(int row, const std::string& id);
// The ID of the line shown on row, or nothing when that row shows no line of the current display.
std::optional<std::string> RecipeLineId(int row);
