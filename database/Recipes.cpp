#include "database/Recipes.h"

#include "database/Premixes.h"
#include "text/Costing.h"
#include "database/Prices.h"
#include "text/StrMan.h"
#include "text/SysUtils.h"

#include <vector>

std::string LookupValue;

std::string RecipeQuery(const std::string& product) {
    return "SELECT R.ID, M.Component, R.Quantity FROM Products P, Materials M, Recipes R WHERE M.COMP_ID = "
           "R.COMP_ID AND P.PROD_ID = R.PROD_ID AND P.Product = '" +
           StringManager.QuoteSql(product) + "';";
}

void LoadRecipe(TDatabase* db, const std::string& product, TRowLoader loader) {
    if (db->Engine() == TEngine::PostgreSQL) {
        // The name bound, so the server plans the statement once for every product; and sorted, as the server
        // keeps no order of its own where the file's index by product gives the lines in the order they were added.
        ForEachRow(db,
                   "SELECT R.ID, M.Component, R.Quantity FROM Products P, Materials M, Recipes R WHERE M.COMP_ID = "
                   "R.COMP_ID AND P.PROD_ID = R.PROD_ID AND P.Product = ? ORDER BY R.ID;",
                   {product}, [loader](const TResultRow& row) {
                       std::string texts[3];
                       char* values[3];
                       for (int c = 0; c < 3; ++c) {
                           texts[c] = row.Text(c);
                           values[c] = row.IsNull(c) ? nullptr : texts[c].data();
                       }
                       loader(nullptr, 3, values, nullptr);
                   });
        return;
    }
    db->RunQuery(RecipeQuery(product), loader);
}

const std::string& CostedLinesQuery(TEngine engine) {
    static const std::string sqlite = std::string("SELECT R.ID, M.Component, R.Quantity, R.Quantity * M.Price, ") +
                                      NoPriceCondition(TEngine::SQLite) +
                                      ", M.Price FROM Products P, Materials M, Recipes R WHERE M.COMP_ID = R.COMP_ID "
                                      "AND P.PROD_ID = R.PROD_ID AND P.Product = ? ORDER BY R.ID;";
    // The server's prices are numbers: none is a text.
    static const std::string server =
        "SELECT R.ID, M.Component, R.Quantity, Times(R.Quantity, M.Price), (M.Price IS NULL OR M.Price = 0), "
        "M.Price FROM Products P, Materials M, Recipes R WHERE M.COMP_ID = R.COMP_ID AND P.PROD_ID = R.PROD_ID AND "
        "P.Product = ? ORDER BY R.ID;";
    return engine == TEngine::PostgreSQL ? server : sqlite;
}

std::vector<TCostedLine> CostedLines(TDatabase* db, const std::string& product) {
    std::vector<TCostedLine> lines;
    ForEachRow(db, CostedLinesQuery(db->Engine()), {product}, [&lines](const TResultRow& row) {
        // The server gives its truth values as "t" and "f".
        const std::string_view noPrice = row.Text(4) == "t" ? "1" : row.Text(4);
        lines.push_back(
            {std::string(row.Text(0)), ReadCostLine(row.Text(1), row.Text(2), row.Text(3), noPrice, row.Text(5))});
    });
    return lines;
}

int LookupLoader(void*, int columns, char** values, char**) {
    if (columns > 0)
        LookupValue = ColumnText(values, 0);
    return 0;
}

namespace {

// The first column of the last row of sql, or empty when there is none.
std::string LookUp(TDatabase* db, const std::string& sql) {
    LookupValue.clear();
    db->RunQuery(sql, LookupLoader);
    return LookupValue;
}

} // namespace

std::optional<TStoredLine> ReadStoredLine(TDatabase* db, const std::string& id) {
    std::optional<TStoredLine> stored;
    ForEachRow(db,
               "SELECT R.ID, M.Component, R.Quantity, R.Prod_ID, R.Comp_ID FROM Recipes R LEFT JOIN Materials M ON "
               "M.Comp_ID = R.Comp_ID WHERE R.ID = ?;",
               {id}, [&stored](const TResultRow& row) {
                   stored = TStoredLine{std::string(row.Text(0)),
                                        std::string(row.Text(1)),
                                        std::string(row.Text(2)),
                                        row.Value(3),
                                        row.Value(4),
                                        row.Value(2)};
               });
    return stored;
}

std::string LineNowText(const TStoredLine& now) {
    const std::string component = now.Component.empty() ? std::string("a deleted component") : now.Component;
    return component + ", " + ShownAsField(now.Quantity, 3) + " kg";
}

