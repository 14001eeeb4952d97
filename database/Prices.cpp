#include "Prices.h"

#include "database/Database.h"
#include "database/Premixes.h"
#include "database/Products.h"
#include "text/Encoding.h"
#include "text/StrMan.h"

#include <algorithm>
#include <limits>
#include <map>

const char* NoPriceCondition(TEngine engine) {
    return engine == TEngine::PostgreSQL
               ? "(M.Price IS NULL OR M.Price = 0)"
               : "(M.Price IS NULL OR typeof(M.Price) NOT IN ('integer', 'real') OR M.Price = 0)";
}

const std::string& IncompletePricesQuery(TEngine engine) {
    // The lines in question are found by component through the index on Recipes.Comp_ID; only the
    // component numbers of all lines are read in full, from that index.
    // The groups come in the order they are listed in, so the rows of one product follow each other, its
    // components by name and its deleted lines last.
    const auto query = [](TEngine on) {
        return std::string("SELECT P.Product, P.Prod_ID, M.Comp_ID IS NULL, M.Component, COUNT(*) FROM Recipes R JOIN "
                           "Products P ON P.Prod_ID = R.Prod_ID LEFT JOIN Materials M ON M.Comp_ID = R.Comp_ID WHERE "
                           "R.Comp_ID IN (SELECT Comp_ID FROM Materials M WHERE ") +
               NoPriceCondition(on) +
               " UNION ALL SELECT Comp_ID FROM Recipes WHERE Comp_ID NOT IN (SELECT Comp_ID FROM Materials)) OR "
               "R.Comp_ID IS NULL GROUP BY P.Product, P.Prod_ID, M.Comp_ID IS NULL, M.Component, M.Comp_ID ORDER BY "
               "P.Product, P.Prod_ID, M.Comp_ID IS NULL, M.Component;";
    };
    static const std::string file = query(TEngine::SQLite);
    // The server finds the lines without a price by their component, and the lines of deleted components in one
    // anti-join, instead of testing every line against both lists.
    static const std::string server =
        std::string("SELECT P.Product, P.Prod_ID, M.Comp_ID IS NULL, M.Component, COUNT(*) FROM (SELECT R.Prod_ID, "
                    "R.Comp_ID FROM Recipes R JOIN Materials M ON M.Comp_ID = R.Comp_ID WHERE ") +
        NoPriceCondition(TEngine::PostgreSQL) +
        " UNION ALL SELECT R.Prod_ID, R.Comp_ID FROM Recipes R WHERE NOT EXISTS (SELECT 1 FROM Materials M WHERE "
        "M.Comp_ID = R.Comp_ID)) R JOIN Products P ON P.Prod_ID = R.Prod_ID LEFT JOIN Materials M ON M.Comp_ID = "
        "R.Comp_ID GROUP BY P.Product, P.Prod_ID, M.Comp_ID IS NULL, M.Component, M.Comp_ID ORDER BY P.Product, "
        "P.Prod_ID, M.Comp_ID IS NULL, M.Component;";
    return engine == TEngine::PostgreSQL ? server : file;
}

