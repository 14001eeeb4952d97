// Prices over time, and what a change of prices does to the products: the price history table and the
// recomputation's own arithmetic run by SQLite with new prices put in, so every figure is rounded exactly
// as a Refresh after the change would round it.
#pragma once

#include "database/Database.h"

#include <string>
#include <vector>

// The condition, on a Materials row called M, that the component has no usable price: none, 0, or a text
// that is no number (which a server's number column cannot hold). Such a component adds nothing to a product's
// cost.
const char* NoPriceCondition(TEngine engine);

// A product whose price per kg leaves recipe lines out: the components without a price among its lines, and
// its lines whose component no longer exists.
struct TIncompletePrice {
    std::string Product;
    int NoPrice = 0;
    int Deleted = 0;
    // The names of the first components without a price, as stored, in byte order: as many as the note names.
    std::vector<std::string> NoPriceNames;
    bool TooLarge = false; // its lines' costs add up past the largest number, so it has no price
    // The premixes among its lines whose own prices are incomplete, by name, as many as the note names.
    std::vector<std::string> Premixes;
};

// The one query that finds them all (premixes aside), in the order of the product list (by name, byte order): a row for
// each component without a price in a product's recipe and one for its lines of deleted components.
const std::string& IncompletePricesQuery(TEngine engine);
// Every product whose price leaves lines out, through every premix level: a product using a premix whose price
// is incomplete is incomplete too.
std::vector<TIncompletePrice> IncompletePrices(TDatabase* db);
// What the product list says of such a price: "Price incomplete: no price for A, B and 3 more; 1 line refers
// to a deleted component; premix C has incomplete prices"; empty for a complete one. The names are given as
// UTF-8, as they are shown.
std::string IncompletePriceNote(const TIncompletePrice& product);

// Run right after the recomputation, in its transaction: empties the price per kg of every product whose
// recomputed price is infinite (prices so large that its lines' costs overflow), which no list could show
// or sum, and returns their names.
std::vector<std::string> ClearUncomputedPrices(TDatabase* db);
// Adds those products to the incomplete ones, keeping the order of the product list.
void AddUncomputedPrices(std::vector<TIncompletePrice>& products, std::vector<std::string> names);

// The Recipes.ID of every line of the product's recipe whose component has no price.
const std::string& NoPriceLinesQuery(TEngine engine); // the product's name bound
std::vector<std::string> NoPriceLines(TDatabase* db, const std::string& product);

// What the file holds under the name PriceHistory (in any letter case): nothing yet, the table the program
// keeps (Comp_ID, Price and Date, any other column one an insert may leave out), or anything else (a view, a
// table of another shape). In the last case prices change without a history and that relation is left alone.
enum class TPriceHistoryShape { Missing, Usable, Other };
TPriceHistoryShape PriceHistoryShape(TDatabase* db);
// True unless the file's PriceHistory has another shape.
bool PriceHistoryUsable(TDatabase* db);

// Creates the table PriceHistory when the file has none yet; older files gain it on their first price write.
void EnsurePriceHistory(TDatabase* db);

// Appends to the history the stored price and date of the component of that name (as stored) when its stored
// price differs from newPrice, the price its update is about to write. Run it in the same transaction as the
// update, before it; creates the table when missing, and does nothing when the file's PriceHistory has another
// shape.
void RecordPriceChange(TDatabase* db, const std::string& component, const TValue& newPrice);

// Removes the history of the component of that name (as stored); nothing to do in a file without a history or
// with one of another shape. Run it in the same transaction as the delete, before it.
void DeletePriceHistory(TDatabase* db, const std::string& component);

// A new price for one component: its Comp_ID and the price as Post would write it (point as separator).
struct TNewPrice {
    std::string CompId;
    std::string Price;
};

// RecordPriceChange for several components at once, each found by its Comp_ID.
void RecordPriceChanges(TDatabase* db, const std::vector<TNewPrice>& prices);

// A product whose price per kg the new prices change: the prices now and after, as the database writes them
// (ChangePercent in text/Costing gives the change).
struct TProductImpact {
    std::string Product;
    std::string Now;
    std::string After;
};

// Every product whose rounded price per kg the new prices move, largest change in percent first, through every
// premix level: a premix's new rounded price goes into the products that use it, as a Refresh would put it.
// Nothing is written to the file: several prices, and any premix, go through a temporary table of the
// connection.
std::vector<TProductImpact> PriceImpact(TDatabase* db, const std::vector<TNewPrice>& prices);

// One price of a component: the date it was set and the price, both as stored.
struct TDatedPrice {
    std::string Date;
    std::string Price;
};
// The prices of a component, newest first: the one it has now, then those it had before, the latest change
// first. Earlier prices come only from a PriceHistory of the program's own shape, which Shape tells.
struct TComponentPrices {
    std::vector<TDatedPrice> Prices;
    TPriceHistoryShape Shape = TPriceHistoryShape::Missing;
};
// The prices of the component with the Comp_ID compId; none when there is no such component.
TComponentPrices PriceHistoryOf(TDatabase* db, const std::string& compId);
