#include "database/Numbers.h"

#include "database/Database.h"
#include "text/SysUtils.h"

#include <cctype>
#include <charconv>
#include <limits>
#include <optional>
#include <string>

const std::vector<TNumberColumn> ProductNumberColumns = {
    {"Products", "Prod_ID"}, {"Recipes", "Prod_ID"}, {"Premixes", "Prod_ID"}};
const std::vector<TNumberColumn> ComponentNumberColumns = {
    {"Materials", "Comp_ID"}, {"Recipes", "Comp_ID"}, {"PriceHistory", "Comp_ID"}, {"Premixes", "Comp_ID"}};

namespace {

bool TableHasColumn(TDatabase* db, const TNumberColumn& column) {
    if (db->Engine() == TEngine::PostgreSQL)
        return QueryFirst(db,
                          "SELECT 1 FROM information_schema.columns C JOIN information_schema.tables T ON "
                          "T.table_schema = C.table_schema AND T.table_name = C.table_name WHERE T.table_type = 'BASE "
                          "TABLE' AND C.table_schema = current_schema() AND C.table_name = lower(?) AND "
                          "C.column_name = lower(?);",
                          {column.Table, column.Column})
            .has_value();
    return QueryFirst(db,
                      "SELECT 1 FROM sqlite_master M, pragma_table_info(M.name) C WHERE M.type = 'table' AND "
                      "M.name = ? COLLATE NOCASE AND C.name = ? COLLATE NOCASE;",
                      {column.Table, column.Column})
        .has_value();
}

std::optional<std::int64_t> ToInteger(std::string_view text) {
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

std::int64_t LastInsertedRow(TDatabase* db) {
    // On a server the number the insert drew from its table's counter.
    const char* const last = db->Engine() == TEngine::PostgreSQL ? "SELECT lastval();" : "SELECT last_insert_rowid();";
    return ToInteger(QueryFirst(db, last).value_or("")).value_or(0);
}

// The highest number columns hold, the row newId left out of its own table: on a server every key column is a
// number, so nothing needs to be read as one.
std::string HighestNumberQuery(TDatabase* db, const std::vector<TNumberColumn>& columns) {
    const TNumberColumn& own = columns.front();
    if (db->Engine() == TEngine::PostgreSQL) {
        std::string sql = "SELECT MAX(N) FROM (SELECT " + std::string(own.Column) + " AS N FROM " + own.Table +
                          " WHERE " + own.Column + " IS DISTINCT FROM ?";
        for (std::size_t i = 1; i < columns.size(); ++i)
            if (TableHasColumn(db, columns[i]))
                sql += std::string(" UNION ALL SELECT ") + columns[i].Column + " FROM " + columns[i].Table;
        return sql + ") AS U;";
    }
    // Every value that a join on the key could match: a number as the column holds it, or a text that SQLite
    // reads as one. The row itself is left out of its own table.
    std::string sql = "SELECT MAX(N) FROM (SELECT CAST(" + std::string(own.Column) + " AS NUMERIC) AS N FROM " +
                      own.Table + " WHERE " + own.Column + " IS NOT ?";
    for (std::size_t i = 1; i < columns.size(); ++i)
        if (TableHasColumn(db, columns[i]))
            sql += std::string(" UNION ALL SELECT CAST(") + columns[i].Column + " AS NUMERIC) FROM " + columns[i].Table;
    return sql + ") WHERE typeof(N) = 'integer';";
}

std::string Lower(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

} // namespace

std::int64_t GiveNumberAboveAll(TDatabase* db, const std::vector<TNumberColumn>& columns, std::int64_t newId) {
    if (columns.empty() || !TableHasColumn(db, columns.front()))
        return newId;
    const TNumberColumn& own = columns.front();
    const std::optional<std::int64_t> highest =
        ToInteger(QueryFirst(db, HighestNumberQuery(db, columns), {newId}).value_or(""));
    if (!highest || *highest < newId)
        return newId;
    if (*highest == std::numeric_limits<std::int64_t>::max())
        throw Exception(std::string("No number is left for a new row of ") + own.Table);
    const std::int64_t number = *highest + 1;
    Execute(db, "UPDATE " + std::string(own.Table) + " SET " + own.Column + " = ? WHERE " + own.Column + " = ?;",
            {number, newId});
    // AUTOINCREMENT promises never to hand out a number again that a row once had; a server's counter is moved
    // past the number too (never back: a colleague may have drawn one meanwhile), or its next insert would meet it.
    if (db->Engine() == TEngine::PostgreSQL)
        QueryFirst(db,
                   "SELECT setval(pg_get_serial_sequence(?, ?), GREATEST(CAST(? AS bigint), "
                   "nextval(pg_get_serial_sequence(?, ?))));",
                   {Lower(own.Table), Lower(own.Column), number, Lower(own.Table), Lower(own.Column)});
    else if (HasTable(db, "sqlite_sequence"))
        Execute(db, "UPDATE sqlite_sequence SET seq = ? WHERE name = ? COLLATE NOCASE AND seq < ?;",
                {number, own.Table, number});
    return number;
}

std::int64_t GiveNewProductItsNumber(TDatabase* db) {
    return GiveNumberAboveAll(db, ProductNumberColumns, LastInsertedRow(db));
}

std::int64_t GiveNewComponentItsNumber(TDatabase* db) {
    return GiveNumberAboveAll(db, ComponentNumberColumns, LastInsertedRow(db));
}
