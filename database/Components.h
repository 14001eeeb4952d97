// The components (starting materials): their list, and what Edit Materials and Delete Component write.
#pragma once

#include "database/Database.h"
#include "database/Meanwhile.h"

#include <optional>
#include <string>
#include <vector>

// The component list: each component's name and price per kg, by name.
inline constexpr const char* ComponentListQuery = "SELECT Component, Price from Materials order by Component;";
void LoadComponentList(TDatabase* db, TRowLoader loader);
// A row of the component list or the product list: the name and the price per kg, as stored.
struct TNamedPrice {
    std::string Name;
    std::string Price;
};
// The rows of listQuery (ComponentListQuery or ProductListQuery), in its order.
std::vector<TNamedPrice> ReadPriceList(TDatabase* db, const char* listQuery);

// Every component's name, by name: the choices of Edit Recipe.
inline constexpr const char* ComponentNamesQuery = "SELECT Component from Materials order by Component;";

// A component as the file holds it when it is opened for an edit.
struct TStoredComponent {
    std::string CompId;
    std::string Price; // as SQLite gives it out; empty for none
    std::string Name;
    // The price exactly as stored, to be matched again at Post.
    TValue StoredPrice;
};
// The component of that name, or nothing when the file holds none.
std::optional<TStoredComponent> ReadStoredComponent(TDatabase* db, const std::string& name);
// The component with that Comp_ID, or nothing when the file holds none.
std::optional<TStoredComponent> ReadComponentById(TDatabase* db, const std::string& compId);

// A component as Edit Materials posts it.
struct TComponentPost {
    // True: a new component is inserted; false: the component named OldName is updated.
    bool NewMaterial = true;
    std::string Name;    // in upper case
    std::string Price;   // point as decimal separator; empty for no price
    std::string OldName; // as the component list shows it
    // For an update: the component as the dialog opened it. The update is then written only while its row
    // still holds that name and price; without it the component named OldName is updated whatever it holds.
    std::optional<TStoredComponent> Opened;
};

// What PostComponent did: written, or nothing written because the row was changed or deleted meanwhile.
struct TComponentPosted {
    TPostOutcome Outcome = TPostOutcome::Written;
    // Changed: the component as it is now, to be posted over as Opened when the user replaces it.
    std::optional<TStoredComponent> Now;
};

// "(now: ...)" of a component changed meanwhile: its price as the field shows it, after its new name if it has one.
std::string ComponentNowText(const TStoredComponent& opened, const TStoredComponent& now);

// True when Post refuses the component: a new one whose name is among names, the names the list shows.
bool IsDuplicateComponent(const TComponentPost& post, const std::vector<std::string>& names);

// Writes the component in one transaction. A new one is inserted with its price, or 0.0 without one, and gets
// a number nothing in the file holds yet. An update writes name, price and date, an emptied price as 0.0,
// and puts the price it replaces in the history; nothing of it when its row is no longer as opened.
TComponentPosted PostComponent(TDatabase* db, const TComponentPost& post);

// Delete Component: the component of that name and its price history, in one transaction. Its recipe lines
// stay behind. A premix's component is refused.
void RemoveComponent(TDatabase* db, const std::string& name);