namespace {
// The note names at most three components: "A, B and C", or "A, B and N more".
constexpr std::size_t NamesInNote = 3;

// A product that uses a premix whose price is incomplete is incomplete itself, level after level.
void AddIncompletePremixes(TDatabase* db, std::vector<TIncompletePrice>& products) {
    if (!HasPremixTable(db))
        return;
    struct TUse {
        std::string User;
        std::string Premix;
        std::string Component;
    };
    std::vector<TUse> uses;
    ForEachRow(
        db,
        "SELECT P.Product, PY.Product, MY.Component FROM Recipes R JOIN Premixes Y ON Y.Comp_ID = R.Comp_ID "
        "JOIN Materials MY ON MY.Comp_ID = Y.Comp_ID JOIN Products P ON P.Prod_ID = R.Prod_ID JOIN Products PY "
        "ON PY.Prod_ID = Y.Prod_ID WHERE R.Comp_ID IN (SELECT Comp_ID FROM Premixes) GROUP BY P.Product, PY.Product, "
        "MY.Component ORDER BY MY.Component, "
        "P.Product;",
        [&uses](const TResultRow& row) {
            uses.push_back({std::string(row.Text(0)), std::string(row.Text(1)), std::string(row.Text(2))});
        });
    if (uses.empty())
        return;
    std::map<std::string, std::size_t> index;
    for (std::size_t i = 0; i < products.size(); ++i)
        index.emplace(products[i].Product, i);
    // Each round reaches one level further up; a cycle adds nothing new after its first round.
    for (bool grown = true; grown;) {
        grown = false;
        for (const TUse& use : uses) {
            if (!index.contains(use.Premix))
                continue;
            auto user = index.find(use.User);
            if (user == index.end()) {
                TIncompletePrice added;
                added.Product = use.User;
                products.push_back(std::move(added));
                user = index.emplace(use.User, products.size() - 1).first;
            }
            std::vector<std::string>& names = products[user->second].Premixes;
            if (std::find(names.begin(), names.end(), use.Component) == names.end()) {
                names.push_back(use.Component);
                grown = true;
            }
        }
    }
    for (TIncompletePrice& product : products)
        std::sort(product.Premixes.begin(), product.Premixes.end());
    std::stable_sort(products.begin(), products.end(),
                     [](const TIncompletePrice& a, const TIncompletePrice& b) { return a.Product < b.Product; });
}

} // namespace

std::vector<TIncompletePrice> IncompletePrices(TDatabase* db) {
    std::vector<TIncompletePrice> products;
    std::string lastId;
    ForEachRow(db, IncompletePricesQuery(db->Engine()), [&products, &lastId](const TResultRow& row) {
        if (products.empty() || row.Text(1) != lastId) {
            products.push_back({std::string(row.Text(0)), 0, 0, {}, false, {}});
            lastId = row.Text(1);
        }
        TIncompletePrice& product = products.back();
        if (row.Text(2) == "1") {
            product.Deleted = static_cast<int>(ParseNumber(row.Text(4)).Value);
            return;
        }
        if (product.NoPriceNames.size() < NamesInNote)
            product.NoPriceNames.emplace_back(row.Text(3));
        ++product.NoPrice;
    });
    AddIncompletePremixes(db, products);
    return products;
}

std::string IncompletePriceNote(const TIncompletePrice& product) {
    const auto name = [&product](std::size_t i) {
        return i < product.NoPriceNames.size() ? AsUtf8(product.NoPriceNames[i]) : std::string();
    };
    std::string note;
    if (product.NoPrice > 0) {
        note = "no price for " + name(0);
        if (product.NoPrice == 2)
            note += " and " + name(1);
        else if (product.NoPrice == 3)
            note += ", " + name(1) + " and " + name(2);
        else if (product.NoPrice > 3)
            note += ", " + name(1) + " and " + std::to_string(product.NoPrice - 2) + " more";
    }
    if (product.Deleted > 0) {
        if (!note.empty())
            note += "; ";
        note += product.Deleted == 1 ? "1 line refers to a deleted component"
                                     : std::to_string(product.Deleted) + " lines refer to deleted components";
    }
    if (product.TooLarge)
        note += note.empty() ? "too large to compute" : "; too large to compute";
    std::string premixes;
    for (std::size_t i = 0; i < product.Premixes.size() && i < NamesInNote; ++i)
        premixes += "; premix " + AsUtf8(product.Premixes[i]) + " has incomplete prices";
    if (product.Premixes.size() > NamesInNote)
        premixes +=
            "; " + std::to_string(product.Premixes.size() - NamesInNote) + " more premixes have incomplete prices";
    if (note.empty() && premixes.empty())
        return note;
    return (note.empty() ? std::string("Price incomplete") : "Price incomplete: " + note) + premixes;
}

std::vector<std::string> ClearUncomputedPrices(TDatabase* db) {
    constexpr double Infinite = std::numeric_limits<double>::infinity();
    std::vector<std::string> names;
    ForEachRow(db, "UPDATE Products SET Price = NULL WHERE Price IN (?, ?) RETURNING Product;", {Infinite, -Infinite},
               [&names](const TResultRow& row) { names.emplace_back(row.Text(0)); });
    std::sort(names.begin(), names.end());
    return names;
}

