#include "Database.h"

#include "database/PostgreSQLDatabase.h"
#include "database/RealText.h"

#include <algorithm>
#include <map>
#include <filesystem>

TDatabase* Database = nullptr;
std::string DatabaseFileName;
std::string QueryText;
int CurrentRow = 1;
std::vector<std::string> RecipeLineIds(1);

namespace {
// The file's connection of the action under way.
std::unique_ptr<TDatabase> Opened;
// The server's connection, kept between actions.
std::unique_ptr<TDatabase> Kept;
TDatabaseChoice Choice;

bool StartsWith(std::string_view text, std::string_view start) {
    return text.substr(0, start.size()) == start;
}
} // namespace

TDatabaseChoice ParseDatabaseChoice(std::string_view text) {
    TDatabaseChoice choice;
    if (StartsWith(text, "postgresql://") || StartsWith(text, "postgres://")) {
        choice.Engine = TEngine::PostgreSQL;
        choice.Connection = text;
    } else if (StartsWith(text, "postgresql:")) {
        choice.Engine = TEngine::PostgreSQL;
        choice.Connection = text.substr(std::string_view("postgresql:").size());
    } else {
        choice.File = text;
    }
    return choice;
}

void ChooseDatabase(const TDatabaseChoice& choice) {
    Kept.reset();
    Choice = choice;
}

const TDatabaseChoice& ChosenDatabase() {
    return Choice;
}

std::string DatabaseLocation() {
    if (Choice.Engine == TEngine::PostgreSQL)
        return Kept ? Kept->Where() : DescribeServer(Choice.Connection) + ", not connected";
    std::error_code ec;
    const std::filesystem::path file = Choice.File.empty() ? DatabaseFileName : Choice.File;
    const std::filesystem::path full = std::filesystem::absolute(file, ec);
    return (ec ? file : full).string();
}

void OpenDatabase() {
    Database = nullptr;
    if (Choice.Engine == TEngine::PostgreSQL) {
        if (Kept && !Kept->Usable())
            Kept.reset();
        if (!Kept)
            Kept = OpenPostgreSQLDatabase(Choice.Connection);
        Database = Kept.get();
        return;
    }
    // The windows set the bare name at start; a file named by the user takes its place, so that its backups
    // and the check of the exports' names concern the file in use.
    if (!Choice.File.empty())
        DatabaseFileName = Choice.File;
    Opened = OpenSQLiteDatabase(DatabaseFileName);
    Database = Opened.get();
}

void CloseDatabase() {
    Database = nullptr;
    if (Kept) {
        // Nothing an action left open outlives it; a connection that broke is made anew by the next action.
        Kept->Rollback();
        if (!Kept->Usable())
            Kept.reset();
    }
    // Closing reports why a connection could not close cleanly; it is gone all the same.
    const std::unique_ptr<TDatabase> closing = std::move(Opened);
    if (closing)
        closing->Close();
}

void InOpenDatabase(const std::function<void()>& work) {
    OpenDatabase();
    try {
        work();
    } catch (...) {
        // The first failure is the one to report; a close that fails as well still lets the connection go.
        try {
            CloseDatabase();
        } catch (const Exception&) {
        }
        throw;
    }
    CloseDatabase();
}

void ExecStatements(TDatabase* db, const std::string& sql) {
    if (db)
        db->ExecStatements(sql);
}

void RunQuery(TRowLoader loader) {
    Database->RunQuery(QueryText, loader);
}

void InTransaction(TDatabase* db, const std::function<void()>& work) {
    db->BeginWrite();
    try {
        work();
        db->Commit();
    } catch (...) {
        // Nothing of the action stays when any part of it failed.
        db->Rollback();
        throw;
    }
}

void InReadTransaction(TDatabase* db, const std::function<void()>& work) {
    db->BeginRead();
    try {
        work();
    } catch (...) {
        db->Rollback();
        throw;
    }
    db->Commit();
}

int ChangedRows(TDatabase* db) {
    return db->ChangedRows();
}

void ForEachRow(TDatabase* db, const std::string& sql, const TValues& values, const TRowFunction& row) {
    db->ForEachRow(sql, values, row);
}

void ForEachRow(TDatabase* db, const std::string& sql, const TRowFunction& row) {
    db->ForEachRow(sql, {}, row);
}

