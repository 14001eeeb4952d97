// Prices over time, and what a change of prices does to the products: the price history table and the
// recomputation's own arithmetic run by SQLite with new prices put in, so every figure is rounded exactly
// as a Refresh after the change would round it.
#pragma once

#include <string>
#include <vector>

class TDatabase;

// The condition, on a Materials row called M, that the component has no usable price: none, 0, or a text
// that is no number. Such a component adds nothing to a product's cost.
extern const char* const NoPriceCondition;

// A product whose price per kg leaves recipe lines out: the components without a price among its lines, and
// its lines whose component no longer exists.
struct TIncompletePrice {
    std::string Product;
    int NoPrice = 0;
    int Deleted = 0;
};

// The one query that finds them all, in the order of the product list (by name, byte order).
const std::string& IncompletePricesQuery();
std::vector<TIncompletePrice> IncompletePrices(TDatabase* db);
// What the product list says of such a price: "Price incomplete: ..."; empty for a complete one.
std::string IncompletePriceNote(int noPrice, int deleted);

// The Recipes.ID of every line of the product's recipe whose component has no price.
std::string NoPriceLinesQuery(const std::string& product);
std::vector<std::string> NoPriceLines(TDatabase* db, const std::string& product);

// Creates the table PriceHistory when the file has none yet; older files gain it on their first price write.
void EnsurePriceHistory(TDatabase* db);

// Appends to the history the stored price and date of every component that condition selects (an SQL
// condition on Materials) whose stored price differs from newPrice (an SQL expression, e.g. '2.50').
// Run it in the same transaction as the update, before it; creates the table when missing.
void RecordPriceChange(TDatabase* db, const std::string& condition, const std::string& newPrice);

// Removes the history of the components that condition selects (an SQL condition on Materials); nothing
// to do in a file without a history. Run it in the same transaction as the delete, before it.
void DeletePriceHistory(TDatabase* db, const std::string& condition);

// A new price for one component: its Comp_ID and the price as Post would write it (point as separator).
struct TNewPrice {
    std::string CompId;
    std::string Price;
};

// A product whose price per kg the new prices change: the prices now and after, and the change in
// percent, as SQLite's texts (the change is empty when the price now is 0 or empty).
struct TProductImpact {
    std::string Product;
    std::string Now;
    std::string After;
    std::string ChangePercent;
};

// Every product whose rounded price per kg the new prices move, largest change in percent first. Nothing
// is written to the file: several prices go through a temporary table of the connection.
std::vector<TProductImpact> PriceImpact(TDatabase* db, const std::vector<TNewPrice>& prices);
