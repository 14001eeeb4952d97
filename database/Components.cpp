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

namespace {

std::optional<TStoredComponent> ReadComponent(TDatabase* db, const std::string& sql, const TValue& key) {
    std::optional<TStoredComponent> stored;
    ForEachRow(db, sql, {key}, [&stored](const TResultRow& row) {
        stored = TStoredComponent{std::string(row.Text(1)), std::string(row.Text(0)), std::string(row.Text(2)),
                                  row.Value(0)};
    });
    return stored;
}

} // namespace

std::optional<TStoredComponent> ReadStoredComponent(TDatabase* db, const std::string& name) {
    return ReadComponent(db, "SELECT Price, Comp_ID, Component FROM Materials WHERE Component = ?;", name);
}

std::optional<TStoredComponent> ReadComponentById(TDatabase* db, const std::string& compId) {
    return ReadComponent(db, "SELECT Price, Comp_ID, Component FROM Materials WHERE Comp_ID = ?;", compId);
}

std::string ComponentNowText(const TStoredComponent& opened, const TStoredComponent& now) {
    const std::string price = now.Price.empty() ? std::string("no price") : ShownAsField(now.Price, 2);
    return now.Name == opened.Name ? price : now.Name + ", " + price;
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

TComponentPosted UpdateComponent(TDatabase* db, const TComponentPost& post) {
    // An emptied price field means no price, stored as 0.0 like a new component without one.
    const std::string trimmed = Trim(post.Price);
    const TValue price = trimmed.empty() ? TValue(0.0) : TValue(trimmed);
    try {
        // The price it replaces goes to the history with the update, or neither is written.
        InTransaction(db, [&] {
            if (!post.Opened) {
                RecordPriceChange(db, post.OldName, price);
                Execute(db, "UPDATE Materials SET Component = ?, Price = ?, Date = CURRENT_DATE WHERE Component = ?;",
                        {post.Name, price, post.OldName});
                if (ChangedRows(db) == 0)
                    throw TNotAsOpened();
                return;
            }
            // A colleague's change since the dialog opened is never written over unasked: the old name and price
            // are part of the update's condition. The name may be the row's own new one after a Replace.
            RecordPriceChange(db, post.Opened->Name, price);
            const std::string same = std::string(" ") + SameOperator(db) + " ?";
            Execute(db,
                    "UPDATE Materials SET Component = ?, Price = ?, Date = CURRENT_DATE WHERE Comp_ID = ? AND "
                    "Component" +
                        same + " AND Price" + same + ";",
                    {post.Name, price, post.Opened->CompId, post.Opened->Name, post.Opened->StoredPrice});
            if (ChangedRows(db) == 0)
                throw TNotAsOpened();
        });
    } catch (const TNotAsOpened&) {
        TComponentPosted posted;
        if (post.Opened)
            posted.Now = ReadComponentById(db, post.Opened->CompId);
        posted.Outcome = posted.Now ? TPostOutcome::Changed : TPostOutcome::Deleted;
        return posted;
    }
    return {};
}

} // namespace

TComponentPosted PostComponent(TDatabase* db, const TComponentPost& post) {
    if (post.NewMaterial) {
        InsertComponent(db, post);
        return {};
    }
    return UpdateComponent(db, post);
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
