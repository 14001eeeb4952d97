// The products: the recomputation of their masses and prices per kg, their list, and New, Rename and Delete
// Product.
#pragma once

#include "database/Database.h"
#include "database/Premixes.h"

#include <string>
#include <string_view>

// A product's price per kg from its recipe lines R, price standing for each line's component price: the
// quantity-weighted mean, rounded to the cent. The Refresh computes it from the stored prices ("M.Price"); the
// impact of new prices puts the new ones in, so both round alike.
// On a server a line's cost is multiplied as the file multiplies (an infinity, not a failure) and a total mass of
// 0 gives no price, as a division by zero does in the file; the mean is rounded from the decimal the server
// reads the double as, which rounds as the file's ROUND does.
std::string PricePerKg(TEngine engine, std::string_view price);

// The recomputation as the program first ran it: every product with a line whose component exists gets the sum
// of those lines' quantities as its mass and their PricePerKg as its price; every such row is rewritten whole at
// every Refresh, changed or not. Kept for the record and to measure the one below against it.
const std::string& RecomputeProductsStatement();

// The comparison that tells two values apart, NULL from a number included, on the engine of db.
const char* DiffersOperator(TDatabase* db);
// The same recomputation for the products whose lines filter selects (a condition on the recipe lines R;
// empty for all) and that products lets through (a condition on Products; empty for all), writing only the rows
// whose mass or price differs, so a Refresh that changes nothing writes nothing.
std::string RecomputeStatement(TDatabase* db, const std::string& filter, const std::string& products = "");
// Every product recomputed; premixes first, level by level, their prices written to their components.
TRecomputation RecomputeProducts(TDatabase* db);

// The product list: each product's name and price per kg, by name.
inline constexpr const char* ProductListQuery = "Select product, price from products order by product;";
void LoadProductList(TDatabase* db, TRowLoader loader);

// New Product: the product of that name, with a number no recipe line holds yet, or nothing at all.
void CreateProduct(TDatabase* db, const std::string& name);
// Rename Product: the product keeps its number, so its recipe lines stay with it. A premix's component takes
// the new name with it, in one transaction; a name another component has is refused.
void ChangeProductName(TDatabase* db, const std::string& oldName, const std::string& newName);
// Delete Product: the product's row only; its recipe lines stay behind. A premix goes with its component and
// that component's history, in one transaction; one that a recipe uses is refused.
void RemoveProduct(TDatabase* db, const std::string& name);

// Duplicate Product: a new product named copy, with a number no recipe line holds yet, the production notes of
// product and a copy of each of its lines whose component exists, in the recipe's order, with their dates. Never
// a premix. All of it in one transaction; false, with nothing written, when product no longer exists.
bool CopyProduct(TDatabase* db, const std::string& product, const std::string& copy);
