#include "database/Components.h"

#include "database/Numbers.h"
#include "database/Premixes.h"
#include "database/Prices.h"
#include "text/StrMan.h"
#include "text/SysUtils.h"

#include <algorithm>

void LoadComponentList(TDatabase* db, TRowLoader loader) {
    db->RunQuery(ComponentListQuery, loader);
}

std::vector<TNamedPrice> ReadPriceList(TDatabase* db, const char* listQuery) {
    std::vector<TNamedPrice> rows;
    ForEachRow(db, listQuery, [&rows](const TResultRow& row) {
        rows.push_back({std::string(row.Text(0)), std::string(row.Text(1))});
    });
    return rows;
}

std::optional<TStoredComponent> ReadStoredComponent(TDatabase* db, const std::string& name) {
    std::optional<TStoredComponent> stored;
    ForEachRow(db, "SELECT Price, Comp_ID FROM Materials WHERE Component = ?;", {name},
               [&stored](const TResultRow& row) {
                   stored = TStoredComponent{std::string(row.Text(1)), std::string(row.Text(0))};
               });
    return stored;
}

bool IsDuplicateComponent(const TComponentPost& post, const std::vector<std::string>& names) {
    return post.NewMaterial && std::find(names.begin(), names.end(), post.Name) != names.end();
}

namespace {

void InsertComponent(TDatabase* db, const TComponentPost& post) {
    const std::string name = StringManager.QuoteSql(post.Name);
    // A price text goes into SQL as a name does: a pasted apostrophe cannot end the literal.
    const std::string statement =
        post.Price.empty() ? "INSERT INTO Materials (Component, Price, Date) Values ('" + name + "',0.0, CURRENT_DATE);"
                           : "INSERT INTO Materials (Component, Price, Date) Values ('" + name + "','" +
                                 StringManager.QuoteSql(post.Price) + "', CURRENT_DATE);";
    // The component gets a number no recipe line or history row holds, with its insert or not at all.
    InTransaction(db, [db, &statement] {
        ExecStatements(db, statement);
        GiveNewComponentItsNumber(db);
    });
}

void UpdateComponent(TDatabase* db, const TComponentPost& post) {
    // An emptied price field means no price, stored as 0.0 like a new component without one.
    const std::string trimmed = Trim(post.Price);
    std::string price = "0.0";
    if (!trimmed.empty())
        price.assign("'").append(StringManager.QuoteSql(trimmed)).append("'");
    const std::string statement = "Update Materials Set Component = '" + StringManager.QuoteSql(post.Name) +
                                  "', Price = " + price + ", Date = CURRENT_DATE " + " where component = '" +
                                  StringManager.QuoteSql(post.OldName) + "';";
    // The price it replaces goes to the history with the update, or neither is written.
    InTransaction(db, [db, &post, &trimmed, &statement] {
        RecordPriceChange(db, post.OldName, trimmed.empty() ? TValue(0.0) : TValue(trimmed));
        ExecStatements(db, statement);
    });
}

} // namespace

void PostComponent(TDatabase* db, const TComponentPost& post) {
    if (post.NewMaterial)
        InsertComponent(db, post);
    else
        UpdateComponent(db, post);
}

void RemoveComponent(TDatabase* db, const std::string& name) {
    // The component's price history goes with it, or nothing goes.
    InTransaction(db, [db, &name] {
        if (const auto premix = PremixOfComponent(db, name))
            throw Exception(PremixComponentText(*premix));
        DeletePriceHistory(db, name);
        ExecStatements(db, "Delete from Materials where Component ='" + StringManager.QuoteSql(name) + "';");
    });
}
