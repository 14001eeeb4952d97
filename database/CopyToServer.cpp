#include "database/CopyToServer.h"

#include "database/FileSchema.h"
#include "database/Numbers.h"
#include "database/SQLiteDatabase.h"
#include "text/Encoding.h"

#include <sqlite3.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>

namespace {

// What a column of the server's schema takes.
enum class TKind {
    Key,       // the table's own number: an integer, never NULL, never twice
    Reference, // the number of another row, or NULL
    Number,    // a double precision
    Name,      // a name: UTF-8 without NUL, never twice
    Text,      // any UTF-8 without NUL
    Date       // YYYY-MM-DD
};

struct TColumn {
    const char* Name;
    TKind Kind;
};

struct TTable {
    const char* Name;
    bool Required;
    std::vector<TColumn> Columns;
    // What one row is, in the lists of rows copied.
    const char* Rows;
};

const std::vector<TTable> Tables = {
    {"Materials",
     true,
     {{"Comp_ID", TKind::Key}, {"Component", TKind::Name}, {"Price", TKind::Number}, {"Date", TKind::Date}},
     "components"},
    {"Products",
     true,
     {{"Prod_ID", TKind::Key},
      {"Product", TKind::Name},
      {"Mass", TKind::Number},
      {"Price", TKind::Number},
      {"Solids", TKind::Text}},
     "products"},
    {"Recipes",
     true,
     {{"ID", TKind::Key},
      {"Prod_ID", TKind::Reference},
      {"Comp_ID", TKind::Reference},
      {"Quantity", TKind::Number},
      {"Datum", TKind::Date}},
     "recipe lines"},
    {"PriceHistory",
     false,
     {{"Comp_ID", TKind::Reference}, {"Price", TKind::Number}, {"Date", TKind::Date}},
     "earlier prices"},
    {"Premixes", false, {{"Comp_ID", TKind::Key}, {"Prod_ID", TKind::Key}}, "premixes"},
};

// The views the server's schema makes of its own; the file's are not copied.
const std::vector<std::string> KnownViews = {"report", "components_in_recipes"};

// Rows go to the server this many at a time.
constexpr std::size_t RowsPerInsert = 500;

std::string Lower(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// The file, read-only, in one read transaction from the first read to the last, so the copy is one state of it.
class TFile {
public:
    explicit TFile(const std::string& file) {
        std::error_code ec;
        if (!std::filesystem::is_regular_file(file, ec))
            throw Exception("There is no database file " + file);
        const int result = sqlite3_open_v2(file.c_str(), &FDb, SQLITE_OPEN_READONLY, nullptr);
        if (result != SQLITE_OK) {
            ESQLite3 error(result, FDb);
            sqlite3_close(FDb);
            throw error;
        }
        sqlite3_busy_timeout(FDb, LockWaitMilliseconds);
        CheckResult(sqlite3_exec(FDb, "BEGIN;", nullptr, nullptr, nullptr), FDb);
    }
    ~TFile() { sqlite3_close_v2(FDb); }
    TFile(const TFile&) = delete;
    TFile& operator=(const TFile&) = delete;
    sqlite3* Db() const { return FDb; }

private:
    sqlite3* FDb = nullptr;
};

// A text for a message: as the user would see it in a window, NUL bytes shown as such.
std::string Shown(std::string_view text) {
    std::string shown;
    for (const char c : text)
        shown += c == '\0' ? std::string("\\0") : std::string(1, c);
    return "\"" + AsUtf8(shown) + "\"";
}

bool IsDate(std::string_view text) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-')
        return false;
    for (const std::size_t i : {0, 1, 2, 3, 5, 6, 8, 9})
        if (!std::isdigit(static_cast<unsigned char>(text[i])))
            return false;
    const int year = std::stoi(std::string(text.substr(0, 4)));
    const int month = std::stoi(std::string(text.substr(5, 2)));
    const int day = std::stoi(std::string(text.substr(8, 2)));
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (year < 1 || month < 1 || month > 12 || day < 1)
        return false;
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return day <= days[month - 1] + (month == 2 && leap ? 1 : 0);
}

// What the server could not hold of one value; nothing when it can.
std::optional<std::string> ValueProblem(TKind kind, const TResultRow& row, int column) {
    const TValue value = row.Value(column);
    const TValue::TKind stored = value.Kind();
    const std::string_view text = row.Text(column);
    switch (kind) {
    case TKind::Key:
        if (stored == TValue::TKind::Null)
            return "is empty, where a number belongs";
        [[fallthrough]];
    case TKind::Reference:
        if (stored == TValue::TKind::Null || stored == TValue::TKind::Integer)
            return std::nullopt;
        return "holds " + Shown(text) + ", which is no row's number";
    case TKind::Number:
        if (stored == TValue::TKind::Text)
            return "holds the text " + Shown(text) + ", where a number belongs";
        return std::nullopt;
    case TKind::Date:
        if (stored == TValue::TKind::Null || (stored == TValue::TKind::Text && IsDate(text)))
            return std::nullopt;
        return "holds " + Shown(text) + ", which is not a date (YYYY-MM-DD)";
    case TKind::Name:
    case TKind::Text:
        if (stored == TValue::TKind::Null)
            return std::nullopt;
        if (text.find('\0') != std::string_view::npos)
            return "holds " + Shown(text) + " with a NUL byte, which the server cannot store";
        if (!IsUtf8(text))
            return "holds " + Shown(text) +
                   ", which is not UTF-8 (it reads as Windows-1252); the server holds UTF-8 only";
        return std::nullopt;
    }
    return std::nullopt;
}

// SQLite's table names ignore case, as the server's do.
bool FileHasTable(sqlite3* db, const std::string& table) {
    return QueryFirst(db, "SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = '" + table + "' COLLATE NOCASE;")
        .has_value();
}

// The columns of a table as the file has them, in lower case.
std::vector<std::string> FileColumns(sqlite3* db, const std::string& table) {
    std::vector<std::string> columns;
    ForEachRow(db, "SELECT name FROM pragma_table_info('" + table + "');",
               [&columns](const TResultRow& row) { columns.push_back(Lower(std::string(row.Text(0)))); });
    return columns;
}

// Reads every row of a table as the server's columns (NULL for one the file lacks), in the file's order.
void ForEachFileRow(sqlite3* db, const TTable& table, const std::vector<std::string>& present,
                    const TRowFunction& row) {
    std::string sql = "SELECT rowid";
    for (const TColumn& column : table.Columns) {
        const bool has = std::find(present.begin(), present.end(), Lower(column.Name)) != present.end();
        sql += std::string(", ") + (has ? std::string("\"") + column.Name + "\"" : "NULL");
    }
    sql += std::string(" FROM \"") + table.Name + "\" ORDER BY rowid;";
    ForEachRow(db, sql, row);
}

// Everything in the file that the server's schema has no place for, and every value it could not hold.
void CheckFile(sqlite3* db, std::map<std::string, std::vector<std::string>>& present,
               std::vector<std::string>& problems) {
    std::string check;
    ForEachRow(db, "PRAGMA quick_check;", [&check](const TResultRow& row) {
        if (check.empty())
            check = row.Text(0);
    });
    if (check != "ok") {
        problems.push_back("the file failed SQLite's check: " + check);
        return;
    }
    ForEachRow(db, "SELECT type, name FROM sqlite_master WHERE type IN ('table', 'view', 'trigger') ORDER BY name;",
               [&](const TResultRow& row) {
                   const std::string type(row.Text(0));
                   const std::string name(row.Text(1));
                   const std::string lower = Lower(name);
                   if (type == "table" && lower.starts_with("sqlite_"))
                       return;
                   const bool known =
                       type == "table"  ? std::any_of(Tables.begin(), Tables.end(),
                                                      [&lower](const TTable& t) { return Lower(t.Name) == lower; })
                       : type == "view" ? std::find(KnownViews.begin(), KnownViews.end(), lower) != KnownViews.end()
                                        : false;
                   if (!known)
                       problems.push_back("the " + type + " " + Shown(name) +
                                          ", which the server's schema does not have");
               });
    for (const TTable& table : Tables) {
        if (!FileHasTable(db, table.Name)) {
            if (table.Required)
                problems.push_back(std::string("the file has no table ") + table.Name);
            continue;
        }
        const std::vector<std::string> columns = FileColumns(db, table.Name);
        for (const std::string& column : columns)
            if (std::none_of(table.Columns.begin(), table.Columns.end(),
                             [&column](const TColumn& c) { return Lower(c.Name) == column; }))
                problems.push_back(std::string(table.Name) + ": the column " + Shown(column) +
                                   ", which the server's schema does not have");
        present[table.Name] = columns;

        std::vector<std::map<std::string, std::int64_t>> seen(table.Columns.size());
        ForEachFileRow(db, table, columns, [&](const TResultRow& row) {
            const std::string where = std::string(table.Name) + " row " + std::string(row.Text(0));
            for (std::size_t c = 0; c < table.Columns.size(); ++c) {
                const TColumn& column = table.Columns[c];
                const int at = static_cast<int>(c) + 1;
                if (const auto problem = ValueProblem(column.Kind, row, at))
                    problems.push_back(where + ": " + column.Name + " " + *problem);
                else if ((column.Kind == TKind::Key || column.Kind == TKind::Name) && !row.IsNull(at))
                    ++seen[c][std::string(row.Text(at))];
            }
        });
        for (std::size_t c = 0; c < table.Columns.size(); ++c)
            for (const auto& [value, count] : seen[c])
                if (count > 1)
                    problems.push_back(std::string(table.Name) + ": " + table.Columns[c].Name + " " + Shown(value) +
                                       " is held by " + std::to_string(count) + " rows; the server takes it once");
    }
}

// The server's database must hold the schema and nothing else yet.
void CheckServer(TDatabase& server, std::vector<std::string>& problems) {
    for (const TTable& table : Tables) {
        if (!server.HasTable(table.Name)) {
            problems.push_back(std::string("the database has no table ") + table.Name +
                               ": load schema-postgresql.sql into it first");
            continue;
        }
        const std::string rows =
            QueryFirst(&server, std::string("SELECT COUNT(*) FROM ") + table.Name + ";").value_or("0");
        if (rows != "0")
            problems.push_back(std::string("the database already holds data (") + table.Name + ": " + rows +
                               " rows); the copy goes only into an empty one");
    }
}

// Inserts every row that rows hands over into table on target, RowsPerInsert rows to a statement; a row holds
// the table's columns in order from its column first on. Returns the number of rows inserted.
std::int64_t InsertAll(TDatabase& target, const TTable& table, int first,
                       const std::function<void(const TRowFunction&)>& rows) {
    std::string columns;
    std::string placeholders = "(";
    for (const TColumn& column : table.Columns) {
        columns += (columns.empty() ? "" : ", ") + std::string(column.Name);
        placeholders += placeholders.size() == 1 ? "?" : ", ?";
    }
    placeholders += ")";
    const std::string insert = std::string("INSERT INTO ") + table.Name + " (" + columns + ") VALUES ";
    std::int64_t copied = 0;
    std::size_t batch = 0;
    TValues values;
    const auto flush = [&] {
        if (batch == 0)
            return;
        std::string sql = insert;
        for (std::size_t i = 0; i < batch; ++i)
            sql += (i ? ", " : "") + placeholders;
        Execute(&target, sql + ";", values);
        copied += static_cast<std::int64_t>(batch);
        batch = 0;
        values.clear();
    };
    rows([&](const TResultRow& row) {
        for (int c = first; c < row.Count(); ++c)
            values.push_back(row.Value(c));
        if (++batch == RowsPerInsert)
            flush();
    });
    flush();
    return copied;
}

// What target holds of table now, counted by itself: a copy is whole or it is not made.
void CheckCopied(TDatabase& target, const TTable& table, std::int64_t copied, const char* where) {
    const std::string held = QueryFirst(&target, std::string("SELECT COUNT(*) FROM ") + table.Name + ";").value_or("");
    if (held != std::to_string(copied))
        throw Exception(std::string(where) + " holds " + held + " rows of " + table.Name + ", not " +
                        std::to_string(copied));
}

THandedOut FileCounters(sqlite3* db) {
    THandedOut handedOut;
    if (FileHasTable(db, "sqlite_sequence"))
        ForEachRow(db, "SELECT name, seq FROM sqlite_sequence;", [&handedOut](const TResultRow& row) {
            const TValue seq = row.Value(1);
            if (seq.Kind() == TValue::TKind::Integer)
                handedOut.emplace_back(std::string(row.Text(0)), seq.Integer());
        });
    return handedOut;
}

} // namespace

