#include "database/Recipes.h"

#include "database/Prices.h"
#include "text/StrMan.h"

std::string LookupValue;

std::string RecipeQuery(const std::string& product) {
    return "SELECT R.ID, M.Component, R.Quantity FROM Products P, Materials M, Recipes R WHERE M.COMP_ID = "
           "R.COMP_ID AND P.PROD_ID = R.PROD_ID AND P.Product = '" +
           StringManager.QuoteSql(product) + "';";
}

void LoadRecipe(TDatabase* db, const std::string& product, TRowLoader loader) {
    db->RunQuery(RecipeQuery(product), loader);
}

const std::string& CostedLinesQuery(TEngine engine) {
    static const std::string sqlite = std::string("SELECT R.ID, M.Component, R.Quantity, R.Quantity * M.Price, ") +
                                      NoPriceCondition +
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

TLinePosted PostRecipeLine(TDatabase* db, const TRecipeLinePost& line) {
    const std::string productId =
        LookUp(db, "SELECT Prod_id FROM Products WHERE Product ='" + StringManager.QuoteSql(line.Product) + "';");
    const std::string componentId =
        LookUp(db, "SELECT Comp_ID FROM Materials WHERE Component = '" + StringManager.QuoteSql(line.Component) + "';");
    if (productId.empty())
        return TLinePosted::NoProduct;
    if (componentId.empty())
        return TLinePosted::NoComponent;
    // Keys come from the file and go between quotes like any other text.
    const std::string quantity = StringManager.QuoteSql(line.Quantity);
    const std::string productKey = StringManager.QuoteSql(productId);
    const std::string componentKey = StringManager.QuoteSql(componentId);
    if (line.NewRecipeLine)
        ExecStatements(db, "INSERT INTO Recipes (Prod_ID, Comp_ID, Quantity,Datum) Values ('" + productKey + "','" +
                               componentKey + "','" + quantity + "',CURRENT_DATE);");
    else
        ExecStatements(db, "Update Recipes Set Prod_ID= '" + productKey + "', Comp_ID = '" + componentKey +
                               "', Quantity = '" + quantity + "', Datum = CURRENT_DATE Where ID='" +
                               StringManager.QuoteSql(line.EditedLineId) + "';");
    return TLinePosted::Written;
}

void RemoveRecipeLine(TDatabase* db, const std::string& id) {
    ExecStatements(db, "Delete from Recipes where ID ='" + StringManager.QuoteSql(id) + "';");
}
