#include "database/Notes.h"

#include "text/StrMan.h"

void LoadNotes(TDatabase* db, const std::string& product, const TRowFunction& row) {
    ForEachRow(db, "SELECT Prod_ID, Solids from Products where Product = '" + StringManager.QuoteSql(product) + "';",
               row);
}

namespace {

bool ProductExists(TDatabase* db, const std::string& prodId) {
    return QueryFirst(db, "SELECT 1 FROM Products WHERE Prod_ID = ?;", {prodId}).has_value();
}

} // namespace

TNotesSaved SaveNotes(TDatabase* db, const TNotesRow& read, const std::string& notes) {
    // The notes are compared as bytes, whatever another program stored them as.
    if (read.Null)
        Execute(db, "UPDATE Products SET Solids = ? WHERE Prod_ID = ? AND Solids IS NULL;", {notes, read.ProdId});
    else if (db->Engine() == TEngine::PostgreSQL) // a server's texts compare by their bytes
        Execute(db, "UPDATE Products SET Solids = ? WHERE Prod_ID = ? AND Solids = ?;",
                {notes, read.ProdId, read.Bytes});
    else
        Execute(db, "UPDATE Products SET Solids = ? WHERE Prod_ID = ? AND CAST(Solids AS BLOB) = CAST(? AS BLOB);",
                {notes, read.ProdId, read.Bytes});
    if (ChangedRows(db) > 0)
        return TNotesSaved::Saved;
    // No row changed: the product is gone (a renamed one keeps its Prod_ID), or its notes changed.
    return ProductExists(db, read.ProdId) ? TNotesSaved::Changed : TNotesSaved::Gone;
}

TNotesSaved ReplaceNotes(TDatabase* db, const std::string& prodId, const std::string& notes) {
    Execute(db, "UPDATE Products SET Solids = ? WHERE Prod_ID = ?;", {notes, prodId});
    return ChangedRows(db) > 0 ? TNotesSaved::Saved : TNotesSaved::Gone;
}