void MoveKeyCounters(TDatabase& server, const THandedOut& handedOut) {
    const std::vector<TNumberColumn> lines = {{"Recipes", "ID"}};
    for (const std::vector<TNumberColumn>* kind : {&ComponentNumberColumns, &ProductNumberColumns, &lines}) {
        const TNumberColumn& own = kind->front();
        if (!server.HasTable(own.Table))
            continue;
        std::string numbers;
        for (const TNumberColumn& column : *kind)
            if (server.HasTable(column.Table))
                numbers += std::string(numbers.empty() ? "" : " UNION ALL ") + "SELECT " + column.Column +
                           " AS N FROM " + column.Table;
        std::int64_t highest = 0;
        ForEachRow(&server, "SELECT MAX(N) FROM (" + numbers + ") U;", [&highest](const TResultRow& row) {
            if (row.Value(0).Kind() == TValue::TKind::Integer)
                highest = row.Value(0).Integer();
        });
        for (const auto& [table, number] : handedOut)
            if (Lower(table) == Lower(own.Table))
                highest = std::max(highest, number);
        // The counter hands out the number after the one set, or the one set itself when none was used.
        Execute(
            &server, "SELECT setval(pg_get_serial_sequence(?, ?), ?, ?);",
            {Lower(own.Table), Lower(own.Column), std::max<std::int64_t>(highest, 1), highest >= 1 ? "true" : "false"});
    }
}

