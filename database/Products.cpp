#include "database/Products.h"

#include "database/Numbers.h"
#include "text/StrMan.h"

std::string PricePerKg(std::string_view price) {
    return "ROUND(SUM(R.Quantity*" + std::string(price) + ")/SUM(R.Quantity),2)";
}

const std::string& RecomputeProductsStatement() {
    static const std::string statement =
        "Replace into Products (Prod_ID, Product, Mass, Price, Solids) select P.Prod_ID, P.Product, SUM(R.Quantity), " +
        PricePerKg("M.Price") +
        ", P.Solids From RECIPES R, MATERIALS M, Products P Where M.Comp_ID = R.COMP_ID AND P.Prod_ID = R.PROD_ID "
        "Group by P.Product;";
    return statement;
}

void RecomputeProducts(TDatabase* db) {
    ExecStatements(db, RecomputeProductsStatement());
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
    ExecStatements(db, "Update Products Set Product = '" + StringManager.QuoteSql(newName) + "' where Product ='" +
                           StringManager.QuoteSql(oldName) + "';");
}

void RemoveProduct(TDatabase* db, const std::string& name) {
    ExecStatements(db, "Delete from Products where product ='" + StringManager.QuoteSql(name) + "';");
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
