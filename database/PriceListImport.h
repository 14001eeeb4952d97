// A supplier's price list applied to the component list: what it would change and which products it
// moves, then all of its changes written in one transaction or none of them.
#pragma once

#include "database/Prices.h"
#include "text/PriceList.h"

#include <string>
#include <vector>

class TDatabase;

// A component whose stored price the list changes.
struct TPriceChange {
    int Line = 0;          // the line of the file that gives the new price
    std::string CompId;    // Materials.Comp_ID
    std::string Component; // the name as stored
    std::string Now;       // the stored price as SQLite reads it out (empty for none)
    std::string New;       // the price as read from the file, with a point
};

struct TImportPreview {
    std::vector<TPriceChange> Changes;    // in the order of the file
    int Unchanged = 0;                    // lines that name a component with the price it has already
    std::vector<TSkippedLine> Skipped;    // in the order of the file
    std::vector<TProductImpact> Products; // the products whose price per kg moves, largest change first
};

// What list would change and what that does to the products; nothing is written to the file.
TImportPreview PreviewPriceImport(TDatabase* db, const TPriceList& list);
// The same on a connection of its own to DatabaseFileName, opened and closed here, so that it can run off
// the window thread while the window's actions keep theirs.
TImportPreview PreviewPriceImport(const TPriceList& list);

// The preview's summary: "3 prices change, 1 unchanged, 2 lines skipped; 4 products change price".
std::string ImportSummary(const TImportPreview& preview);

// Writes every new price that differs from the stored one, with the date of today and a history row for
// the price it replaces, in one transaction that is rolled back whole on any failure. Returns the number
// of components changed.
int ApplyPriceImport(TDatabase* db, const std::vector<TNewPrice>& prices);