TCopyOutcome CopyFileToServer(const std::string& file, TDatabase& server) {
    TCopyOutcome outcome;
    const TFile source(file);
    std::map<std::string, std::vector<std::string>> present;
    CheckFile(source.Db(), present, outcome.Problems);
    CheckServer(server, outcome.Problems);
    if (!outcome.Problems.empty())
        return outcome;
    InTransaction(&server, [&] {
        for (const TTable& table : Tables) {
            if (!present.contains(table.Name))
                continue;
            const std::int64_t copied = InsertAll(server, table, 1, [&](const TRowFunction& row) {
                ForEachFileRow(source.Db(), table, present.at(table.Name), row);
            });
            CheckCopied(server, table, copied, "the server");
            outcome.Rows.emplace_back(table.Rows, copied);
        }
        MoveKeyCounters(server, FileCounters(source.Db()));
    });
    outcome.Copied = true;
    return outcome;
}

void CopyServerToFile(TDatabase& server, const std::string& file) {
    const std::unique_ptr<TDatabase> copy = OpenSQLiteDatabase(file);
    // A file of its own that nobody else opens, removed when the copy fails: nothing to journal or sync until the
    // copy is whole, and then its writer syncs it.
    copy->ExecStatements("PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF;");
    copy->ExecStatements(FileSchema);
    // One view of the server's data from the first table read to the last; the file gets all of it or nothing.
    InReadTransaction(&server, [&] {
        InTransaction(copy.get(), [&] {
            for (const TTable& table : Tables) {
                if (!server.HasTable(table.Name))
                    continue;
                std::string columns;
                for (const TColumn& column : table.Columns)
                    columns += (columns.empty() ? "" : ", ") + std::string(column.Name);
                // Rows in the order of their keys; the price history in the order it was written (its ID), so
                // that the file's row order tells which of two prices of one day came last.
                const std::string order = table.Columns.front().Kind == TKind::Key ? table.Columns.front().Name : "ID";
                const std::string select = "SELECT " + columns + " FROM " + table.Name + " ORDER BY " + order + ";";
                const std::int64_t copied =
                    InsertAll(*copy, table, 0, [&](const TRowFunction& row) { ForEachRow(&server, select, row); });
                CheckCopied(*copy, table, copied, "the file");
            }
        });
    });
    copy->Close();
}