void AddUncomputedPrices(std::vector<TIncompletePrice>& products, std::vector<std::string> names) {
    if (names.empty())
        return;
    for (TIncompletePrice& product : products) {
        const auto found = std::lower_bound(names.begin(), names.end(), product.Product);
        if (found != names.end() && *found == product.Product) {
            product.TooLarge = true;
            names.erase(found);
        }
    }
    for (std::string& name : names) {
        TIncompletePrice uncomputed;
        uncomputed.Product = std::move(name);
        uncomputed.TooLarge = true;
        products.push_back(std::move(uncomputed));
    }
    std::stable_sort(products.begin(), products.end(),
                     [](const TIncompletePrice& a, const TIncompletePrice& b) { return a.Product < b.Product; });
}

const std::string& NoPriceLinesQuery(TEngine engine) {
    const auto query = [](TEngine on) {
        return std::string("SELECT R.ID FROM Products P, Materials M, Recipes R WHERE M.COMP_ID = "
                           "R.COMP_ID AND P.PROD_ID = R.PROD_ID AND P.Product = ? AND ") +
               NoPriceCondition(on) + ";";
    };
    static const std::string file = query(TEngine::SQLite);
    static const std::string server = query(TEngine::PostgreSQL);
    return engine == TEngine::PostgreSQL ? server : file;
}

std::vector<std::string> NoPriceLines(TDatabase* db, const std::string& product) {
    std::vector<std::string> ids;
    ForEachRow(db, NoPriceLinesQuery(db->Engine()), {product},
               [&ids](const TResultRow& row) { ids.emplace_back(row.Text(0)); });
    return ids;
}

TPriceHistoryShape PriceHistoryShape(TDatabase* db) {
    if (db->Engine() == TEngine::PostgreSQL) {
        const auto type = QueryFirst(db, "SELECT relkind FROM pg_class WHERE relname = 'pricehistory' AND "
                                         "pg_table_is_visible(oid);");
        if (!type)
            return TPriceHistoryShape::Missing;
        if (*type != "r")
            return TPriceHistoryShape::Other;
        const auto fits = QueryFirst(
            db, "SELECT COUNT(*) FILTER (WHERE column_name IN ('comp_id', 'price', 'date')) = 3 AND COUNT(*) FILTER "
                "(WHERE column_name NOT IN ('comp_id', 'price', 'date') AND is_nullable = 'NO' AND column_default IS "
                "NULL AND is_identity = 'NO') = 0 FROM information_schema.columns WHERE table_schema = "
                "current_schema() AND table_name = 'pricehistory';");
        return fits == "1" ? TPriceHistoryShape::Usable : TPriceHistoryShape::Other;
    }
    const auto type =
        QueryFirst(db, "SELECT type FROM sqlite_master WHERE name = 'PriceHistory' COLLATE NOCASE AND type IN "
                       "('table', 'view', 'index');");
    if (!type)
        return TPriceHistoryShape::Missing;
    if (*type != "table")
        return TPriceHistoryShape::Other;
    // The three columns, and no other column that an insert of these three would leave empty against a
    // NOT NULL (an INTEGER PRIMARY KEY fills itself).
    const auto fits = QueryFirst(
        db, "SELECT SUM(lower(name) IN ('comp_id', 'price', 'date')) = 3 AND SUM(lower(name) NOT IN ('comp_id', "
            "'price', 'date') AND \"notnull\" AND dflt_value IS NULL AND NOT (pk AND upper(type) = 'INTEGER')) = 0 "
            "FROM pragma_table_info('PriceHistory');");
    return fits == "1" ? TPriceHistoryShape::Usable : TPriceHistoryShape::Other;
}

bool PriceHistoryUsable(TDatabase* db) {
    return PriceHistoryShape(db) != TPriceHistoryShape::Other;
}