void Execute(TDatabase* db, const std::string& sql, const TValues& values) {
    db->ForEachRow(sql, values, nullptr);
}

std::optional<std::string> QueryFirst(TDatabase* db, const std::string& sql, const TValues& values) {
    std::optional<std::string> first;
    db->ForEachRow(sql, values, [&first](const TResultRow& row) {
        if (!first)
            first = std::string(row.Text(0));
    });
    return first;
}

std::optional<std::string> QueryFirst(TDatabase* db, const std::string& sql) {
    return QueryFirst(db, sql, {});
}

bool HasTable(TDatabase* db, const std::string& name) {
    return db->HasTable(name);
}

void InsertRows(TDatabase* db, std::string_view head, std::size_t columns, std::size_t rows,
                const std::function<void(std::size_t row, TValues& values)>& row) {
    // Within the 999 values a statement of every SQLite version takes.
    const std::size_t perStatement = std::max<std::size_t>(1, std::min<std::size_t>(200, 999 / columns));
    std::string place(1, '(');
    for (std::size_t c = 0; c < columns; ++c)
        place += c ? ", ?" : "?";
    place += ')';
    std::string insert;
    TValues values;
    for (std::size_t first = 0; first < rows; first += perStatement) {
        const std::size_t last = std::min(rows, first + perStatement);
        insert.assign(head);
        values.clear();
        for (std::size_t i = first; i < last; ++i) {
            insert += i == first ? " " : ", ";
            insert += place;
            row(i, values);
        }
        insert += ';';
        Execute(db, insert, values);
    }
}

void ReplaceRows(TDatabase* db, const std::string& table, const std::vector<std::string>& columns, std::size_t rows,
                 const std::function<void(std::size_t row, TValues& values)>& row) {
    std::string names;
    for (const std::string& column : columns)
        names += (names.empty() ? "" : ", ") + column;
    if (db->Engine() == TEngine::SQLite) {
        InsertRows(db, "INSERT OR REPLACE INTO " + table + " (" + names + ") VALUES", columns.size(), rows, row);
        return;
    }
    // The server refuses a statement that meets one key twice: only the last row of a key goes.
    std::vector<TValues> given(rows);
    std::map<std::string, std::size_t> lastOfKey;
    for (std::size_t i = 0; i < rows; ++i) {
        row(i, given[i]);
        const TValue& key = given[i].at(0);
        const std::string text = key.Kind() == TValue::TKind::Text      ? key.Text()
                                 : key.Kind() == TValue::TKind::Real    ? SQLiteRealText(key.Real())
                                 : key.Kind() == TValue::TKind::Integer ? std::to_string(key.Integer())
                                                                        : std::string();
        lastOfKey[text] = i;
    }
    std::vector<std::size_t> kept;
    for (const auto& [key, i] : lastOfKey)
        kept.push_back(i);
    std::sort(kept.begin(), kept.end());
    std::string update;
    for (std::size_t c = 1; c < columns.size(); ++c)
        update += (c > 1 ? ", " : "") + columns[c] + " = EXCLUDED." + columns[c];
    const std::string head = "INSERT INTO " + table + " (" + names + ") VALUES";
    const std::string tail = " ON CONFLICT (" + columns.front() + ") " +
                             (update.empty() ? std::string("DO NOTHING") : "DO UPDATE SET " + update);
    const std::size_t perStatement = std::max<std::size_t>(1, std::min<std::size_t>(200, 999 / columns.size()));
    std::string place(1, '(');
    for (std::size_t c = 0; c < columns.size(); ++c)
        place += c ? ", ?" : "?";
    place += ')';
    for (std::size_t first = 0; first < kept.size(); first += perStatement) {
        const std::size_t last = std::min(kept.size(), first + perStatement);
        std::string insert = head;
        TValues values;
        for (std::size_t i = first; i < last; ++i) {
            insert += (i == first ? " " : ", ") + place;
            values.insert(values.end(), given[kept[i]].begin(), given[kept[i]].end());
        }
        Execute(db, insert + tail + ";", values);
    }
}

std::string TemporaryTable(TDatabase* db, const std::string& name) {
    return (db->Engine() == TEngine::PostgreSQL ? "pg_temp." : "temp.") + name;
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
