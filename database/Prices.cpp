#include "Prices.h"

#include "database/Database.h"
#include "text/StrMan.h"

const char* const NoPriceCondition = "(M.Price IS NULL OR typeof(M.Price) NOT IN ('integer', 'real') OR M.Price = 0)";

namespace {

std::string Quoted(const std::string& text) {
    std::string quoted(1, '\'');
    quoted += StringManager.QuoteSql(text);
    quoted += '\'';
    return quoted;
}

// The recomputation's price per kg, with price standing for each line's component price.
std::string RecomputedPrice(const std::string& price) {
    return "ROUND(SUM(R.Quantity*" + price + ")/SUM(R.Quantity),2)";
}

} // namespace

void EnsurePriceHistory(sqlite3* db) {
    ExecStatements(db, "CREATE TABLE IF NOT EXISTS PriceHistory (Comp_ID INTEGER, Price REAL, Date DATE);"
                       "CREATE INDEX IF NOT EXISTS PriceHistory_Comp_ID ON PriceHistory (Comp_ID);");
}

void RecordPriceChange(sqlite3* db, const std::string& condition, const std::string& newPrice) {
    EnsurePriceHistory(db);
    // A component without a price had nothing to replace.
    ExecStatements(db, "INSERT INTO PriceHistory (Comp_ID, Price, Date) SELECT Comp_ID, Price, Date FROM "
                       "Materials WHERE (" +
                           condition + ") AND Price IS NOT NULL AND Price IS NOT " + newPrice + ";");
}

void DeletePriceHistory(sqlite3* db, const std::string& condition) {
    if (!HasTable(db, "PriceHistory"))
        return;
    ExecStatements(db, "DELETE FROM PriceHistory WHERE Comp_ID IN (SELECT Comp_ID FROM Materials WHERE " + condition +
                           ");");
}

std::vector<TPriceImpact> PriceImpact(sqlite3* db, const std::vector<TNewPrice>& prices) {
    std::vector<TPriceImpact> impact;
    if (prices.empty())
        return impact;
    std::string newPrice;
    std::string changed;
    std::string joined;
    if (prices.size() == 1) {
        const TNewPrice& only = prices.front();
        newPrice =
            "(CASE WHEN M.Comp_ID = " + Quoted(only.CompId) + " THEN " + Quoted(only.Price) + " ELSE M.Price END)";
        changed = "R2.Comp_ID = " + Quoted(only.CompId);
    } else {
        // A REAL column converts each price text as Materials itself would store it.
        ExecStatements(db, "DROP TABLE IF EXISTS temp.NewPrices;"
                           "CREATE TEMP TABLE NewPrices (Comp_ID INTEGER PRIMARY KEY, Price REAL);");
        std::string insert;
        for (const TNewPrice& price : prices) {
            insert = "INSERT OR REPLACE INTO temp.NewPrices (Comp_ID, Price) VALUES (" + Quoted(price.CompId) + ", " +
                     Quoted(price.Price) + ");";
            ExecStatements(db, insert);
        }
        newPrice = "COALESCE(N.Price, M.Price)";
        joined = " LEFT JOIN temp.NewPrices N ON N.Comp_ID = M.Comp_ID";
        changed = "R2.Comp_ID IN (SELECT Comp_ID FROM temp.NewPrices)";
    }
    const std::string sql =
        "SELECT Product, Now, After, (After - Now) * 100.0 / Now FROM (SELECT P.Product AS Product, " +
        RecomputedPrice("M.Price") + " AS Now, " + RecomputedPrice(newPrice) +
        " AS After FROM Recipes R JOIN Materials M ON M.Comp_ID = R.Comp_ID" + joined +
        " JOIN Products P ON P.Prod_ID = R.Prod_ID WHERE P.Prod_ID IN (SELECT R2.Prod_ID FROM Recipes R2 WHERE " +
        changed + ") GROUP BY P.Product) WHERE Now IS NOT After ORDER BY ABS((After - Now) / Now) DESC, Product;";
    try {
        ForEachRow(db, sql, [&impact](const TResultRow& row) {
            impact.push_back({std::string(row.Text(0)), std::string(row.Text(1)), std::string(row.Text(2)),
                              std::string(row.Text(3))});
        });
    } catch (...) {
        if (prices.size() > 1)
            ExecStatements(db, "DROP TABLE IF EXISTS temp.NewPrices;");
        throw;
    }
    if (prices.size() > 1)
        ExecStatements(db, "DROP TABLE IF EXISTS temp.NewPrices;");
    return impact;
}