void EnsurePriceHistory(TDatabase* db) {
    if (db->Engine() == TEngine::PostgreSQL) {
        ExecStatements(db, "CREATE TABLE IF NOT EXISTS PriceHistory (ID bigint GENERATED BY DEFAULT AS IDENTITY, "
                           "Comp_ID bigint, Price double precision, Date date);"
                           "CREATE INDEX IF NOT EXISTS PriceHistory_Comp_ID ON PriceHistory (Comp_ID);");
        return;
    }
    ExecStatements(db, "CREATE TABLE IF NOT EXISTS PriceHistory (Comp_ID INTEGER, Price REAL, Date DATE);"
                       "CREATE INDEX IF NOT EXISTS PriceHistory_Comp_ID ON PriceHistory (Comp_ID);");
}

namespace {

// The history row of the stored price a change replaces, for a component found by name; a component without a
// price had nothing to replace.
const char* const RecordReplacedPriceByName = "INSERT INTO PriceHistory (Comp_ID, Price, Date) SELECT Comp_ID, Price, "
                                              "Date FROM Materials WHERE Component = ? AND Price IS NOT NULL AND "
                                              "Price IS NOT ?;";
const char* const RecordReplacedPriceByNameOnServer =
    "INSERT INTO PriceHistory (Comp_ID, Price, Date) SELECT Comp_ID, Price, Date FROM Materials WHERE Component = ? "
    "AND Price IS NOT NULL AND Price IS DISTINCT FROM ?;";
// The same for components found by number: the rows (Comp_ID, new price) of the VALUES between the two.
const char* const RecordReplacedPricesById = "INSERT INTO PriceHistory (Comp_ID, Price, Date) SELECT M.Comp_ID, "
                                             "M.Price, M.Date FROM Materials M JOIN (VALUES ";
const char* const RecordReplacedPricesByIdEnd =
    ") N ON M.Comp_ID = N.column1 WHERE M.Price IS NOT NULL AND M.Price IS NOT N.column2;";
// The server reads the values of a VALUES list as texts unless told their types.
const char* const RecordReplacedPricesByIdEndOnServer =
    ") N ON M.Comp_ID = N.column1 WHERE M.Price IS NOT NULL AND M.Price IS DISTINCT FROM N.column2;";

} // namespace

void RecordPriceChange(TDatabase* db, const std::string& component, const TValue& newPrice) {
    if (!PriceHistoryUsable(db))
        return;
    EnsurePriceHistory(db);
    Execute(db, db->Engine() == TEngine::PostgreSQL ? RecordReplacedPriceByNameOnServer : RecordReplacedPriceByName,
            {component, newPrice});
}

void RecordPriceChanges(TDatabase* db, const std::vector<TNewPrice>& prices) {
    if (prices.empty() || !PriceHistoryUsable(db))
        return;
    EnsurePriceHistory(db);
    // A few hundred components a statement, each bound, so an import of thousands costs a handful.
    constexpr std::size_t RowsPerStatement = 200;
    const bool server = db->Engine() == TEngine::PostgreSQL;
    std::string statement;
    TValues values;
    for (std::size_t first = 0; first < prices.size(); first += RowsPerStatement) {
        const std::size_t last = std::min(prices.size(), first + RowsPerStatement);
        statement = RecordReplacedPricesById;
        values.clear();
        for (std::size_t i = first; i < last; ++i) {
            statement += i == first ? "" : ", ";
            statement += server ? "(CAST(? AS bigint), CAST(? AS double precision))" : "(?, ?)";
            values.insert(values.end(), {prices[i].CompId, prices[i].Price});
        }
        statement += server ? RecordReplacedPricesByIdEndOnServer : RecordReplacedPricesByIdEnd;
        Execute(db, statement, values);
    }
}

void DeletePriceHistory(TDatabase* db, const std::string& component) {
    if (PriceHistoryShape(db) != TPriceHistoryShape::Usable)
        return;
    Execute(db, "DELETE FROM PriceHistory WHERE Comp_ID IN (SELECT Comp_ID FROM Materials WHERE Component = ?);",
            {component});
}

