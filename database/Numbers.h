// The numbers of new products and components. Recipe lines and price history stay behind when their product
// or component is deleted, so a new record takes a number that nothing in the file has held yet: it starts
// empty instead of adopting what a deleted one left.
#pragma once

#include <cstdint>
#include <vector>

class TDatabase;

// A column that holds the numbers of one kind of record: the record's own key, or a reference to it.
struct TNumberColumn {
    const char* Table;
    const char* Column;
};

// Products' own key first, then every column that refers to a product. A table that refers to products
// joins this list.
extern const std::vector<TNumberColumn> ProductNumberColumns;
// Materials' own key first, then every column that refers to a component. A table that refers to components
// joins this list.
extern const std::vector<TNumberColumn> ComponentNumberColumns;

// Renumbers the row with the key newId in the first table of columns, if need be, to one above every number
// that columns hold (the row itself left out), and keeps an AUTOINCREMENT counter of that table above it too.
// Tables the file lacks, views and columns a table lacks are left out. Returns the row's number; fails when
// no number is left. Run it in the transaction of the insert, right after it.
std::int64_t GiveNumberAboveAll(TDatabase* db, const std::vector<TNumberColumn>& columns, std::int64_t newId);

// The same for the product or component that the last insert on db added.
std::int64_t GiveNewProductItsNumber(TDatabase* db);
std::int64_t GiveNewComponentItsNumber(TDatabase* db);
