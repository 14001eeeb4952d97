#include "Prices.h"

#include "database/Database.h"
#include "text/StrMan.h"

const char* const NoPriceCondition = "(M.Price IS NULL OR typeof(M.Price) NOT IN ('integer', 'real') OR M.Price = 0)";

namespace {

std::string Quoted(const std::string& text) {
    // Appended, not "'" + text + "'": g++ 12 warns of a false overlap in that form at -O2 and above.
    std::string quoted(1, '\'');
    quoted.append(StringManager.QuoteSql(text)).push_back('\'');
    return quoted;
}

// The recomputation's price per kg, with price standing for each line's component price.
std::string RecomputedPrice(const std::string& price) {
    return "ROUND(SUM(R.Quantity*" + price + ")/SUM(R.Quantity),2)";
}

} // namespace

const std::string& IncompletePricesQuery() {
    // The lines in question are found by component through the index on Recipes.Comp_ID; only the
    // component numbers of all lines are read in full, from that index.
    static const std::string query =
        std::string("SELECT P.Product, COUNT(DISTINCT CASE WHEN M.Comp_ID IS NOT NULL THEN R.Comp_ID END), "
                    "SUM(M.Comp_ID IS NULL) FROM Recipes R JOIN Products P ON P.Prod_ID = R.Prod_ID LEFT JOIN "
                    "Materials M ON M.Comp_ID = R.Comp_ID WHERE R.Comp_ID IN (SELECT Comp_ID FROM Materials M WHERE ") +
        NoPriceCondition +
        " UNION ALL SELECT Comp_ID FROM Recipes WHERE Comp_ID NOT IN (SELECT Comp_ID FROM Materials)) OR "
        "R.Comp_ID IS NULL GROUP BY P.Prod_ID ORDER BY P.Product;";
    return query;
}

std::vector<TIncompletePrice> IncompletePrices(TDatabase* db) {
    std::vector<TIncompletePrice> products;
    ForEachRow(db, IncompletePricesQuery(), [&products](const TResultRow& row) {
        products.push_back({std::string(row.Text(0)), static_cast<int>(ParseNumber(row.Text(1)).Value),
                            static_cast<int>(ParseNumber(row.Text(2)).Value)});
    });
    return products;
}

std::string IncompletePriceNote(int noPrice, int deleted) {
    std::string note;
    if (noPrice > 0)
        note = noPrice == 1 ? "1 component without a price" : std::to_string(noPrice) + " components without a price";
    if (deleted > 0) {
        if (!note.empty())
            note += "; ";
        note += deleted == 1 ? "1 line refers to a deleted component"
                             : std::to_string(deleted) + " lines refer to deleted components";
    }
    return note.empty() ? note : "Price incomplete: " + note;
}

std::string NoPriceLinesQuery(const std::string& product) {
    return "SELECT R.ID FROM Products P, Materials M, Recipes R WHERE M.COMP_ID = R.COMP_ID AND P.PROD_ID = "
           "R.PROD_ID AND P.Product = " +
           Quoted(product) + " AND " + NoPriceCondition + ";";
}

std::vector<std::string> NoPriceLines(TDatabase* db, const std::string& product) {
    std::vector<std::string> ids;
    ForEachRow(db, NoPriceLinesQuery(product), [&ids](const TResultRow& row) { ids.emplace_back(row.Text(0)); });
    return ids;
}

void EnsurePriceHistory(TDatabase* db) {
    ExecStatements(db, "CREATE TABLE IF NOT EXISTS PriceHistory (Comp_ID INTEGER, Price REAL, Date DATE);"
                       "CREATE INDEX IF NOT EXISTS PriceHistory_Comp_ID ON PriceHistory (Comp_ID);");
}

void RecordPriceChange(TDatabase* db, const std::string& condition, const std::string& newPrice) {
    EnsurePriceHistory(db);
    // A component without a price had nothing to replace.
    ExecStatements(db, "INSERT INTO PriceHistory (Comp_ID, Price, Date) SELECT Comp_ID, Price, Date FROM "
                       "Materials WHERE (" +
                           condition + ") AND Price IS NOT NULL AND Price IS NOT " + newPrice + ";");
}

void DeletePriceHistory(TDatabase* db, const std::string& condition) {
    if (!HasTable(db, "PriceHistory"))
        return;
    ExecStatements(db, "DELETE FROM PriceHistory WHERE Comp_ID IN (SELECT Comp_ID FROM Materials WHERE " + condition +
                           ");");
}

std::vector<TProductImpact> PriceImpact(TDatabase* db, const std::vector<TNewPrice>& prices) {
    std::vector<TProductImpact> impact;
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