namespace {

// The new price of a component on a line R of component M, from the temporary NewPrices N where it has one there.
const char* const NewPriceOfLine = "(CASE WHEN N.Comp_ID IS NULL THEN M.Price ELSE N.Price END)";

// Puts into the temporary NewPrices the new rounded price of every premix the prices there move, level after level,
// as the Refresh would write it; the premixes on or above a cycle are left out, as the Refresh leaves them.
// Returns the condition on P that leaves out the products the Refresh would not compute, with its values.
std::string AddPremixPrices(TDatabase* db, TValues& values) {
    const TPremixOrder order = ReadPremixOrder(db);
    std::vector<std::string> blockedProducts;
    std::vector<std::string> blockedComponents;
    for (std::size_t i : order.Blocked) {
        blockedProducts.push_back(order.Premixes[i].ProdId);
        blockedComponents.push_back(order.Premixes[i].CompId);
    }
    std::string places;
    for (std::size_t i = 0; i < blockedProducts.size(); ++i)
        places += i ? ", ?" : "?";
    const std::string notBlocked = blockedProducts.empty() ? std::string() : " AND X.Prod_ID NOT IN (" + places + ")";
    const std::string newPrices = TemporaryTable(db, "NewPrices");
    const std::string moved =
        "SELECT C.Comp_ID, C.Price FROM (SELECT X.Comp_ID AS Comp_ID, " + PricePerKg(db->Engine(), NewPriceOfLine) +
        " AS Price FROM Premixes X JOIN Recipes R ON R.Prod_ID = X.Prod_ID JOIN Materials M ON M.Comp_ID = R.Comp_ID "
        "LEFT JOIN " +
        newPrices +
        " N ON N.Comp_ID = M.Comp_ID WHERE X.Prod_ID IN (SELECT R2.Prod_ID FROM Recipes R2 "
        "WHERE R2.Comp_ID IN (SELECT Comp_ID FROM " +
        newPrices + "))" + notBlocked + " GROUP BY X.Comp_ID) C LEFT JOIN " + newPrices +
        " O ON O.Comp_ID = C.Comp_ID WHERE O.Comp_ID IS NULL OR O.Price " + DiffersOperator(db) + " C.Price;";
    const TValues blocked(blockedProducts.begin(), blockedProducts.end());
    // One level more each round; at most as many rounds as there are premixes.
    for (std::size_t round = 0; round <= order.Premixes.size(); ++round) {
        TValues found;
        ForEachRow(db, moved, blocked, [&found](const TResultRow& row) {
            found.push_back(row.Value(0));
            found.push_back(row.Value(1));
        });
        if (found.empty())
            break;
        ReplaceRows(db, newPrices, {"Comp_ID", "Price"}, found.size() / 2, [&found](std::size_t i, TValues& row) {
            row.insert(row.end(), {found[2 * i], found[2 * i + 1]});
        });
    }
    if (blockedProducts.empty())
        return {};
    values.insert(values.end(), blockedProducts.begin(), blockedProducts.end());
    values.insert(values.end(), blockedComponents.begin(), blockedComponents.end());
    std::string componentPlaces;
    for (std::size_t i = 0; i < blockedComponents.size(); ++i)
        componentPlaces += i ? ", ?" : "?";
    return " AND P.Prod_ID NOT IN (" + places +
           ") AND P.Prod_ID NOT IN (SELECT Prod_ID FROM Recipes WHERE Prod_ID IS NOT NULL AND Comp_ID IN (" +
           componentPlaces + "))";
}

} // namespace

