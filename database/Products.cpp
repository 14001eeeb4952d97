#include "database/Products.h"

#include "database/Numbers.h"
#include "database/Prices.h"
#include "text/StrMan.h"

std::string PricePerKg(TEngine engine, std::string_view price) {
    if (engine == TEngine::PostgreSQL)
        return "CAST(ROUND(CAST(SUM(Times(R.Quantity, " + std::string(price) +
               ")) / NULLIF(SUM(R.Quantity), 0) AS numeric), 2) AS double precision)";
    return "ROUND(SUM(R.Quantity*" + std::string(price) + ")/SUM(R.Quantity),2)";
}

const std::string& RecomputeProductsStatement() {
    static const std::string statement =
        "Replace into Products (Prod_ID, Product, Mass, Price, Solids) select P.Prod_ID, P.Product, SUM(R.Quantity), " +
        PricePerKg(TEngine::SQLite, "M.Price") +
        ", P.Solids From RECIPES R, MATERIALS M, Products P Where M.Comp_ID = R.COMP_ID AND P.Prod_ID = R.PROD_ID "
        "Group by P.Product;";
    return statement;
}

const char* DiffersOperator(TDatabase* db) {
    return db->Engine() == TEngine::PostgreSQL ? "IS DISTINCT FROM" : "IS NOT";
}

std::string RecomputeStatement(TDatabase* db, const std::string& filter, const std::string& products) {
    const std::string differs = std::string(" ") + DiffersOperator(db) + " ";
    return "UPDATE Products SET Mass = S.Mass, Price = S.Price FROM (SELECT R.Prod_ID AS Prod_ID, SUM(R.Quantity) AS "
           "Mass, " +
           PricePerKg(db->Engine(), "M.Price") + " AS Price FROM Recipes R JOIN Materials M ON M.Comp_ID = R.Comp_ID" +
           (filter.empty() ? std::string() : " WHERE " + filter) +
           " GROUP BY R.Prod_ID) S WHERE Products.Prod_ID = S.Prod_ID" +
           (products.empty() ? std::string() : " AND " + products) + " AND (Products.Mass" + differs +
           "S.Mass OR Products.Price" + differs + "S.Price);";
}

TRecomputation RecomputeProducts(TDatabase* db) {
    if (HasPremixTable(db))
        return RecomputeWithPremixes(db);
    ExecStatements(db, RecomputeStatement(db, ""));
    return {};
}

void LoadProductList(TDatabase* db, TRowLoader loader) {
    db->RunQuery(ProductListQuery, loader);
}

void CreateProduct(TDatabase* db, const std::string& name) {
    InTransaction(db, [db, &name] {
        ExecStatements(db, "Insert into Products (Product) Values ('" + StringManager.QuoteSql(name) + "');");
        GiveNewProductItsNumber(db);
    });
}

void ChangeProductName(TDatabase* db, const std::string& oldName, const std::string& newName) {
    const std::string rename = "Update Products Set Product = '" + StringManager.QuoteSql(newName) +
                               "' where Product ='" + StringManager.QuoteSql(oldName) + "';";
    if (!HasPremixTable(db)) {
        ExecStatements(db, rename);
        return;
    }
    InTransaction(db, [&] {
        if (const auto premix = PremixOfProduct(db, oldName)) {
            if (QueryFirst(db, "SELECT 1 FROM Materials WHERE Component = ? AND Comp_ID <> ?;",
                           {newName, premix->CompId}))
                throw Exception("A component named " + newName + " exists");
            Execute(db, "UPDATE Materials SET Component = ? WHERE Comp_ID = ?;", {newName, premix->CompId});
        }
        ExecStatements(db, rename);
    });
}

void RemoveProduct(TDatabase* db, const std::string& name) {
    const std::string remove = "Delete from Products where product ='" + StringManager.QuoteSql(name) + "';";
    if (!HasPremixTable(db)) {
        ExecStatements(db, remove);
        return;
    }
    InTransaction(db, [&] {
        if (const auto premix = PremixOfProduct(db, name)) {
            if (const int users = ProductsUsing(db, premix->CompId); users > 0)
                throw Exception(PremixInUseText(name, users));
            Execute(db, "DELETE FROM Premixes WHERE Comp_ID = ?;", {premix->CompId});
            DeletePriceHistory(db, premix->Component);
            Execute(db, "DELETE FROM Materials WHERE Comp_ID = ?;", {premix->CompId});
        }
        ExecStatements(db, remove);
    });
}

bool CopyProduct(TDatabase* db, const std::string& product, const std::string& copy) {
    bool copied = false;
    InTransaction(db, [&] {
        Execute(db, "INSERT INTO Products (Product, Solids) SELECT ?, Solids FROM Products WHERE Product = ?;",
                {copy, product});
        if (ChangedRows(db) == 0)
            return;
        const std::int64_t id = GiveNewProductItsNumber(db);
        Execute(db,
                "INSERT INTO Recipes (Prod_ID, Comp_ID, Quantity, Datum) SELECT ?, R.Comp_ID, R.Quantity, R.Datum "
                "FROM Recipes R JOIN Products P ON P.Prod_ID = R.Prod_ID JOIN Materials M ON M.Comp_ID = R.Comp_ID "
                "WHERE P.Product = ? ORDER BY R.ID;",
                {id, product});
        copied = true;
    });
    return copied;
}
