// Database access: one connection per action, opened and closed around the statements it runs.
#pragma once

#include <functional>
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

extern sqlite3* Database;
extern std::string DatabaseFileName;
extern std::string QueryText;
extern int CurrentRow;
// The Recipes.ID of every recipe line on display, at the index of its grid row; entry 0 is unused.
// It grows with the recipe and holds the lines of the current display only.
extern std::vector<std::string> RecipeLineIds;

void OpenDatabase();
void CloseDatabase();
// One action's use of the file: opens it, runs work and closes it again, also when work fails;
// the failure then goes on to the caller.
void InOpenDatabase(const std::function<void()>& work);
int CheckResult(int code, sqlite3* db);
void ExecStatements(sqlite3* db, const std::string& sql);
// Runs QueryText on Database with the loader and checks the result.
void RunQuery(TRowLoader loader);

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