std::vector<TProductImpact> PriceImpact(TDatabase* db, const std::vector<TNewPrice>& prices) {
    std::vector<TProductImpact> impact;
    if (prices.empty())
        return impact;
    std::string newPrice;
    std::string changed;
    std::string joined;
    std::string computed;
    TValues values;
    const bool premixes = HasPremixes(db);
    const bool table = prices.size() > 1 || premixes;
    const std::string newPrices = TemporaryTable(db, "NewPrices");
    const bool server = db->Engine() == TEngine::PostgreSQL;
    const auto dropTable = [db, table, &newPrices] {
        if (table)
            ExecStatements(db, "DROP TABLE IF EXISTS " + newPrices + ";");
    };
    try {
        if (!table) {
            const TNewPrice& only = prices.front();
            newPrice = "(CASE WHEN M.Comp_ID = ? THEN ? ELSE M.Price END)";
            changed = "R2.Comp_ID = ?";
            values = {only.CompId, only.Price, only.CompId};
        } else {
            // A REAL column converts each price text as Materials itself would store it.
            ExecStatements(db, "DROP TABLE IF EXISTS " + newPrices + ";" +
                                   (server ? "CREATE TEMP TABLE NewPrices (Comp_ID bigint PRIMARY KEY, Price double "
                                             "precision);"
                                           : "CREATE TEMP TABLE NewPrices (Comp_ID INTEGER PRIMARY KEY, Price REAL);"));
            ReplaceRows(db, newPrices, {"Comp_ID", "Price"}, prices.size(), [&prices](std::size_t i, TValues& row) {
                row.insert(row.end(), {prices[i].CompId, prices[i].Price});
            });
            if (premixes)
                computed = AddPremixPrices(db, values);
            newPrice = NewPriceOfLine;
            joined = " LEFT JOIN " + newPrices + " N ON N.Comp_ID = M.Comp_ID";
            changed = "R2.Comp_ID IN (SELECT Comp_ID FROM " + newPrices + ")";
        }
        // A product whose price was 0 has no relative change: it comes after every product that has one.
        const std::string order = server ? " ORDER BY ABS((After - Now) / NULLIF(Now, 0)) DESC NULLS LAST, Product;"
                                         : " ORDER BY ABS((After - Now) / Now) DESC, Product;";
        const std::string sql = "SELECT Product, Now, After FROM (SELECT P.Product AS Product, " +
                                PricePerKg(db->Engine(), "M.Price") + " AS Now, " + PricePerKg(db->Engine(), newPrice) +
                                " AS After FROM Recipes R JOIN Materials M ON M.Comp_ID = R.Comp_ID" + joined +
                                " JOIN Products P ON P.Prod_ID = R.Prod_ID WHERE P.Prod_ID IN (SELECT R2.Prod_ID FROM "
                                "Recipes R2 WHERE " +
                                changed + ")" + computed + " GROUP BY P.Product) AS I WHERE Now " +
                                DiffersOperator(db) + " After" + order;
        ForEachRow(db, sql, values, [&impact](const TResultRow& row) {
            impact.push_back({std::string(row.Text(0)), std::string(row.Text(1)), std::string(row.Text(2))});
        });
    } catch (...) {
        // A server refuses every statement after a failure until the action's end rolls it back, the table
        // with it; the failure itself is what the user must see.
        try {
            dropTable();
        } catch (const std::exception&) {
        }
        throw;
    }
    dropTable();
    return impact;
}

namespace {
const char* const CurrentPriceOf = "SELECT Date, Price FROM Materials WHERE Comp_ID = ?;";
const char* const EarlierPricesOf =
    "SELECT Date, Price FROM PriceHistory WHERE Comp_ID = ? ORDER BY Date DESC, rowid DESC;";
// The server's rows have no rowid: their own number keeps the order in which they were written.
const char* const EarlierPricesOnServerOf =
    "SELECT Date, Price FROM PriceHistory WHERE Comp_ID = ? ORDER BY Date DESC, ID DESC;";
} // namespace

TComponentPrices PriceHistoryOf(TDatabase* db, const std::string& compId) {
    TComponentPrices history;
    const auto add = [&history](const TResultRow& row) {
        history.Prices.push_back({std::string(row.Text(0)), std::string(row.Text(1))});
    };
    // The price now and those before it from one view of the data, so a change made meanwhile shows whole.
    InReadTransaction(db, [&] {
        ForEachRow(db, CurrentPriceOf, {compId}, add);
        // A file that never had a price changed has no history yet.
        history.Shape = PriceHistoryShape(db);
        if (history.Shape == TPriceHistoryShape::Usable)
            ForEachRow(db, db->Engine() == TEngine::PostgreSQL ? EarlierPricesOnServerOf : EarlierPricesOf, {compId},
                       add);
    });
    return history;
}