TLinePosted PostRecipeLine(TDatabase* db, const TRecipeLinePost& line, std::string* refusal,
                           std::optional<TStoredLine>* now) {
    TLinePosted posted = TLinePosted::Written;
    try {
        InTransaction(db, [&] {
            const std::string productId = LookUp(db, "SELECT Prod_id FROM Products WHERE Product ='" +
                                                         StringManager.QuoteSql(line.Product) + "';");
            const std::string componentId = LookUp(db, "SELECT Comp_ID FROM Materials WHERE Component = '" +
                                                           StringManager.QuoteSql(line.Component) + "';");
            if (productId.empty()) {
                posted = TLinePosted::NoProduct;
                return;
            }
            if (componentId.empty()) {
                posted = TLinePosted::NoComponent;
                return;
            }
            if (std::string cycle = PremixLineRefusal(db, line.Product, line.Component); !cycle.empty()) {
                if (refusal)
                    *refusal = std::move(cycle);
                posted = TLinePosted::Cycle;
                return;
            }
            // An emptied mass is no mass, 0, as an emptied price is no price: never a text in a number column.
            const std::string trimmed = Trim(line.Quantity);
            const TValue quantity = trimmed.empty() ? TValue(0.0) : TValue(trimmed);
            if (line.NewRecipeLine) {
                Execute(db, "INSERT INTO Recipes (Prod_ID, Comp_ID, Quantity, Datum) VALUES (?, ?, ?, CURRENT_DATE);",
                        {productId, componentId, quantity});
                return;
            }
            const std::string set = "UPDATE Recipes SET Prod_ID = ?, Comp_ID = ?, Quantity = ?, Datum = CURRENT_DATE "
                                    "WHERE ID = ?";
            if (line.Opened) {
                // A colleague's change since the dialog opened is never written over unasked.
                const std::string same = std::string(" ") + SameOperator(db) + " ?";
                Execute(db, set + " AND Prod_ID" + same + " AND Comp_ID" + same + " AND Quantity" + same + ";",
                        {productId, componentId, quantity, line.EditedLineId, line.Opened->ProdId, line.Opened->CompId,
                         line.Opened->StoredQuantity});
            } else {
                Execute(db, set + ";", {productId, componentId, quantity, line.EditedLineId});
            }
            if (ChangedRows(db) == 0)
                throw TNotAsOpened();
        });
    } catch (const TNotAsOpened&) {
        std::optional<TStoredLine> current = ReadStoredLine(db, line.EditedLineId);
        posted = current ? TLinePosted::Changed : TLinePosted::Deleted;
        if (now)
            *now = std::move(current);
    }
    return posted;
}

void RemoveRecipeLine(TDatabase* db, const std::string& id) {
    ExecStatements(db, "Delete from Recipes where ID ='" + StringManager.QuoteSql(id) + "';");
}

std::vector<TRecipeLine> ReadRecipeLines(TDatabase* db, const std::string& product) {
    std::vector<TRecipeLine> lines;
    ForEachRow(db,
               "SELECT R.ID, M.Component, R.Quantity FROM Products P JOIN Recipes R ON R.Prod_ID = P.Prod_ID "
               "JOIN Materials M ON M.Comp_ID = R.Comp_ID WHERE P.Product = ? ORDER BY R.ID;",
               {product}, [&lines](const TResultRow& row) {
                   lines.push_back({std::string(row.Text(0)), std::string(row.Text(1)), std::string(row.Text(2))});
               });
    return lines;
}

const TRecipeLine* DuplicateLine(const std::vector<TRecipeLine>& lines, const TRecipeLinePost& line,
                                 const std::string& openedComponent) {
    if (!line.NewRecipeLine && line.Component == openedComponent)
        return nullptr;
    for (const TRecipeLine& other : lines)
        if (other.Component == line.Component && (line.NewRecipeLine || other.Id != line.EditedLineId))
            return &other;
    return nullptr;
}

TRecipeScaled RescaleRecipe(TDatabase* db, const std::string& product, std::int64_t totalGrams) {
    TRecipeScaled result = TRecipeScaled::Scaled;
    InTransaction(db, [&] {
        std::vector<TValue> ids;
        std::vector<double> masses;
        ForEachRow(db,
                   "SELECT R.ID, R.Quantity FROM Recipes R JOIN Products P ON P.Prod_ID = R.Prod_ID JOIN Materials M "
                   "ON M.Comp_ID = R.Comp_ID WHERE P.Product = ? ORDER BY R.ID;",
                   {product}, [&](const TResultRow& row) {
                       // A quantity that is no number is left as it is: it counts for nothing in the total.
                       const ParseResult mass = ParseNumber(StringManager.CommaToPoint(row.Text(1)));
                       if (row.IsNull(1) || mass.ErrorPos != 0)
                           return;
                       ids.push_back(row.Value(0));
                       masses.push_back(mass.Value);
                   });
        double total = 0.0;
        for (const double mass : masses)
            total += mass;
        if (!(total > 0.0)) {
            result = TRecipeScaled::NoMass;
            return;
        }
        const std::vector<std::int64_t> grams = ScaleToGrams(masses, totalGrams);
        for (std::size_t i = 0; i < ids.size(); ++i)
            Execute(db, "UPDATE Recipes SET Quantity = ?, Datum = CURRENT_DATE WHERE ID = ?;",
                    {static_cast<double>(grams[i]) / 1000.0, ids[i]});
    });
    return result;
}
